#include "tools/paint.h"

#include "image/image.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "texturing/texture_layers.h"
#include "tools/brush.h"

#include "../texturing/layer_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

using namespace layer_test;

namespace {

// A flat map (height 16.25) of side n with layers cut in 2^divisions tiles.
struct PaintMap {
    PaintMap(int n, int divisions, int detailSize, int colourSize, int details = 4)
    {
        NewMapParameters params;
        params.size = n;
        params.divisions = divisions;
        EXPECT_TRUE(field.Create(params));
        layers.setGrid(n, divisions);
        layers.createForNewMap({colourSize, detailSize, 64, details, false});
    }
    // Every sample at x * tan(angle): a plane of that slope rising along x.
    void tilt(float degrees)
    {
        const float rise = std::tan(degrees * 3.14159265f / 180.0f);
        for (int z = 0; z < field.size(); ++z)
            for (int x = 0; x < field.size(); ++x)
                field.setHeight(x, z, static_cast<float>(x) * rise);
    }
    uint8_t* mask(int which, int tile, int u, int v)
    {
        TextureLayer& layer = which == 1 ? layers.detailMask1 : layers.detailMask2;
        return layer.tile(tile) + (static_cast<size_t>(v) * layer.tileSize() + u) * 4;
    }
    uint8_t* colour(int tile, int u, int v)
    {
        return layers.colourMap.tile(tile) + (static_cast<size_t>(v) * layers.colourMap.tileSize() + u) * 3;
    }
    Heightfield field;
    TextureLayers layers;
};

BrushSettings Brush(float radius, float softness)
{
    BrushSettings settings;
    settings.radius = radius;
    settings.softness = softness;
    return settings;
}

std::vector<uint8_t> Whole(TextureLayer& layer)
{
    uint8_t* whole = layer.assemble();
    std::vector<uint8_t> copy(whole, whole + static_cast<size_t>(layer.layerSize()) * layer.layerSize() *
                                                 layer.bytesPerPixel());
    layer.releaseAssembled(whole);
    return copy;
}

} // namespace

TEST(PaintSlopeBands, RunsOfCheckedButtons)
{
    struct Case {
        std::array<bool, 4> buttons;
        bool enabled;
        float band1Min, band1Max, band2Min, band2Max;
    } cases[] = {
        {{false, true, false, false}, true, 25, 25, -1, -1}, {{true, true, false, false}, true, 0, 25, -1, -1},
        {{true, false, true, true}, true, 0, 0, 50, 75},     {{false, true, false, true}, true, 25, 25, 75, 75},
        {{true, true, true, true}, true, 0, 75, -1, -1},     {{true, false, true, false}, true, 0, 0, 50, 50},
        {{true, true, false, false}, false, -1, -1, -1, -1},
    };
    for (const Case& c : cases) {
        BrushSettings settings;
        settings.slopeEnabled = c.enabled;
        std::copy(c.buttons.begin(), c.buttons.end(), settings.slopeButtons);
        deriveSlopeBands(settings);
        EXPECT_EQ(settings.band1Min, c.band1Min);
        EXPECT_EQ(settings.band1Max, c.band1Max);
        EXPECT_EQ(settings.band2Min, c.band2Min);
        EXPECT_EQ(settings.band2Max, c.band2Max);
        EXPECT_EQ(settings.slopeWidth, 25.0f);
    }
}

