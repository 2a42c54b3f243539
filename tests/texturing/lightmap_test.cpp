#include "texturing/lightmap.h"

#include "layer_test_support.h"

#include <gtest/gtest.h>

using namespace layer_test;

TEST(Lightmap, ResetFlatFillsTheBrightnessOfLevelGround)
{
    struct Case {
        const char* name;
        LightSettings light;
        int bytes;
        uint8_t expected[3];
    } cases[] = {
        // 0.4472136 * 255 * 0.8 + 255 * 0.3 = 167.7, truncated.
        {"default light, grey", LightSettings{}, 1, {167, 167, 167}},
        {"default light, colour", LightSettings{}, 3, {167, 167, 167}},
        {"straight above, capped", {{0, 1, 0}, {0.5f, 0.3f, 0.1f, 1}, {0.8f, 0.8f, 0.8f, 1}}, 1, {255, 255, 255}},
        {"straight above, colour clamps per channel",
         {{0, 1, 0}, {0.5f, 0.3f, 0.1f, 1}, {0.8f, 0.2f, 0.1f, 1}},
         3,
         {255, 127, 51}},
        {"below the horizon gives ambient", {{0, -1, 0}, {0.25f, 0.5f, 0.75f, 1}, {1, 1, 1, 1}}, 3, {63, 127, 191}},
        {"negative ambient gives black", {{0, 0, 1}, {-0.5f, 0, 0, 1}, {1, 1, 1, 1}}, 1, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lightmap lightmap;
        lightmap.setGrid(65, 1);
        lightmap.setLightSettings(&c.light);
        lightmap.ResetFlat(64, c.bytes);
        ASSERT_EQ(lightmap.bytesPerPixel(), c.bytes);
        ASSERT_EQ(lightmap.tileCount(), 4);
        for (int i = 0; i < lightmap.tileCount(); ++i) {
            const uint8_t* last = lightmap.tile(i) + lightmap.tileBytes() - c.bytes;
            for (int channel = 0; channel < c.bytes; ++channel) {
                EXPECT_EQ(lightmap.tile(i)[channel], c.expected[channel]);
                EXPECT_EQ(last[channel], c.expected[channel]);
            }
        }
    }
}

TEST(Lightmap, TexturesAreBlurredOnRebuildOnlyWhileBlurIsOn)
{
    RecordingUploader gpu;
    Lightmap lightmap;
    lightmap.setGrid(65, 1);
    lightmap.ResetFlat(64, 1);
    EXPECT_EQ(gpu.totalUploads(), 4);
    EXPECT_TRUE(gpu.blurs.empty()); // a flat reset is not blurred

    lightmap.lightMapBlur = 1.5f;
    lightmap.rebuildTextures();
    ASSERT_EQ(gpu.blurs.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(gpu.blurs[lightmap.texture(i)], 1);
    EXPECT_EQ(gpu.lastRadius, 1.5f);

    gpu.clear();
    lightmap.lightMapBlur = 0.0f;
    lightmap.rebuildTextures();
    EXPECT_EQ(gpu.totalUploads(), 4);
    EXPECT_TRUE(gpu.blurs.empty());
}

TEST(Lightmap, SaveWritesTheUnblurredMemoryNotTheTextures)
{
    ScratchFolder folder;
    RecordingUploader gpu;
    gpu.readBackByte = 9; // what a blurred texture would read back as
    Lightmap lightmap;
    lightmap.setGrid(65, 0);
    lightmap.ResetFlat(64, 1);
    const uint8_t flat = lightmap.tile(0)[0];
    std::string base = folder.base("m_l");
    lightmap.setFileName(base.c_str());
    ASSERT_TRUE(lightmap.save());

    Lightmap loaded;
    loaded.setGrid(65, 0);
    ASSERT_TRUE(loaded.load(base.c_str(), 64));
    EXPECT_EQ(TileCopy(loaded, 0), TileCopy(lightmap, 0));
    EXPECT_EQ(loaded.tile(0)[0], flat);
}
