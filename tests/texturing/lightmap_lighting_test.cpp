// Lighting the lightmap from the terrain: whole map, regions, shadows,
// progress and the shadow reach of edits.
#include "texturing/lightmap.h"

#include "layer_test_support.h"
#include "shared/fast_math.h"
#include "shared/progress_bar.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "tools/grid_rect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <vector>

using namespace layer_test;

namespace {

// A map of side n with lightmap `lightSize` cut by `divisions`; heights from
// height(x, z) (flat at 0 when none is given).
template <class Height>
void MakeMap(Heightfield& field, int n, int divisions, int lightSize, bool colour, Height&& height)
{
    NewMapParameters params;
    params.size = n;
    params.divisions = divisions;
    params.lightMapSize = lightSize;
    params.colorMapSize = 2 << divisions;
    params.detailMapSize = 2 << divisions;
    params.colorLightmap = colour;
    ASSERT_TRUE(field.Create(params));
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            field.setHeight(x, z, height(x, z));
    field.UpdateRegion(0, 0, n - 1, n - 1);
    field.UpdateErrors(0, 0, n - 1, n - 1);
}

void MakeRandomMap(Heightfield& field, int n, int divisions, int lightSize, bool colour, unsigned seed, float top)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    // Smooth hills with some noise, so that both lit and shaded slopes and
    // shadows occur.
    std::vector<float> noise(static_cast<size_t>(n) * n);
    for (float& v : noise)
        v = unit(rng);
    MakeMap(field, n, divisions, lightSize, colour, [&](int x, int z) {
        float hills = 0.5f + 0.25f * std::sin(x * 0.31f) + 0.25f * std::cos(z * 0.23f + x * 0.05f);
        return top * (0.8f * hills + 0.2f * noise[static_cast<size_t>(z) * n + x]);
    });
}

// The whole S x S lightmap as one buffer.
std::vector<uint8_t> Whole(TextureLayer& layer)
{
    uint8_t* whole = layer.assemble();
    std::vector<uint8_t> copy(whole, whole + static_cast<size_t>(layer.layerSize()) * layer.layerSize() *
                                                 layer.bytesPerPixel());
    layer.releaseAssembled(whole);
    return copy;
}

// Every tile's shared border texels equal those of its neighbours.
void ExpectBordersShared(const Lightmap& map)
{
    const int d = map.tilesPerSide(), t = map.tileSize(), c = map.bytesPerPixel();
    for (int i = 0; i < d; ++i) {
        for (int j = 0; j < d; ++j) {
            const uint8_t* tile = map.tile(i * d + j);
            for (int k = 0; k < t; ++k) {
                if (j + 1 < d) {
                    const uint8_t* right = map.tile(i * d + j + 1);
                    ASSERT_EQ(0, std::memcmp(tile + (static_cast<size_t>(k) * t + t - 1) * c,
                                             right + static_cast<size_t>(k) * t * c, c));
                }
                if (i + 1 < d) {
                    const uint8_t* below = map.tile((i + 1) * d + j);
                    ASSERT_EQ(0, std::memcmp(tile + (static_cast<size_t>(t - 1) * t + k) * c, below + k * c, c));
                }
            }
        }
    }
}

