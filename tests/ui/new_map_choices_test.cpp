#include "ui/new_map_dialog.h"

#include <gtest/gtest.h>

TEST(NewMapChoices, InitialValuesFollowTheTextureLimit)
{
    NewMapChoices big(4096, 16);
    EXPECT_EQ(big.textureSizesOffered(), 6);
    NewMapParameters params = big.parameters();
    EXPECT_EQ(params.size, 513);
    EXPECT_EQ(params.colorMapSize, 512);
    EXPECT_EQ(params.divisions, 0);
    EXPECT_EQ(params.detailCount, 4);
    EXPECT_FALSE(params.colorLightmap);
    EXPECT_EQ(params.name, "untitled map");

    NewMapChoices small(512, 4);
    EXPECT_EQ(small.textureSizesOffered(), 3);
    EXPECT_EQ(small.parameters().colorMapSize, 256);
}

TEST(NewMapChoices, MapSizeSetsTheTextureSizes)
{
    struct Case {
        int maxTexture;
        int mapIndex;
        int size;
        int texture;
    } cases[] = {
        {4096, 0, 65, 128},     {4096, 2, 257, 256},  {4096, 4, 1025, 1024},
        {4096, 6, 4097, 1024},  {512, 6, 4097, 512},  {1024, 5, 2049, 1024},
    };
    for (const Case& c : cases) {
        NewMapChoices choices(c.maxTexture, 16);
        choices.chooseMapSize(c.mapIndex);
        NewMapParameters params = choices.parameters();
        EXPECT_EQ(params.size, c.size);
        EXPECT_EQ(params.colorMapSize, c.texture) << c.mapIndex;
        EXPECT_EQ(params.detailMapSize, c.texture);
        EXPECT_EQ(params.lightMapSize, c.texture);
    }
}

TEST(NewMapChoices, DetailNoteAndOtherChoices)
{
    NewMapChoices few(4096, 8);
    few.chooseDetailCount(1);
    EXPECT_EQ(few.note(), "Hardware may not support 8 detail textures");
    EXPECT_EQ(few.parameters().detailCount, 8);
    few.chooseDetailCount(0);
    EXPECT_TRUE(few.note().empty());

    NewMapChoices many(4096, 16);
    many.chooseDetailCount(1);
    EXPECT_TRUE(many.note().empty());
    many.chooseSplitting(2);
    many.chooseRgbLightmap(true);
    many.chooseTextureSize(0, 5);
    NewMapParameters params = many.parameters();
    EXPECT_EQ(params.divisions, 2);
    EXPECT_TRUE(params.colorLightmap);
    EXPECT_EQ(params.colorMapSize, 4096);
}
