#include "texturing/texture_layers.h"

#include "map/file_transaction.h"
#include "map/property_table.h"

#include "layer_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

using namespace layer_test;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What the map file carries from one session to the next.
void CopyKeys(const TextureLayers& from, TextureLayers& to)
{
    to.colorMapSize = from.colorMapSize;
    to.detailMapSize = from.detailMapSize;
    to.lightMapSize = from.lightMapSize;
    std::memcpy(to.detailScales, from.detailScales, sizeof(float) * 4);
    to.shadowDist = from.shadowDist;
    to.shadowFalloff = from.shadowFalloff;
    to.enableShadows = from.enableShadows;
    to.lightMapBlur = from.lightMapBlur;
    for (int i = 0; i < 8; ++i)
        to.detailTextureNames[i] = from.detailTextureNames[i];
}

void ExpectSameTiles(const TextureLayer& a, const TextureLayer& b)
{
    ASSERT_EQ(a.tileCount(), b.tileCount());
    ASSERT_EQ(a.bytesPerPixel(), b.bytesPerPixel());
    for (int i = 0; i < a.tileCount(); ++i)
        EXPECT_EQ(TileCopy(a, i), TileCopy(b, i)) << "tile " << i;
}

void ExpectEveryPixel(const TextureLayer& layer, std::vector<uint8_t> pixel)
{
    std::vector<uint8_t> tile;
    for (int i = 0; i < layer.tileSize() * layer.tileSize(); ++i)
        tile.insert(tile.end(), pixel.begin(), pixel.end());
    for (int i = 0; i < layer.tileCount(); ++i)
        ASSERT_EQ(TileCopy(layer, i), tile) << "tile " << i;
}

int g_fakeTexture[8];

// Resolves only the first two default detail textures.
GlTexture* FirstTwoDefaults(const char* name)
{
    for (int slot = 0; slot < 2; ++slot) {
        std::string expected = "[HOME]Data\\Textures\\default" + std::to_string(slot + 1) + ".tga";
        if (expected == name) return reinterpret_cast<GlTexture*>(&g_fakeTexture[slot]);
    }
    if (std::string(name) == "rock.tga") return reinterpret_cast<GlTexture*>(&g_fakeTexture[5]);
    return nullptr;
}

struct LoaderScope {
    explicit LoaderScope(MaterialTextureLoader loader) { SetMaterialTextureLoader(loader); }
    ~LoaderScope() { SetMaterialTextureLoader(nullptr); }
};

} // namespace

TEST(TextureLayers, RegistersTheMapKeysInOrder)
{
    PropertyTable table;
    TextureLayers layers(&table);
    std::vector<std::string> keys;
    for (const auto& entry : table.entries())
        keys.push_back(entry->key);
    std::vector<std::string> expected = {"colorMapSize", "lightMapSize",       "detailMapSize", "detailScales",
                                         "shadowDist",   "shadowFalloff",      "enableShadows", "lightMapBlur",
                                         "colorMode",    "undergroundMaterial"};
    for (int i = 1; i <= 8; ++i)
        expected.push_back("detailtexture" + std::to_string(i));
    for (int i = 1; i <= 6; ++i)
        expected.push_back("paintMaterial" + std::to_string(i));
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(table.lookup("detailScales")->kind, PropertyKind::Float4);
    EXPECT_EQ(table.lookup("undergroundMaterial")->address, &layers.undergroundMaterial);
    EXPECT_EQ(table.lookup("paintMaterial6")->kind, PropertyKind::MaterialKind);
}

TEST(TextureLayers, NewMapLayers)
{
    struct Case {
        int divisions, details;
        bool coloured;
    } cases[] = {{0, 4, false}, {1, 8, false}, {2, 4, true}, {2, 8, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.divisions * 100 + c.details * 10 + c.coloured);
        TextureLayers layers;
        layers.setGrid(129, c.divisions);
        layers.createForNewMap({256, 128, 64, c.details, c.coloured});
        EXPECT_EQ(layers.detailCount, c.details);
        EXPECT_EQ(layers.eightDetails, c.details == 8);
        EXPECT_EQ(layers.colouredLightmap, c.coloured);
        EXPECT_EQ(layers.colourMap.tileCount(), 1 << (2 * c.divisions));
        ExpectEveryPixel(layers.colourMap, {255, 255, 255});
        ExpectEveryPixel(layers.detailMask1, {255, 0, 0, 0});
        EXPECT_EQ(layers.detailMask2.hasTiles(), c.details == 8);
        if (c.details == 8) ExpectEveryPixel(layers.detailMask2, {0, 0, 0, 0});
        ASSERT_EQ(layers.lightmap.bytesPerPixel(), c.coloured ? 3 : 1);
        ExpectEveryPixel(layers.lightmap, std::vector<uint8_t>(c.coloured ? 3 : 1, 167));
        for (int slot = 0; slot < 4; ++slot) {
            EXPECT_EQ(layers.detailScales[slot], 10.0f);
            EXPECT_TRUE(layers.defaultTexture[slot]);
        }
        EXPECT_EQ(layers.lightmap.tileSize(), 64 >> c.divisions);
    }
}