// The lighting as its rules read, with whole arrays and literal cross
// products: the reference the streamed implementation must match byte for
// byte (no shadows).
std::vector<uint8_t> ReferenceLighting(const Heightfield& field, const LightSettings& light, int s, int c)
{
    const int n = field.size();
    auto V = [&](int x, int z) { return field.vertices()[static_cast<size_t>(z) * n + x]; };
    auto unit = [](Vec3 v) { return v * FastInvSqrt(Dot(v, v)); };
    std::vector<Vec3> t1(static_cast<size_t>(n - 1) * (n - 1)), t2(t1.size());
    for (int r = 0; r < n - 1; ++r) {
        for (int i = 0; i < n - 1; ++i) {
            const size_t k = static_cast<size_t>(r) * (n - 1) + i;
            t1[k] = unit(Cross(V(i, r + 1) - V(i, r), V(i + 1, r) - V(i, r)));
            t2[k] = unit(Cross(V(i + 1, r) - V(i + 1, r + 1), V(i, r + 1) - V(i + 1, r + 1)));
        }
    }
    auto cell = [&](std::vector<Vec3>& t, int x, int z) {
        return x < 0 || z < 0 || x >= n - 1 || z >= n - 1 ? Vec3{0, 0, 0} : t[static_cast<size_t>(z) * (n - 1) + x];
    };
    const Vec3 d = {light.direction[0], light.direction[1], light.direction[2]};
    std::vector<float> lambert(static_cast<size_t>(n) * n);
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            Vec3 sum = cell(t2, x - 1, z - 1);
            sum = sum + cell(t1, x, z - 1);
            sum = sum + cell(t2, x, z - 1);
            sum = sum + cell(t1, x, z);
            sum = sum + cell(t1, x - 1, z);
            sum = sum + cell(t2, x - 1, z);
            lambert[static_cast<size_t>(z) * n + x] = std::max(0.0f, Dot(unit(sum), d));
        }
    }
    auto L = [&](int x, int z) { return lambert[static_cast<size_t>(z) * n + x]; };
    std::vector<uint8_t> out(static_cast<size_t>(s) * s * c);
    for (int ty = 0; ty < s; ++ty) {
        for (int tx = 0; tx < s; ++tx) {
            float x = std::min(static_cast<float>(static_cast<double>(tx) * n / s), n - 1.0f);
            float z = std::min(static_cast<float>(static_cast<double>(ty) * n / s), n - 1.0f);
            int v = std::min(static_cast<int>(x), n - 2), w = std::min(static_cast<int>(z), n - 2);
            float fx = x - v, fz = z - w;
            float value = fx + fz >= 1.0f ? L(v, w + 1) + (1 - fz) * (L(v + 1, w) - L(v + 1, w + 1)) +
                                                fx * (L(v + 1, w + 1) - L(v, w + 1))
                                          : L(v, w) + fx * (L(v + 1, w) - L(v, w)) + fz * (L(v, w + 1) - L(v, w));
            uint8_t* texel = out.data() + (static_cast<size_t>(ty) * s + tx) * c;
            if (c == 1) {
                texel[0] = static_cast<uint8_t>(
                    std::clamp(255.0f * light.ambient[0] + 255.0f * light.light[0] * value, 0.0f, 255.0f));
            } else {
                for (int k = 0; k < 3; ++k)
                    texel[k] = static_cast<uint8_t>(std::clamp(light.ambient[k] + light.light[k] * value, 0.0f, 1.0f) *
                                                    255.0f);
            }
        }
    }
    return out;
}

// Shows a window of 800 x 600 and counts how often the bar appears.
class RecordingProgress : public ProgressDisplay {
public:
    RecordingProgress() { SetProgressDisplay(this); }
    ~RecordingProgress() override { SetProgressDisplay(nullptr); }
    bool clientSize(int& width, int& height) override
    {
        width = 800;
        height = 600;
        return true;
    }
    void showBar(int, int, int, int) override { ++shown; }
    void moveBar(int wholePercent) override { positions.push_back(wholePercent); }
    void hideBar() override { ++hidden; }
    int shown = 0;
    int hidden = 0;
    std::vector<int> positions;
};

LightSettings Light(float x, float y, float z)
{
    LightSettings light;
    float scale = 1.0f / std::sqrt(x * x + y * y + z * z);
    light.direction[0] = x * scale;
    light.direction[1] = y * scale;
    light.direction[2] = z * scale;
    return light;
}

} // namespace

