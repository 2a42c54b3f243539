// Default detail textures, made from periodic noise so that every picture
// repeats across the terrain without a seam: each noise lattice wraps at a
// whole number of cells per picture side.
#include "detail_textures.h"

#include "image/image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int kSize = 256;
constexpr float kTwoPi = 6.2831853f;

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

float Random01(uint32_t x, uint32_t y, uint32_t seed)
{
    return static_cast<float>(Hash(x, y, seed) & 0xffffff) / 16777215.0f;
}

float Smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

// Value noise over a lattice of `cells` cells per picture side, wrapping.
float ValueNoise(float x, float y, int cells, uint32_t seed)
{
    float fx = x * static_cast<float>(cells) / kSize;
    float fy = y * static_cast<float>(cells) / kSize;
    int x0 = static_cast<int>(std::floor(fx));
    int y0 = static_cast<int>(std::floor(fy));
    float tx = Smooth(fx - static_cast<float>(x0));
    float ty = Smooth(fy - static_cast<float>(y0));
    auto at = [&](int cx, int cy) {
        return Random01(static_cast<uint32_t>((cx % cells + cells) % cells),
                        static_cast<uint32_t>((cy % cells + cells) % cells), seed);
    };
    float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
    float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
    return top + (bottom - top) * ty;
}

// Octaves from `cells` up, each twice as fine and half as strong; 0..1.
float Fbm(float x, float y, int cells, int octaves, uint32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += ValueNoise(x, y, cells << octave, seed + static_cast<uint32_t>(octave) * 101u) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

// Distances to the nearest and second nearest feature point of a wrapping
// grid of cells x cells jittered points, in cell units; id of the nearest.
void Cells(float x, float y, int cells, uint32_t seed, float& nearest, float& second, uint32_t& id)
{
    float fx = x * static_cast<float>(cells) / kSize;
    float fy = y * static_cast<float>(cells) / kSize;
    int cx = static_cast<int>(fx), cy = static_cast<int>(fy);
    nearest = second = 1e9f;
    id = 0;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int gx = cx + dx, gy = cy + dy;
            uint32_t wx = static_cast<uint32_t>((gx % cells + cells) % cells);
            uint32_t wy = static_cast<uint32_t>((gy % cells + cells) % cells);
            float px = static_cast<float>(gx) + Random01(wx, wy, seed);
            float py = static_cast<float>(gy) + Random01(wx, wy, seed + 7u);
            float d = std::sqrt((px - fx) * (px - fx) + (py - fy) * (py - fy));
            if (d < nearest) {
                second = nearest;
                nearest = d;
                id = Hash(wx, wy, seed + 13u);
            } else if (d < second) {
                second = d;
            }
        }
    }
}

struct Rgb {
    float r, g, b;
};

Rgb Mix(Rgb a, Rgb b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, float s)
{
    return {c.r * s, c.g * s, c.b * s};
}

Rgb Grass(float x, float y)
{
    float patches = Fbm(x, y, 4, 4, 11);
    // Blades: noise stretched along y, so streaks run up the picture.
    float blades = ValueNoise(x * 4.0f, y * 0.5f, 32, 12) * 0.6f + ValueNoise(x, y, 64, 13) * 0.4f;
    Rgb c = Mix({58, 96, 34}, {112, 148, 58}, patches * 1.4f - 0.2f);
    return Scale(c, 0.75f + 0.45f * blades);
}

Rgb Rock(float x, float y)
{
    float body = Fbm(x, y, 4, 5, 21);
    float ridge = 1.0f - std::fabs(2.0f * Fbm(x, y, 8, 3, 22) - 1.0f);
    float crack = std::pow(ridge, 12.0f);
    Rgb c = Mix({96, 94, 90}, {170, 166, 158}, body * 1.3f - 0.15f);
    return Scale(c, 1.0f - 0.55f * crack);
}

Rgb Sand(float x, float y)
{
    float warp = Fbm(x, y, 4, 3, 31);
    float ripple = 0.5f + 0.5f * std::sin(kTwoPi * (6.0f * x + 2.0f * y) / kSize + warp * 5.0f);
    float grain = Random01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 32);
    Rgb c = Mix({196, 172, 122}, {222, 202, 150}, ripple * 0.7f + warp * 0.3f);
    return Scale(c, 0.92f + 0.12f * grain);
}

Rgb Snow(float x, float y)
{
    float drift = Fbm(x, y, 4, 4, 41);
    float sparkle = Random01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 42);
    Rgb c = Mix({212, 222, 238}, {250, 252, 255}, drift * 1.5f - 0.1f);
    if (sparkle > 0.985f) c = {255, 255, 255};
    return c;
}

Rgb Dirt(float x, float y)
{
    float blotch = Fbm(x, y, 4, 5, 51);
    float grain = Random01(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 52);
    float pebble = ValueNoise(x, y, 64, 53);
    Rgb c = Mix({84, 60, 40}, {132, 98, 66}, blotch * 1.4f - 0.2f);
    if (pebble > 0.8f) c = Mix(c, {150, 140, 120}, (pebble - 0.8f) * 4.0f);
    return Scale(c, 0.88f + 0.2f * grain);
}

Rgb Gravel(float x, float y)
{
    float nearest, second;
    uint32_t id;
    Cells(x, y, 16, 61, nearest, second, id);
    float shade = static_cast<float>(id & 0xff) / 255.0f;
    float edge = std::clamp((second - nearest) * 4.0f, 0.0f, 1.0f);
    Rgb stone = Mix({104, 100, 92}, {176, 168, 150}, shade);
    Rgb c = Mix({52, 46, 40}, stone, edge);
    return Scale(c, 0.85f + 0.25f * (1.0f - nearest));
}

Rgb Moss(float x, float y)
{
    float cover = Fbm(x, y, 8, 4, 71);
    float tufts = ValueNoise(x, y, 64, 72);
    Rgb ground = {78, 64, 42};
    Rgb moss = Mix({46, 74, 28}, {92, 120, 46}, tufts);
    return Mix(ground, moss, (cover - 0.35f) * 4.0f);
}

Rgb Mud(float x, float y)
{
    float body = Fbm(x, y, 2, 4, 81);
    float wet = Fbm(x, y, 4, 3, 82);
    Rgb c = Mix({104, 70, 48}, {140, 100, 68}, body);
    if (wet > 0.55f) c = Mix(c, {66, 46, 34}, (wet - 0.55f) * 5.0f);
    return c;
}

using Painter = Rgb (*)(float, float);

} // namespace

bool WriteDefaultDetailTextures(const std::filesystem::path& folder)
{
    const Painter painters[8] = {Grass, Rock, Sand, Snow, Dirt, Gravel, Moss, Mud};
    for (int slot = 0; slot < 8; ++slot) {
        auto* pixels = new unsigned char[static_cast<size_t>(kSize) * kSize * 3];
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                Rgb c = painters[slot](static_cast<float>(x), static_cast<float>(y));
                unsigned char* p = pixels + (static_cast<size_t>(y) * kSize + x) * 3;
                p[0] = static_cast<unsigned char>(std::clamp(c.r, 0.0f, 255.0f));
                p[1] = static_cast<unsigned char>(std::clamp(c.g, 0.0f, 255.0f));
                p[2] = static_cast<unsigned char>(std::clamp(c.b, 0.0f, 255.0f));
            }
        }
        std::string path = (folder / ("default" + std::to_string(slot + 1) + ".tga")).string();
        Image picture(pixels, kSize, kSize, 3, path.c_str());
        if (!picture.Save()) {
            std::fprintf(stderr, "glebora_assets: cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}