TEST(TextureLayers, SaveAndLoadRoundTrip)
{
    struct Case {
        int divisions, details;
        bool coloured;
    } cases[] = {{0, 4, false}, {1, 4, true}, {2, 8, false}, {0, 8, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.divisions * 100 + c.details * 10 + c.coloured);
        ScratchFolder folder;
        TextureLayers saved;
        saved.setGrid(129, c.divisions);
        saved.createForNewMap({128, 64, 64, c.details, c.coloured});
        FillRandom(saved.colourMap, 1);
        FillRandom(saved.detailMask1, 2);
        if (c.details == 8) FillRandom(saved.detailMask2, 3);
        FillRandom(saved.lightmap, 4);
        saved.lightmap.shadowDist = 12.0f;
        const std::string base = folder.base("island");
        ASSERT_TRUE(saved.saveForMap(base.c_str()));
        EXPECT_EQ(saved.shadowDist, 12.0f); // copied back for the map file

        const int tiles = 1 << (2 * c.divisions);
        std::vector<std::string> expected;
        for (const char* suffix : {"_c", "_d", "_dd", "_l"}) {
            if (std::string(suffix) == "_dd" && c.details != 8) continue;
            for (int i = 0; i < tiles; ++i)
                expected.push_back("island" + std::string(suffix) + (tiles == 1 ? "" : std::to_string(i)) + ".png");
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(FilesIn(folder.path), expected);

        TextureLayers loaded;
        loaded.setGrid(129, c.divisions);
        CopyKeys(saved, loaded);
        loaded.loadForMap(base.c_str());
        EXPECT_EQ(loaded.detailCount, c.details);
        EXPECT_EQ(loaded.colouredLightmap, c.coloured);
        EXPECT_EQ(loaded.lightmap.shadowDist, 12.0f);
        ExpectSameTiles(loaded.colourMap, saved.colourMap);
        ExpectSameTiles(loaded.detailMask1, saved.detailMask1);
        ExpectSameTiles(loaded.lightmap, saved.lightmap);
        if (c.details == 8) ExpectSameTiles(loaded.detailMask2, saved.detailMask2);

        // Without its "_dd" files the map comes back in four-detail mode.
        if (c.details == 8) {
            for (const std::string& name : FilesIn(folder.path))
                if (name.find("_dd") != std::string::npos) fs::remove(folder.path / name);
            TextureLayers four;
            four.setGrid(129, c.divisions);
            CopyKeys(saved, four);
            four.loadForMap(base.c_str());
            EXPECT_EQ(four.detailCount, 4);
            EXPECT_FALSE(four.eightDetails);
            EXPECT_FALSE(four.detailMask2.hasTiles());
        }
    }
}

TEST(TextureLayers, MissingOrWrongLayerFilesFallBackToBlankLayers)
{
    ScratchFolder folder;
    MessageRecorder messages;
    const std::string base = folder.base("lost");
    TextureLayers layers;
    layers.setGrid(129, 1);
    layers.colorMapSize = 128;
    layers.detailMapSize = 64;
    layers.lightMapSize = 0;
    layers.loadForMap(base.c_str());
    EXPECT_TRUE(messages.messages.empty()); // missing pictures are normal
    ExpectEveryPixel(layers.colourMap, {255, 255, 255});
    ExpectEveryPixel(layers.detailMask1, {255, 0, 0, 0});
    EXPECT_FALSE(layers.detailMask2.hasTiles());
    EXPECT_EQ(layers.detailCount, 4);
    EXPECT_EQ(layers.lightMapSize, 512);
    EXPECT_EQ(layers.lightmap.bytesPerPixel(), 1);
    EXPECT_EQ(layers.lightmap.tileSize(), 256);

    // Colour tiles of another size: a white colour map of the size asked.
    TextureLayers other;
    other.setGrid(129, 1);
    other.createForNewMap({64, 64, 64, 4, false});
    FillRandom(other.colourMap, 5);
    FillRandom(other.detailMask1, 6);
    ASSERT_TRUE(other.saveForMap(base.c_str()));
    layers.colorMapSize = 256;
    layers.detailMapSize = 64;
    layers.lightMapSize = 64;
    layers.loadForMap(base.c_str());
    EXPECT_EQ(layers.colourMap.tileSize(), 128);
    ExpectEveryPixel(layers.colourMap, {255, 255, 255});
    ExpectSameTiles(layers.detailMask1, other.detailMask1);
    EXPECT_TRUE(messages.mentions("32 x 32"));
}

TEST(TextureLayers, UnusableSizesAndScalesFromAMapFileAreReplaced)
{
    MessageRecorder messages;
    TextureLayers layers;
    layers.setGrid(129, 2);
    layers.colorMapSize = 7; // tiles of 1 pixel
    layers.detailMapSize = -5;
    layers.lightMapSize = 100000;
    layers.detailScales[0] = 0.0f;
    layers.detailScales[1] = -3.0f;
    layers.detailScales[2] = 2.5f;
    layers.detailScales[6] = 3.0f; // not stored in map files
    ScratchFolder folder;
    layers.loadForMap(folder.base("none").c_str());
    EXPECT_EQ(layers.colorMapSize, 512);
    EXPECT_EQ(layers.detailMapSize, 512);
    EXPECT_EQ(layers.lightMapSize, 512);
    EXPECT_EQ(layers.detailScales[0], 10.0f);
    EXPECT_EQ(layers.detailScales[1], 10.0f);
    EXPECT_EQ(layers.detailScales[2], 2.5f);
    EXPECT_EQ(layers.detailScales[6], 10.0f);
    EXPECT_EQ(messages.messages.size(), 5u);
    EXPECT_EQ(layers.colourMap.tileSize(), 128);
}

TEST(TextureLayers, DefaultDetailTexturesStopAtTheFirstMissingOne)
{
    LoaderScope loader(FirstTwoDefaults);
    TextureLayers layers;
    layers.setGrid(65, 0);
    layers.createForNewMap({64, 64, 64, 8, false});
    EXPECT_EQ(layers.detailTextures[0], reinterpret_cast<GlTexture*>(&g_fakeTexture[0]));
    EXPECT_EQ(layers.detailTextures[1], reinterpret_cast<GlTexture*>(&g_fakeTexture[1]));
    EXPECT_STREQ(layers.detailTextureNames[1].c_str(), "[HOME]Data\\Textures\\default2.tga");
    for (int slot = 2; slot < 8; ++slot)
        EXPECT_EQ(layers.detailTextures[slot], nullptr);
    EXPECT_TRUE(layers.defaultTexture[2]);

    // A user's texture named in the map file is loaded and is no default.
    ScratchFolder folder;
    layers.detailTextureNames[2] = "rock.tga";
    layers.loadForMap(folder.base("m").c_str());
    EXPECT_EQ(layers.detailTextures[2], reinterpret_cast<GlTexture*>(&g_fakeTexture[5]));
    EXPECT_FALSE(layers.defaultTexture[2]);
    EXPECT_TRUE(layers.defaultTexture[0]);

    layers.setDetailTexture(0, reinterpret_cast<GlTexture*>(&g_fakeTexture[7]), "sand.tga");
    EXPECT_FALSE(layers.defaultTexture[0]);
    EXPECT_STREQ(layers.detailTextureNames[0].c_str(), "sand.tga");
    layers.setDetailTexture(0, nullptr, "ignored");
    EXPECT_TRUE(layers.defaultTexture[0]);
    EXPECT_TRUE(layers.detailTextureNames[0].empty());
}

TEST(TextureLayers, SaveThroughATransactionAndStaleSecondMasks)
{
    ScratchFolder folder;
    const std::string base = folder.base("map");
    TextureLayers layers;
    layers.setGrid(65, 0);
    layers.createForNewMap({64, 64, 64, 8, false});
    {
        FileTransaction transaction;
        ASSERT_TRUE(layers.saveForMap(base.c_str(), &transaction));
        EXPECT_FALSE(fs::exists(base + "_dd.png")); // staged only
        ASSERT_TRUE(transaction.commit());
    }
    EXPECT_EQ(FilesIn(folder.path), (std::vector<std::string>{"map_c.png", "map_d.png", "map_dd.png", "map_l.png"}));

    // Back to four details under the same name: the old second mask must
    // not turn the map into an eight-detail map on its next load.
    TextureLayers four;
    four.setGrid(65, 0);
    four.createForNewMap({64, 64, 64, 4, false});
    ASSERT_TRUE(four.saveForMap(base.c_str()));
    four.removeStaleFiles(base.c_str());
    EXPECT_FALSE(fs::exists(base + "_dd.png"));
    TextureLayers loaded;
    loaded.setGrid(65, 0);
    CopyKeys(four, loaded);
    loaded.loadForMap(base.c_str());
    EXPECT_EQ(loaded.detailCount, 4);

    // A target that cannot be replaced fails the transaction and leaves
    // the old files and no temporary ones.
    const auto before = FilesIn(folder.path);
    fs::remove(base + "_l.png");
    fs::create_directory(base + "_l.png");
    FileTransaction blocked;
    layers.saveForMap(base.c_str(), &blocked);
    EXPECT_FALSE(blocked.commit());
    EXPECT_EQ(blocked.failedTarget(), base + "_l.png");
    EXPECT_EQ(FilesIn(folder.path), before);
}

TEST(TextureLayers, ReloadReadsTheFilesAgainButNeverBlanksAnUnsavedMap)
{
    ScratchFolder folder;
    TextureLayers layers;
    layers.setGrid(65, 1);
    layers.createForNewMap({64, 64, 64, 4, false});
    FillRandom(layers.colourMap, 7);
    const std::vector<uint8_t> painted = TileCopy(layers.colourMap, 0);
    layers.reloadForMap(); // never saved: nothing to reload from
    EXPECT_EQ(TileCopy(layers.colourMap, 0), painted);

    const std::string base = folder.base("r");
    ASSERT_TRUE(layers.saveForMap(base.c_str()));
    FillRandom(layers.colourMap, 8);
    layers.reloadForMap();
    EXPECT_EQ(TileCopy(layers.colourMap, 0), painted);
}