TEST(LightmapLighting, MatchesTheLightingRulesOnRandomTerrain)
{
    struct Case {
        const char* name;
        int n, divisions, lightSize;
        bool colour;
    } cases[] = {
        {"texel per vertex, one tile", 33, 0, 33, false},
        {"texels finer than cells, reaching past the last vertex", 33, 0, 64, true},
        {"texels coarser than cells, 4 x 4 tiles", 65, 2, 40, false},
        {"colour, 2 x 2 tiles", 33, 1, 48, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Heightfield field;
        MakeRandomMap(field, c.n, c.divisions, c.lightSize, c.colour, 7, 12.0f);
        Lightmap& lightmap = field.layers().lightmap;
        LightSettings light = Light(0.3f, 0.6f, -0.5f);
        light.ambient[1] = 0.1f;
        light.light[2] = 0.5f;
        lightmap.setLightSettings(&light);
        lightmap.GenerateAll(false);
        EXPECT_EQ(Whole(lightmap), ReferenceLighting(field, light, lightmap.layerSize(), lightmap.bytesPerPixel()));
        ExpectBordersShared(lightmap);
    }
}

TEST(LightmapLighting, FlatGroundGetsTheFlatValueUnderEveryLight)
{
    const LightSettings lights[] = {
        Light(0, 1, 0),  LightSettings{}, Light(0.6f, 0.8f, 0), Light(-0.5f, 0.3f, -0.7f),
        Light(1, 0, 0),  // along the horizon: ambient only
        Light(0, -1, 0), // below the horizon
    };
    for (bool colour : {false, true}) {
        for (const LightSettings& light : lights) {
            SCOPED_TRACE(testing::Message() << "colour " << colour << ", light y " << light.direction[1]);
            Heightfield field;
            MakeMap(field, 33, 1, 64, colour, [](int, int) { return 5.0f; });
            Lightmap& lightmap = field.layers().lightmap;
            lightmap.setLightSettings(&light);
            lightmap.GenerateAll(true);
            const std::vector<uint8_t> texels = Whole(lightmap);
            const int c = lightmap.bytesPerPixel();
            for (size_t i = 0; i < texels.size(); ++i) {
                // The normals go through the fast inverse square root, so a
                // sloped light may come out one step darker.
                const int flat = lightmap.flatValue(static_cast<int>(i % c));
                ASSERT_LE(texels[i], flat) << "texel " << i / c;
                ASSERT_GE(texels[i], flat - 1) << "texel " << i / c;
            }
        }
    }
}

TEST(LightmapLighting, ARidgeShadowsTheGroundBehindIt)
{
    // Level ground at 0 with a wall of height 10 along column 20, lit from
    // +x at 45 degrees. The ray from texel (16, 16) starts at height 0.002
    // and meets the wall's slope h = 10 (x - 19) where 0.002 + x - 16 =
    // 10 x - 190: x = 19.33356, 3.33356 units along both axes, so |P - H|^2
    // = 22.2253 and m = 22.2253 x 0.5 / 40^2 = 0.0069454. Grey: min(old,
    // 255 m + 76.5 + 2) = 80. Colour (light 0.8, lambert ~0.705, old 220):
    // (220/255 m + 0.3 (1 - m)) x 255 = 77.5, so 77.
    for (bool colour : {false, true}) {
        SCOPED_TRACE(colour ? "colour" : "grey");
        Heightfield field;
        MakeMap(field, 33, 0, 33, colour, [](int x, int) { return x == 20 ? 10.0f : 0.0f; });
        Lightmap& lightmap = field.layers().lightmap;
        const LightSettings light = Light(1, 1, 0);
        lightmap.setLightSettings(&light);
        const int c = lightmap.bytesPerPixel();
        auto at = [&](int x, int z) { return lightmap.tile(0)[(static_cast<size_t>(z) * 33 + x) * c]; };

        lightmap.GenerateAll(false);
        const int lit = at(16, 16);
        EXPECT_EQ(lit, 220);
        lightmap.GenerateAll(true);
        EXPECT_EQ(at(16, 16), colour ? 77 : 80);
        // Beyond the ray's reach of 40 units nothing is shaded (the whole
        // map is within reach here, so look at the lit side instead).
        EXPECT_EQ(at(26, 16), lit);
        // A tall occluder close by leaves about the ambient level + 2.
        EXPECT_NEAR(at(18, 16), colour ? 76 : 78, 1);
    }
}

TEST(LightmapLighting, GreyShadowsNeverBrighten)
{
    Heightfield field;
    MakeRandomMap(field, 65, 1, 64, false, 3, 30.0f);
    Lightmap& lightmap = field.layers().lightmap;
    const LightSettings light = Light(-0.4f, 0.35f, 0.6f);
    lightmap.setLightSettings(&light);
    // A strong falloff pushes 255 m above many old values: the minimum
    // must keep them.
    lightmap.shadowFalloff = 40.0f;
    lightmap.GenerateAll(false);
    const std::vector<uint8_t> plain = Whole(lightmap);
    lightmap.GenerateAll(true);
    const std::vector<uint8_t> shaded = Whole(lightmap);
    const int floor = static_cast<int>(255.0f * light.ambient[0] + 2.0f);
    int darker = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
        ASSERT_LE(shaded[i], plain[i]) << "texel " << i;
        ASSERT_GE(shaded[i], std::min<int>(plain[i], floor)) << "texel " << i;
        darker += shaded[i] < plain[i];
    }
    EXPECT_GT(darker, 100); // the terrain does cast shadows
}

