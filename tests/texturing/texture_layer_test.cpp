#include "texturing/texture_layer.h"

#include "image/image.h"
#include "tools/grid_rect.h"

#include "layer_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

using namespace layer_test;
namespace fs = std::filesystem;

namespace {

const uint8_t* PixelAt(const TextureLayer& layer, int index, int u, int v)
{
    return layer.tile(index) + (static_cast<size_t>(v) * layer.tileSize() + u) * layer.bytesPerPixel();
}

} // namespace

TEST(TextureLayer, TileLayoutFollowsSizeAndDivisions)
{
    struct Case {
        int size, divisions, tileSize, layerSize, tiles;
    } cases[] = {{512, 0, 512, 512, 1}, {1024, 2, 256, 1021, 16}, {513, 1, 256, 511, 4}, {4096, 2, 1024, 4093, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size * 10 + c.divisions);
        TextureLayer layer;
        layer.setGrid(257, c.divisions);
        layer.create(c.size, 3);
        EXPECT_EQ(layer.tileSize(), c.tileSize);
        EXPECT_EQ(layer.layerSize(), c.layerSize);
        EXPECT_EQ(layer.tileCount(), c.tiles);
        const std::vector<uint8_t> white(layer.tileBytes(), 255);
        for (int i = 0; i < layer.tileCount(); ++i)
            EXPECT_EQ(TileCopy(layer, i), white);
    }
}

TEST(TextureLayer, CreateUploadsEveryTileOnceAndReleaseDeletesTextures)
{
    RecordingUploader gpu;
    TextureLayer layer;
    layer.setGrid(129, 2);
    layer.create(256, 4);
    ASSERT_EQ(gpu.uploads.size(), 16u);
    for (const auto& [name, count] : gpu.uploads) {
        EXPECT_NE(name, 0u);
        EXPECT_EQ(count, 1);
    }
    layer.release();
    EXPECT_EQ(gpu.deleted, 16);
    EXPECT_FALSE(layer.hasTiles());
}

TEST(TextureLayer, SplitSharesBordersAndAssembleGivesTheWholeBack)
{
    for (int divisions : {0, 1, 2}) {
        SCOPED_TRACE(divisions);
        TextureLayer layer;
        layer.setGrid(129, divisions);
        layer.create(128, 3);
        const size_t bytes = static_cast<size_t>(layer.layerSize()) * layer.layerSize() * 3;
        std::vector<uint8_t> whole(bytes);
        std::mt19937 random(divisions);
        for (uint8_t& b : whole)
            b = static_cast<uint8_t>(random());
        layer.split(whole.data());

        // Column T-1 of tile j is column 0 of tile j + 1, and so on.
        const int T = layer.tileSize(), D = layer.tilesPerSide();
        for (int i = 0; i < D; ++i)
            for (int j = 0; j + 1 < D; ++j)
                for (int v = 0; v < T; ++v)
                    ASSERT_EQ(std::memcmp(PixelAt(layer, i * D + j, T - 1, v), PixelAt(layer, i * D + j + 1, 0, v), 3),
                              0);

        uint8_t* assembled = layer.assemble();
        ASSERT_NE(assembled, nullptr);
        EXPECT_EQ(std::memcmp(assembled, whole.data(), bytes), 0);
        EXPECT_EQ(assembled == layer.tile(0), D == 1);
        layer.releaseAssembled(assembled);
    }
}