// One pixel painted with a brush smaller than a pixel (full weight, no
// falloff), so the increment is exactly trunc(amount x 255).
TEST(PaintDetail, NormalisationKeepsTheSumAndTakesRemaindersFromTheLowestSlots)
{
    struct Case {
        const char* name;
        int details, slot;
        float amount;
        std::array<uint8_t, 8> before, after;
    } cases[] = {
        {"new map, slot 2", 4, 1, 1.0f, {255, 0, 0, 0}, {0, 255, 0, 0}},
        {"slot 1 over itself", 4, 0, 1.0f, {255, 0, 0, 0}, {255, 0, 0, 0}},
        {"shares and remainder", 4, 2, 30.5f / 255.0f, {100, 55, 50, 50}, {85, 47, 80, 43}},
        {"all others zero", 4, 3, 0.5f, {0, 0, 0, 0}, {0, 0, 0, 127}},
        // Weights from another program that do not sum to 255 never wrap.
        {"others below the increment", 4, 0, 1.0f, {0, 0, 0, 10}, {255, 0, 0, 0}},
        {"eight, new map, slot 6", 8, 5, 1.0f, {255, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 255, 0, 0}},
        {"eight, remainder from slot 1",
         8,
         7,
         50.5f / 255.0f,
         {10, 10, 10, 10, 10, 10, 10, 185},
         {2, 3, 3, 3, 3, 3, 3, 235}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintMap map(65, 0, 64, 64, c.details);
        uint8_t* m1 = map.mask(1, 0, 10, 20);
        std::memcpy(m1, c.before.data(), 4);
        if (c.details == 8) std::memcpy(map.mask(2, 0, 10, 20), c.before.data() + 4, 4);
        BrushSettings settings = Brush(0.25f, 1.0f);
        if (c.details == 8) {
            PaintDetail8(map.layers, map.field, c.slot, {10.5f, 0, 20.5f}, c.amount, 1.0f, settings);
        } else {
            PaintDetail4(map.layers, map.field, c.slot, {10.5f, 0, 20.5f}, c.amount, 1.0f, settings);
        }
        std::array<uint8_t, 8> after{};
        std::memcpy(after.data(), m1, 4);
        if (c.details == 8) std::memcpy(after.data() + 4, map.mask(2, 0, 10, 20), 4);
        EXPECT_EQ(after, c.after);
        // Nothing else changed.
        EXPECT_EQ(map.mask(1, 0, 11, 20)[0], 255);
        EXPECT_EQ(map.mask(1, 0, 10, 21)[0], 255);
    }
}

TEST(PaintDetail, AStrokeKeepsEveryPixelSummingTo255)
{
    PaintMap map(129, 2, 256, 64, 8);
    initNoise(5);
    BrushSettings settings = Brush(9.0f, 0.7f);
    settings.noise = 0.5f;
    const int slots[] = {3, 6, 1, 7, 4};
    float x = 20.0f;
    for (int slot : slots) {
        PaintDetail8(map.layers, map.field, slot, {x, 0, 31.0f}, 0.6f, 1.0f, settings);
        x += 7.3f;
    }
    std::vector<uint8_t> m1 = Whole(map.layers.detailMask1), m2 = Whole(map.layers.detailMask2);
    int painted = 0;
    for (size_t p = 0; p < m1.size(); p += 4) {
        int sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += m1[p + k] + m2[p + k];
        ASSERT_EQ(sum, 255) << p / 4;
        painted += m1[p] != 255;
    }
    EXPECT_GT(painted, 200);
}

TEST(PaintDetail, NoiseZeroIgnoresTheTableAndNoiseOneScalesByTheEntry)
{
    for (float noise : {0.0f, 1.0f}) {
        SCOPED_TRACE(noise);
        std::vector<uint8_t> results[2];
        for (unsigned seed : {1u, 2u}) {
            initNoise(seed);
            PaintMap map(65, 0, 64, 64);
            BrushSettings settings = Brush(6.0f, 0.0f);
            settings.noise = noise;
            PaintDetail4(map.layers, map.field, 1, {4.0f, 0, 4.0f}, 1.0f, 1.0f, settings);
            // Softness 0: every pixel within the radius gets the full
            // increment, scaled by the entry of (slot + 1) x column x row.
            // The brush rectangle ends before column and row 10.
            for (int v = 0; v <= 10; ++v)
                for (int u = 0; u <= 10; ++u) {
                    const float d2 = static_cast<float>((u - 4) * (u - 4) + (v - 4) * (v - 4));
                    int expected = 0;
                    if (d2 <= 36.0f && u < 10 && v < 10)
                        expected =
                            noise == 0.0f ? 255 : static_cast<int>((PaintNoise(2u * u * v) * 1.0f + 0.0f) * 255.0f);
                    ASSERT_EQ(map.mask(1, 0, u, v)[1], expected) << u << "," << v;
                }
            results[seed - 1] = Whole(map.layers.detailMask1);
        }
        EXPECT_EQ(results[0] == results[1], noise == 0.0f);
    }
}

TEST(PaintDetail, HeightBandLimitsWithSoftnessOne)
{
    struct Case {
        float offset; // band centre minus ground height (16.25)
        int centre;   // weight of slot 2 at the brush centre after the stroke
    } cases[] = {{0.0f, 255}, {2.5f, 192}, {-5.0f, 128}, {9.0f, 26}, {10.0f, 0}, {-15.0f, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        PaintMap map(65, 0, 64, 64);
        BrushSettings settings = Brush(5.0f, 1.0f);
        settings.heightEnabled = true;
        settings.height = 16.25f + c.offset;
        settings.heightRange = 10.0f;
        for (int times = 0; times < 3; ++times)
            PaintDetail4(map.layers, map.field, 1, {20.0f, 0, 20.0f}, 1.0f, 1.0f, settings);
        EXPECT_EQ(map.mask(1, 0, 20, 20)[1], c.centre);
        // Never above the cap (1 - X / 10) x 255 anywhere.
        for (int v = 14; v <= 26; ++v)
            for (int u = 14; u <= 26; ++u)
                ASSERT_LE(map.mask(1, 0, u, v)[1], c.centre);
    }
}

TEST(PaintDetail, SlopeBands)
{
    struct Case {
        std::array<bool, 4> buttons;
        float slope;
        int centre;
    } cases[] = {
        {{false, true, false, false}, 25.0f, 255}, {{false, true, false, false}, 12.5f, 128},
        {{false, true, false, false}, 0.0f, 0},    {{false, true, false, false}, 50.0f, 0},
        {{false, true, false, true}, 50.0f, 0},    {{false, true, false, true}, 62.5f, 128},
        {{true, true, false, false}, 12.5f, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slope);
        PaintMap map(65, 0, 64, 64);
        map.tilt(c.slope);
        BrushSettings settings = Brush(3.0f, 1.0f);
        settings.slopeEnabled = true;
        std::copy(c.buttons.begin(), c.buttons.end(), settings.slopeButtons);
        for (int times = 0; times < 3; ++times)
            PaintDetail4(map.layers, map.field, 1, {30.0f, 0, 30.0f}, 1.0f, 1.0f, settings);
        EXPECT_EQ(map.mask(1, 0, 30, 30)[1], c.centre);
    }
}

TEST(PaintDetail, ABrushSmallerThanAPixelPaintsThePixelUnderItsCentre)
{
    struct Case {
        const char* name;
        int divisions;
        Vec3 p;
        int tile, u, v;    // the pixel painted
        int tile2, u2, v2; // the same pixel in the neighbouring tile, or tile2 = -1
    } cases[] = {
        // T = 128 over P = 64 cells: two pixels per cell.
        {"inside", 0, {10.3f, 0, 20.7f}, 0, 20, 41, -1, 0, 0},
        {"last pixel of the map", 0, {64.0f, 0, 64.0f}, 0, 127, 127, -1, 0, 0},
        // T = 64 over P = 32: the shared column of tiles 0 and 1.
        {"tile border", 1, {32.0f, 0, 10.2f}, 0, 63, 20, 1, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintMap map(65, c.divisions, 128, 64);
        std::vector<uint8_t> before = Whole(map.layers.detailMask1);
        BrushSettings settings = Brush(0.4f, 1.0f);
        PaintDetail4(map.layers, map.field, 2, c.p, 1.0f, 1.0f, settings);
        EXPECT_EQ(map.mask(1, c.tile, c.u, c.v)[2], 255);
        if (c.tile2 >= 0) {
            EXPECT_EQ(map.mask(1, c.tile2, c.u2, c.v2)[2], 255);
        }
        // Exactly one whole-layer pixel changed.
        std::vector<uint8_t> after = Whole(map.layers.detailMask1);
        int changed = 0;
        for (size_t p = 0; p < after.size(); p += 4)
            changed += std::memcmp(&after[p], &before[p], 4) != 0;
        EXPECT_EQ(changed, 1);
    }
}

TEST(PaintDetail, SharedBorderPixelsEndUpEqualAndEveryTileIsUploadedOnce)
{
    RecordingUploader gpu;
    // T = 50 over P = 32 cells: the two tiles place the shared column at
    // different brush distances, and noise differs by column x row.
    PaintMap map(65, 1, 100, 100, 8);
    initNoise(3);
    BrushSettings settings = Brush(7.0f, 1.0f);
    settings.noise = 1.0f;
    gpu.clear();
    PaintDetail8(map.layers, map.field, 2, {32.3f, 0, 31.6f}, 0.8f, 1.0f, settings);
    const int T = map.layers.detailMask1.tileSize();
    int differing = 0;
    for (int which : {1, 2}) {
        for (int v = 0; v < T; ++v) {
            differing += std::memcmp(map.mask(which, 0, T - 1, v), map.mask(which, 1, 0, v), 4) != 0;
            differing += std::memcmp(map.mask(which, 2, T - 1, v), map.mask(which, 3, 0, v), 4) != 0;
            differing += std::memcmp(map.mask(which, 0, v, T - 1), map.mask(which, 2, v, 0), 4) != 0;
            differing += std::memcmp(map.mask(which, 1, v, T - 1), map.mask(which, 3, v, 0), 4) != 0;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_NE(map.mask(1, 0, T - 1, T - 1)[2], 0); // the corner was painted
    EXPECT_EQ(gpu.uploads.size(), 8u);             // four tiles of two masks
    for (const auto& [name, count] : gpu.uploads)
        EXPECT_EQ(count, 1);

    // Here the right tile's copy of the border lies within the brush and
    // the left tile's (placed 0.36 cells further left) does not: the
    // painted copy wins.
    gpu.clear();
    BrushSettings hard = Brush(2.55f, 0.0f);
    PaintDetail4(map.layers, map.field, 3, {34.5f, 0, 10.0f}, 1.0f, 1.0f, hard);
    EXPECT_EQ(map.mask(1, 1, 0, 15)[3], 255);
    EXPECT_EQ(map.mask(1, 0, T - 1, 15)[3], 255);
    EXPECT_EQ(gpu.uploads[map.layers.detailMask1.texture(0)], 1);
    EXPECT_EQ(gpu.uploads[map.layers.detailMask1.texture(1)], 1);
}

TEST(PaintColour, BlendsTowardTheColourWithNoiseHeightAndKey)
{
    struct Case {
        const char* name;
        std::array<float, 4> colour;
        float noise;
        float heightOffset; // NAN: no height band
        std::array<int, 3> centre;
    } cases[] = {
        // f = 1 becomes 0.999: (1 - f) x 255 + f x 256 stays below 256.
        {"full red", {1, 0, 0, 1}, 0.0f, NAN, {255, 0, 0}},
        {"grey half", {0.5f, 0.5f, 0.5f, 1}, 0.0f, NAN, {128, 128, 128}},
        // c = (1 - 5/10)^2 = 0.25, c^2 < 0.2: nothing.
        {"outside the squared height band", {0, 0, 0, 1}, 0.0f, 5.0f, {255, 255, 255}},
        // c = 0.64, e = 0.4096: 255 x 0.5904 = 150.5.
        {"inside the height band", {0, 0, 0, 1}, 0.0f, 2.0f, {150, 150, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintMap map(65, 0, 64, 64);
        BrushSettings settings = Brush(4.0f, 0.0f);
        settings.noise = c.noise;
        if (!std::isnan(c.heightOffset)) {
            settings.heightEnabled = true;
            settings.height = 16.25f + c.heightOffset;
        }
        PaintColour(map.layers, map.field, c.colour.data(), {30.0f, 0, 30.0f}, 1.0f, settings);
        const uint8_t* pixel = map.colour(0, 30, 30);
        EXPECT_EQ((std::array<int, 3>{pixel[0], pixel[1], pixel[2]}), c.centre);
    }
}

TEST(PaintColour, NoiseKeyOfAlphaOnlyColourIsReducedWithoutOverflow)
{
    initNoise(9);
    PaintMap map(65, 0, 64, 64);
    BrushSettings settings = Brush(4.0f, 0.0f);
    settings.noise = 1.0f;
    // Packs to 0x80000000; its magnitude 2^31 is 2 modulo 1023.
    const float colour[4] = {0.0f, 0.0f, 0.0f, 128.0f / 255.0f};
    PaintColour(map.layers, map.field, colour, {30.0f, 0, 30.0f}, 1.0f, settings);
    for (int v = 27; v <= 33; ++v)
        for (int u = 27; u <= 33; ++u) {
            if ((u - 30) * (u - 30) + (v - 30) * (v - 30) > 16) continue;
            float f = PaintNoise(2u + static_cast<uint32_t>(u * v) % 1023u) * 1.0f;
            int expected = static_cast<int>((1.0f - f) * 255.0f + f * 0.0f);
            ASSERT_EQ(map.colour(0, u, v)[0], expected) << u << "," << v;
        }
}

TEST(PaintTexture, RepeatsThePictureAndRefusesCompressedOnes)
{
    PaintMap map(65, 0, 64, 64);
    auto* pixels = new unsigned char[2 * 2 * 3]{0, 0, 0, 100, 100, 100, 200, 200, 200, 50, 150, 250};
    Image picture(pixels, 2, 2, 3);
    const float white[4] = {1, 1, 1, 1};
    BrushSettings settings = Brush(30.0f, 0.0f);

    picture.m_compressedFormat = Image::kFormatDxt1;
    PaintTexture(map.layers, map.field, picture, white, {32.0f, 0, 32.0f}, 1.0f, settings);
    EXPECT_EQ(map.colour(0, 32, 32)[0], 255);
    picture.m_compressedFormat = 0;

    settings.scale = 0.5f; // each picture pixel covers two colour-map pixels
    PaintTexture(map.layers, map.field, picture, white, {32.0f, 0, 32.0f}, 1.0f, settings);
    struct Probe {
        int u, v;
        std::array<int, 3> rgb;
    } probes[] = {{32, 32, {0, 0, 0}},       {33, 33, {0, 0, 0}},      {34, 32, {100, 100, 100}},
                  {32, 34, {200, 200, 200}}, {34, 34, {50, 150, 250}}, {38, 38, {50, 150, 250}}};
    for (const Probe& probe : probes) {
        const uint8_t* pixel = map.colour(0, probe.u, probe.v);
        EXPECT_EQ((std::array<int, 3>{pixel[0], pixel[1], pixel[2]}), probe.rgb) << probe.u << "," << probe.v;
    }
}

TEST(Paint, RefusesPointsOffTheMapAndLayersOfTheWrongPixelSize)
{
    RecordingUploader gpu;
    PaintMap map(65, 0, 64, 64);
    const std::vector<uint8_t> mask = Whole(map.layers.detailMask1);
    const std::vector<uint8_t> colour = Whole(map.layers.colourMap);
    const float red[4] = {1, 0, 0, 1};
    BrushSettings settings = Brush(5.0f, 1.0f);
    gpu.clear();
    PaintDetail4(map.layers, map.field, 1, {-0.5f, 0, 10.0f}, 1.0f, 1.0f, settings);
    PaintDetail4(map.layers, map.field, 1, {10.0f, 0, 64.5f}, 1.0f, 1.0f, settings);
    PaintColour(map.layers, map.field, red, {NAN, 0, 10.0f}, 1.0f, settings);
    PaintDetail4(map.layers, map.field, 4, {10.0f, 0, 10.0f}, 1.0f, 1.0f, settings);
    BrushSettings none = Brush(0.0f, 1.0f);
    PaintColour(map.layers, map.field, red, {10.0f, 0, 10.0f}, 1.0f, none);
    EXPECT_EQ(Whole(map.layers.detailMask1), mask);
    EXPECT_EQ(Whole(map.layers.colourMap), colour);
    EXPECT_EQ(gpu.totalUploads(), 0);

    // A colour map that is not three bytes a pixel is never written with
    // a painter's layout, nor a mask that is not four.
    map.layers.colourMap.create(64, 4);
    map.layers.detailMask1.create(64, 3);
    const std::vector<uint8_t> wide = Whole(map.layers.colourMap);
    const std::vector<uint8_t> narrow = Whole(map.layers.detailMask1);
    PaintColour(map.layers, map.field, red, {10.0f, 0, 10.0f}, 1.0f, settings);
    PaintDetail4(map.layers, map.field, 1, {10.0f, 0, 10.0f}, 1.0f, 1.0f, settings);
    EXPECT_EQ(Whole(map.layers.colourMap), wide);
    EXPECT_EQ(Whole(map.layers.detailMask1), narrow);
}