TEST(LightmapLighting, DisabledShadowsIgnoreWithShadows)
{
    Heightfield field;
    MakeRandomMap(field, 65, 2, 128, true, 5, 30.0f);
    Lightmap& lightmap = field.layers().lightmap;
    const LightSettings light = Light(0.5f, 0.3f, 0.2f);
    lightmap.setLightSettings(&light);
    lightmap.GenerateAll(false);
    const std::vector<uint8_t> plain = Whole(lightmap);
    lightmap.GenerateAll(true);
    ASSERT_NE(Whole(lightmap), plain); // shadows are there while enabled
    lightmap.enableShadows = false;
    lightmap.GenerateAll(true);
    EXPECT_EQ(Whole(lightmap), plain);
    lightmap.UpdateRegion({0, 0, 65, 65}, false);
    const std::vector<uint8_t> regionPlain = Whole(lightmap);
    lightmap.UpdateRegion({0, 0, 65, 65}, true);
    EXPECT_EQ(Whole(lightmap), regionPlain);
}

TEST(LightmapLighting, RegionOverTheWholeMapEqualsGenerateAllAwayFromTheBorder)
{
    // Texels over the vertices next to the map's edge differ by rule: the
    // whole-map pass leaves cells beyond the edge out of the vertex
    // normals, the region pass counts them as level ground.
    struct Case {
        int n, divisions, lightSize;
        bool colour;
    } cases[] = {{65, 0, 64, false}, {65, 2, 128, true}, {33, 1, 80, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << " size " << c.lightSize);
        Heightfield field;
        MakeRandomMap(field, c.n, c.divisions, c.lightSize, c.colour, 11, 25.0f);
        Lightmap& lightmap = field.layers().lightmap;
        const LightSettings light = Light(0.4f, 0.5f, -0.3f);
        lightmap.setLightSettings(&light);
        lightmap.GenerateAll(true);
        const std::vector<uint8_t> all = Whole(lightmap);
        lightmap.ResetFlat(c.lightSize, c.colour ? 3 : 1);
        lightmap.UpdateRegion({0, 0, c.n, c.n}, true);
        const std::vector<uint8_t> region = Whole(lightmap);
        ExpectBordersShared(lightmap);
        const int s = lightmap.layerSize(), bytes = lightmap.bytesPerPixel();
        int compared = 0;
        for (int ty = 0; ty < s; ++ty) {
            for (int tx = 0; tx < s; ++tx) {
                const double x = static_cast<double>(tx) * c.n / s, z = static_cast<double>(ty) * c.n / s;
                if (x < 2.0 || z < 2.0 || x >= c.n - 3.0 || z >= c.n - 3.0) continue;
                const size_t at = (static_cast<size_t>(ty) * s + tx) * bytes;
                ASSERT_EQ(0, std::memcmp(&all[at], &region[at], bytes)) << "texel " << tx << ", " << ty;
                ++compared;
            }
        }
        EXPECT_GT(compared, s * s / 2);
    }
}