TEST(TextureLayer, ReplaceFromSplitsAndReuploads)
{
    RecordingUploader gpu;
    TextureLayer layer;
    layer.setGrid(65, 1);
    layer.create(64, 1);
    uint8_t* whole = layer.assemble();
    std::memset(whole, 7, static_cast<size_t>(layer.layerSize()) * layer.layerSize());
    gpu.clear();
    layer.replaceFrom(whole);
    layer.releaseAssembled(whole);
    EXPECT_EQ(gpu.totalUploads(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(layer.tile(i)[0], 7);
}

TEST(TextureLayer, FillStoresTheValueLittleEndian)
{
    TextureLayer layer;
    layer.setGrid(65, 1);
    layer.create(64, 4);
    layer.fill(0x44332211u);
    for (int i = 0; i < layer.tileCount(); ++i) {
        const uint8_t* last = PixelAt(layer, i, 31, 31);
        EXPECT_EQ(last[0], 0x11);
        EXPECT_EQ(last[1], 0x22);
        EXPECT_EQ(last[2], 0x33);
        EXPECT_EQ(last[3], 0x44);
    }
}

TEST(TextureLayer, SaveAndLoadRoundTripForEveryDivision)
{
    ScratchFolder folder;
    struct Case {
        int divisions, bytes;
        LayerFormat format;
    } cases[] = {{0, 3, LayerFormat::Colour},
                 {1, 4, LayerFormat::Mask},
                 {2, 1, LayerFormat::Lightmap},
                 {2, 3, LayerFormat::Lightmap}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.divisions * 10 + c.bytes);
        TextureLayer layer(c.format);
        layer.setGrid(129, c.divisions);
        layer.create(128, c.bytes);
        FillRandom(layer, static_cast<unsigned>(c.bytes));
        std::string base = folder.base("m_c");
        layer.setFileName(base.c_str());
        ASSERT_TRUE(layer.save());
        // "%s.png" for one tile, "%s%i.png" by tile index otherwise.
        if (c.divisions == 0) {
            EXPECT_TRUE(fs::exists(base + ".png"));
            EXPECT_FALSE(fs::exists(base + "0.png"));
        } else {
            for (int i = 0; i < layer.tileCount(); ++i)
                EXPECT_TRUE(fs::exists(base + std::to_string(i) + ".png"));
        }

        TextureLayer loaded(c.format);
        loaded.setGrid(129, c.divisions);
        ASSERT_TRUE(loaded.load(base.c_str(), 128));
        EXPECT_EQ(loaded.bytesPerPixel(), c.bytes);
        ASSERT_EQ(loaded.tileCount(), layer.tileCount());
        for (int i = 0; i < layer.tileCount(); ++i)
            EXPECT_EQ(TileCopy(loaded, i), TileCopy(layer, i));
        fs::remove_all(folder.path);
        fs::create_directories(folder.path);
    }
}

TEST(TextureLayer, LoadRefusesMissingWrongSizeAndWrongPixelTiles)
{
    ScratchFolder folder;
    struct Case {
        const char* name;
        LayerFormat format;
        int pictureSize, pictureBytes;
        bool writeAll; // false: tile 3 missing
        bool loads;
        const char* message; // nullptr: silent
    } cases[] = {
        {"missing tile", LayerFormat::Colour, 32, 3, false, false, nullptr},
        {"wrong tile size", LayerFormat::Colour, 64, 3, true, false, "64 x 64"},
        {"mask saved without alpha", LayerFormat::Mask, 32, 3, true, false, "bytes per pixel"},
        {"mask saved as grey", LayerFormat::Mask, 32, 1, true, false, "bytes per pixel"},
        {"colour saved with alpha", LayerFormat::Colour, 32, 4, true, true, "converted"},
        {"colour saved as grey", LayerFormat::Colour, 32, 1, true, true, "converted"},
        {"coloured lightmap", LayerFormat::Lightmap, 32, 3, true, true, nullptr},
        {"lightmap with alpha", LayerFormat::Lightmap, 32, 4, true, true, "converted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageRecorder messages;
        std::string base = folder.base(c.name);
        for (int i = 0; i < 4; ++i) {
            if (c.writeAll || i != 3) {
                ASSERT_TRUE(WritePicture(base + std::to_string(i) + ".png", c.pictureSize, c.pictureBytes, 90));
            }
        }
        TextureLayer layer(c.format);
        layer.setGrid(65, 1);
        EXPECT_EQ(layer.load(base.c_str(), 64), c.loads);
        EXPECT_EQ(layer.hasTiles(), c.loads);
        if (c.message) {
            EXPECT_TRUE(messages.mentions(c.message)) << (messages.messages.empty() ? "" : messages.messages[0]);
        } else {
            EXPECT_TRUE(messages.messages.empty());
        }
        if (c.loads) {
            EXPECT_EQ(layer.bytesPerPixel(), 3);
            EXPECT_EQ(PixelAt(layer, 3, 31, 31)[0], 90);
        }
    }
}

TEST(TextureLayer, CorruptTileFileFallsBackWithAMessage)
{
    ScratchFolder folder;
    MessageRecorder messages;
    std::string base = folder.base("bad_c");
    std::FILE* file = std::fopen((base + ".png").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("\x89PNG\r\n\x1a\n truncated", file);
    std::fclose(file);
    TextureLayer layer(LayerFormat::Colour);
    layer.setGrid(65, 0);
    EXPECT_FALSE(layer.load(base.c_str(), 64));
    EXPECT_TRUE(messages.mentions("cannot be read"));
}

TEST(TextureLayer, ColourAtReadsTheTileUnderThePointAndTheLastTileAtTheEdge)
{
    // N = 65, two divisions: P = 16 cells per tile, T = 32 pixels per tile.
    TextureLayer layer(LayerFormat::Colour);
    layer.setGrid(65, 2);
    layer.create(128, 3);
    const int T = layer.tileSize();
    ASSERT_EQ(T, 32);
    // Every pixel encodes its tile and position.
    for (int i = 0; i < layer.tileCount(); ++i)
        for (int v = 0; v < T; ++v)
            for (int u = 0; u < T; ++u) {
                uint8_t* p = layer.tile(i) + (static_cast<size_t>(v) * T + u) * 3;
                p[0] = static_cast<uint8_t>(i);
                p[1] = static_cast<uint8_t>(u);
                p[2] = static_cast<uint8_t>(v);
            }
    struct Case {
        float x, z;
        bool inside;
        int tile, u, v;
    } cases[] = {
        {0.0f, 0.0f, true, 0, 0, 0},      {8.0f, 4.5f, true, 0, 16, 9},     {16.0f, 0.0f, true, 1, 0, 0},
        {63.9f, 63.9f, true, 15, 31, 31}, {64.0f, 64.0f, true, 15, 31, 31}, {64.0f, 10.0f, true, 3, 31, 20},
        {-0.01f, 5.0f, false, 0, 0, 0},   {5.0f, 64.01f, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x * 1000 + c.z);
        float rgba[4] = {-1, -1, -1, -1};
        ASSERT_EQ(layer.colourAt(c.x, c.z, rgba), c.inside);
        if (!c.inside) continue;
        EXPECT_FLOAT_EQ(rgba[0], c.tile * 0.003921569f);
        EXPECT_FLOAT_EQ(rgba[1], c.u * 0.003921569f);
        EXPECT_FLOAT_EQ(rgba[2], c.v * 0.003921569f);
        EXPECT_EQ(rgba[3], 1.0f);
    }

    TextureLayer grey(LayerFormat::Lightmap);
    grey.setGrid(65, 0);
    grey.create(64, 1);
    grey.fill(51);
    float rgba[4];
    ASSERT_TRUE(grey.colourAt(64.0f, 64.0f, rgba));
    EXPECT_FLOAT_EQ(rgba[0], 0.2f);
    EXPECT_FLOAT_EQ(rgba[2], 0.2f);
}

TEST(TextureLayer, SnapshotGrowAndRestoreAreByteExact)
{
    RecordingUploader gpu;
    TextureLayer layer(LayerFormat::Mask);
    layer.setGrid(65, 2);
    layer.create(128, 4);
    FillRandom(layer, 1);
    std::vector<std::vector<uint8_t>> original;
    for (int i = 0; i < layer.tileCount(); ++i)
        original.push_back(TileCopy(layer, i));

    // Crosses the border between tiles 0 and 1 (cell 16 is shared).
    const GridRect first{10, 2, 20, 12};
    std::vector<uint8_t> copy = layer.snapshot(first);
    ASSERT_EQ(copy.size(), layer.snapshotSize(first));

    FillRandom(layer, 2);
    std::vector<std::vector<uint8_t>> middle;
    for (int i = 0; i < layer.tileCount(); ++i)
        middle.push_back(TileCopy(layer, i));

    const GridRect second{14, 8, 40, 30};
    const GridRect both{10, 2, 40, 30};
    copy = layer.growSnapshot(second, first, std::move(copy));
    ASSERT_EQ(copy.size(), layer.snapshotSize(both));

    FillRandom(layer, 3);
    gpu.clear();
    ASSERT_TRUE(layer.restore(both, copy));

    TextureLayer::PixelRect firstPixels, bothPixels;
    ASSERT_TRUE(layer.pixelRectOf(first, firstPixels));
    ASSERT_TRUE(layer.pixelRectOf(both, bothPixels));
    const int step = layer.tileSize() - 1;
    int touched = 0;
    for (int i = 0; i < layer.tileCount(); ++i) {
        const int x0 = (i % 4) * step, y0 = (i / 4) * step;
        bool any = false;
        for (int v = 0; v < layer.tileSize(); ++v)
            for (int u = 0; u < layer.tileSize(); ++u) {
                const int px = x0 + u, py = y0 + v;
                const bool inFirst = px >= firstPixels.left && px <= firstPixels.right && py >= firstPixels.top &&
                                     py <= firstPixels.bottom;
                const bool inBoth =
                    px >= bothPixels.left && px <= bothPixels.right && py >= bothPixels.top && py <= bothPixels.bottom;
                const uint8_t* now = PixelAt(layer, i, u, v);
                size_t at = (static_cast<size_t>(v) * layer.tileSize() + u) * 4;
                if (inFirst) {
                    ASSERT_EQ(std::memcmp(now, &original[i][at], 4), 0) << i << " " << u << " " << v;
                } else if (inBoth) {
                    ASSERT_EQ(std::memcmp(now, &middle[i][at], 4), 0) << i << " " << u << " " << v;
                }
                any |= inBoth;
            }
        if (any) {
            ++touched;
            EXPECT_EQ(gpu.uploads[layer.texture(i)], 1) << i;
        }
    }
    EXPECT_EQ(touched, 6);
    EXPECT_EQ(gpu.totalUploads(), touched);
}

TEST(TextureLayer, RestoreRefusesACopyOfAnotherRectangle)
{
    TextureLayer layer(LayerFormat::Colour);
    layer.setGrid(65, 1);
    layer.create(64, 3);
    FillRandom(layer, 4);
    std::vector<uint8_t> before = TileCopy(layer, 0);
    std::vector<uint8_t> copy = layer.snapshot(GridRect{0, 0, 5, 5});
    EXPECT_FALSE(layer.restore(GridRect{0, 0, 6, 6}, copy));
    EXPECT_FALSE(layer.restore(GridRect{0, 0, 5, 5}, std::vector<uint8_t>(copy.size() - 1)));
    EXPECT_EQ(TileCopy(layer, 0), before);
    // Rectangles reaching past the map are clamped, not read beyond it.
    std::vector<uint8_t> edge = layer.snapshot(GridRect{60, 60, 200, 200});
    EXPECT_EQ(edge.size(), layer.snapshotSize(GridRect{60, 60, 65, 65}));
    EXPECT_TRUE(layer.restore(GridRect{60, 60, 200, 200}, edge));
    EXPECT_TRUE(layer.snapshot(GridRect{}).empty());
}

TEST(TextureLayer, ReadBackUsesTheTextureWhenItCanAndTheMemoryOtherwise)
{
    RecordingUploader gpu;
    TextureLayer layer(LayerFormat::Lightmap);
    layer.setGrid(65, 0);
    layer.create(64, 1);
    layer.fill(12);
    std::vector<uint8_t> out(layer.tileBytes());
    layer.readBack(out.data());
    EXPECT_EQ(out[100], 12);
    gpu.readBackByte = 200;
    layer.readBack(out.data());
    EXPECT_EQ(out[100], 200);
}
