#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/image.h"
#include "pixel_font.h"

Canvas::Canvas(int width, int height, Rgba fill)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, fill)
{
}

void Canvas::blend(int x, int y, Rgba colour, float coverage)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    float alpha = std::clamp(colour.a * coverage, 0.0f, 1.0f);
    if (alpha <= 0.0f) return;
    Rgba& dst = at(x, y);
    float outA = alpha + dst.a * (1.0f - alpha);
    if (outA <= 0.0f) {
        dst = {};
        dst.a = 0.0f;
        return;
    }
    dst.r = (colour.r * alpha + dst.r * dst.a * (1.0f - alpha)) / outA;
    dst.g = (colour.g * alpha + dst.g * dst.a * (1.0f - alpha)) / outA;
    dst.b = (colour.b * alpha + dst.b * dst.a * (1.0f - alpha)) / outA;
    dst.a = outA;
}

void Canvas::fillRect(int x0, int y0, int x1, int y1, Rgba colour)
{
    for (int y = std::max(y0, 0); y < std::min(y1, m_height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, m_width); ++x) blend(x, y, colour);
}

void Canvas::fillRoundRect(float x0, float y0, float x1, float y1, float radius, Rgba colour)
{
    int ix0 = static_cast<int>(std::floor(x0));
    int iy0 = static_cast<int>(std::floor(y0));
    int ix1 = static_cast<int>(std::ceil(x1));
    int iy1 = static_cast<int>(std::ceil(y1));
    for (int y = iy0; y < iy1; ++y) {
        for (int x = ix0; x < ix1; ++x) {
            float px = static_cast<float>(x) + 0.5f;
            float py = static_cast<float>(y) + 0.5f;
            // Distance to the rounded rectangle's edge, negative inside.
            float qx = std::max(std::max(x0 + radius - px, px - (x1 - radius)), 0.0f);
            float qy = std::max(std::max(y0 + radius - py, py - (y1 - radius)), 0.0f);
            float outside = std::sqrt(qx * qx + qy * qy) - radius;
            float inside = std::min(std::min(px - x0, x1 - px), std::min(py - y0, y1 - py));
            float distance = (qx > 0.0f || qy > 0.0f) ? outside : -inside;
            blend(x, y, colour, std::clamp(0.5f - distance, 0.0f, 1.0f));
        }
    }
}

void Canvas::fillCircle(float cx, float cy, float radius, Rgba colour)
{
    fillRoundRect(cx - radius, cy - radius, cx + radius, cy + radius, radius, colour);
}

void Canvas::drawText(int x, int y, const char* text, int scale, Rgba colour)
{
    for (const char* c = text; *c; ++c) {
        if (const unsigned char* rows = GlyphRows(*c)) {
            for (int row = 0; row < kGlyphHeight; ++row)
                for (int column = 0; column < kGlyphWidth; ++column)
                    if (rows[row] & (0x10 >> column))
                        fillRect(x + column * scale, y + row * scale, x + (column + 1) * scale,
                                 y + (row + 1) * scale, colour);
        }
        x += kGlyphAdvance * scale;
    }
}

int Canvas::textWidth(const char* text, int scale)
{
    int count = static_cast<int>(std::strlen(text));
    return count > 0 ? (count * kGlyphAdvance - 1) * scale : 0;
}

std::vector<unsigned char> Canvas::bytes(int bytesPerPixel) const
{
    std::vector<unsigned char> out(m_pixels.size() * static_cast<size_t>(bytesPerPixel));
    auto toByte = [](float v) { return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (size_t i = 0; i < m_pixels.size(); ++i) {
        const Rgba& p = m_pixels[i];
        unsigned char* dst = &out[i * static_cast<size_t>(bytesPerPixel)];
        dst[0] = toByte(p.r);
        dst[1] = toByte(p.g);
        dst[2] = toByte(p.b);
        if (bytesPerPixel == 4) dst[3] = toByte(p.a);
    }
    return out;
}

bool Canvas::savePng(const char* path, int bytesPerPixel) const
{
    std::vector<unsigned char> pixels = bytes(bytesPerPixel);
    auto* buffer = new unsigned char[pixels.size()];
    std::memcpy(buffer, pixels.data(), pixels.size());
    Image image(buffer, m_width, m_height, bytesPerPixel, path);
    return image.Save();
}

namespace {

uint32_t hash(int x, int y, uint32_t seed)
{
    uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x27D4EB2Du) ^ (static_cast<uint32_t>(y) * 0x165667B1u);
    h ^= h >> 15;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

float lattice(int x, int y, uint32_t seed) { return static_cast<float>(hash(x, y, seed) & 0xFFFFFF) / 16777215.0f; }

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float ValueNoise(float x, float y, uint32_t seed)
{
    int x0 = static_cast<int>(std::floor(x));
    int y0 = static_cast<int>(std::floor(y));
    float fx = smooth(x - static_cast<float>(x0));
    float fy = smooth(y - static_cast<float>(y0));
    float top = lattice(x0, y0, seed) + (lattice(x0 + 1, y0, seed) - lattice(x0, y0, seed)) * fx;
    float bottom = lattice(x0, y0 + 1, seed) + (lattice(x0 + 1, y0 + 1, seed) - lattice(x0, y0 + 1, seed)) * fx;
    return top + (bottom - top) * fy;
}

float FractalNoise(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 0.5f;
    float total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101u);
        total += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        amplitude *= 0.5f;
    }
    return sum / total;
}