TEST(LightmapLighting, RegionUpdatesOnlyTheirTexelsAndTiles)
{
    RecordingUploader gpu;
    Heightfield field;
    MakeRandomMap(field, 129, 2, 256, false, 13, 25.0f);
    Lightmap& lightmap = field.layers().lightmap;
    lightmap.GenerateAll(true);
    const std::vector<uint8_t> lit = Whole(lightmap);

    // Recomputing a region of an unchanged terrain changes nothing, and
    // uploads and blurs exactly the tiles the region meets: this one spans
    // the corner shared by tiles 5, 6, 9 and 10 (T = 64, S = 253).
    gpu.clear();
    lightmap.UpdateRegion({50, 50, 80, 80}, true);
    EXPECT_EQ(Whole(lightmap), lit);
    std::map<TextureName, int> expected;
    for (int index : {5, 6, 9, 10})
        expected[lightmap.texture(index)] = 1;
    EXPECT_EQ(gpu.uploads, expected);
    EXPECT_EQ(gpu.blurs, expected);
    EXPECT_GT(lightmap.lastUpdateSeconds, 0.0f);

    // Texels outside the region keep what they held.
    std::vector<uint8_t> before = Whole(lightmap);
    for (int i = 0; i < lightmap.tileCount(); ++i)
        std::memset(lightmap.tile(i), 1, lightmap.tileBytes());
    lightmap.UpdateRegion({50, 50, 80, 80}, false);
    const std::vector<uint8_t> after = Whole(lightmap);
    const int s = lightmap.layerSize();
    const int lo = 50 * s / 129, hi = 80 * s / 129;
    for (int ty = 0; ty < s; ++ty) {
        for (int tx = 0; tx < s; ++tx) {
            const bool inside = tx >= lo && tx < hi && ty >= lo && ty < hi;
            const uint8_t value = after[static_cast<size_t>(ty) * s + tx];
            if (inside)
                ASSERT_NE(value, 1) << tx << ", " << ty;
            else
                ASSERT_EQ(value, 1) << tx << ", " << ty;
        }
    }
    ExpectBordersShared(lightmap);
}

TEST(LightmapLighting, OneTileAndSixteenTilesGiveTheSameTexels)
{
    // 4 x 4 tiles of 32 texels make S = 4 x 31 + 1 = 125, as one tile of 125.
    std::vector<uint8_t> results[2][2];
    for (int layout = 0; layout < 2; ++layout) {
        Heightfield field;
        MakeRandomMap(field, 129, layout == 0 ? 0 : 2, layout == 0 ? 125 : 128, false, 17, 25.0f);
        Lightmap& lightmap = field.layers().lightmap;
        ASSERT_EQ(lightmap.layerSize(), 125);
        ASSERT_EQ(lightmap.tileCount(), layout == 0 ? 1 : 16);
        lightmap.GenerateAll(true);
        results[layout][0] = Whole(lightmap);
        lightmap.ResetFlat(layout == 0 ? 125 : 128, 1);
        lightmap.UpdateRegion({0, 0, 129, 129}, true);
        results[layout][1] = Whole(lightmap);
    }
    EXPECT_EQ(results[0][0], results[1][0]);
    EXPECT_EQ(results[0][1], results[1][1]);
}

TEST(LightmapLighting, ProgressBarForLargeShadowedRegionsOnly)
{
    Heightfield field;
    MakeRandomMap(field, 257, 2, 256, false, 19, 25.0f);
    Lightmap& lightmap = field.layers().lightmap;
    struct Case {
        GridRect rect;
        bool shadows;
        bool enabled;
        int shown;
    } cases[] = {
        {{0, 0, 160, 150}, true, true, 0},  // 24000 cells
        {{7, 3, 252, 101}, true, true, 1},  // 245 x 98 = 24010 cells
        {{7, 3, 252, 101}, false, true, 0}, // no shadows: no bar
        {{7, 3, 252, 101}, true, false, 0}, // shadows switched off
        {{0, 0, 257, 257}, true, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.right << " x " << c.rect.bottom);
        RecordingProgress progress;
        lightmap.enableShadows = c.enabled;
        lightmap.UpdateRegion(c.rect, c.shadows);
        EXPECT_EQ(progress.shown, c.shown);
        EXPECT_EQ(progress.hidden, c.shown);
        if (c.shown) {
            EXPECT_GE(progress.positions.back(), 99);
        }
    }
}

TEST(LightmapLighting, WholeMapProgressRunsToTheEnd)
{
    Heightfield field;
    MakeRandomMap(field, 65, 0, 64, false, 23, 25.0f);
    RecordingProgress progress;
    field.layers().lightmap.GenerateAll(false);
    EXPECT_EQ(progress.shown, 1);
    EXPECT_EQ(progress.hidden, 1);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    // Normals and lambert values take the first fifth, texels the rest.
    EXPECT_NE(std::find(progress.positions.begin(), progress.positions.end(), 19), progress.positions.end());
    EXPECT_GE(progress.positions.back(), 99);
}

TEST(LightmapLighting, ShadowReachFollowsTheLight)
{
    Lightmap lightmap;
    lightmap.setGrid(257, 0);
    struct Case {
        const char* name;
        float x, z;
        GridRect expected, padded;
    } cases[] = {
        {"from +x grows left only", 1, 0, {60, 100, 120, 140}, {59, 99, 121, 141}},
        {"from -x grows right only", -1, 0, {100, 100, 160, 140}, {99, 99, 161, 141}},
        {"from +z grows top only", 0, 1, {100, 60, 120, 140}, {99, 59, 121, 141}},
        {"diagonal grows two sides", -0.6f, 0.8f, {100, 68, 144, 140}, {99, 67, 145, 141}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LightSettings light;
        light.direction[0] = c.x;
        light.direction[1] = 0.0f;
        light.direction[2] = c.z;
        lightmap.setLightSettings(&light);
        GridRect rect = {100, 100, 120, 140};
        lightmap.ExtendForShadows(rect);
        EXPECT_EQ(rect, c.expected);
        rect = {100, 100, 120, 140};
        lightmap.ExtendForShadowsPadded(rect);
        EXPECT_EQ(rect, c.padded);
    }
    // Clamped to [0, N].
    LightSettings light = Light(-1, 1, -1);
    lightmap.setLightSettings(&light);
    GridRect rect = {0, 0, 240, 250};
    lightmap.ExtendForShadowsPadded(rect);
    EXPECT_EQ(rect, (GridRect{0, 0, 257, 257}));
}

TEST(LightmapLighting, RefreshTilesUploadsAndBlursTheTilesItMeets)
{
    RecordingUploader gpu;
    Lightmap lightmap;
    lightmap.setGrid(129, 2); // 4 x 4 tiles of 64 texels, S = 253
    lightmap.ResetFlat(256, 1);
    struct Case {
        GridRect rect;
        std::vector<int> tiles;
    } cases[] = {
        {{0, 0, 10, 10}, {0}},   {{30, 30, 33, 33}, {0, 1, 4, 5}}, // texels 58..64 reach the shared column 63
        {{100, 5, 129, 6}, {3}}, {{0, 0, 129, 129}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {{0, 0, 0, 0}, {}}, // the empty rectangle
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.left << ", " << c.rect.top);
        gpu.clear();
        lightmap.RefreshTiles(c.rect);
        std::map<TextureName, int> expected;
        for (int index : c.tiles)
            expected[lightmap.texture(index)] = 1;
        EXPECT_EQ(gpu.uploads, expected);
        EXPECT_EQ(gpu.blurs, expected);
    }
}
