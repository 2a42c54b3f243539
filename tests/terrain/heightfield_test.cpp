#include "terrain/heightfield.h"

#include "image/image.h"
#include "terrain/new_map_parameters.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Builds an n x n map whose heights are rows[z][x], refreshed like a tool
// would after writing them.
void makeMap(Heightfield& field, const std::vector<std::vector<float>>& rows)
{
    NewMapParameters params;
    params.size = static_cast<int>(rows.size());
    ASSERT_TRUE(field.Create(params));
    int n = field.size();
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x)
            field.setHeight(x, z, rows[z][x]);
    }
    field.UpdateRegion(0, 0, n - 1, n - 1);
    field.UpdateErrors(0, 0, n - 1, n - 1);
}

void fillRandom(Heightfield& field, int n, unsigned seed)
{
    NewMapParameters params;
    params.size = n;
    ASSERT_TRUE(field.Create(params));
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> height(0.0f, 60.0f);
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x)
            field.setHeight(x, z, height(rng));
    }
    field.UpdateRegion(0, 0, n - 1, n - 1);
    field.UpdateErrors(0, 0, n - 1, n - 1);
}

} // namespace

TEST(Heightfield, NewFlatMapHasQuarterScaleEverywhere)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 257;
    params.divisions = 2;
    ASSERT_TRUE(field.Create(params));
    EXPECT_EQ(field.size(), 257);
    EXPECT_EQ(field.cells(), 256);
    EXPECT_EQ(field.levels(), 8);
    EXPECT_EQ(field.patchCells(), 64);
    EXPECT_EQ(field.minHeight(), 16);
    EXPECT_EQ(field.maxHeight(), 16);
    for (int i = 0; i < 257 * 257; ++i) {
        ASSERT_EQ(field.heights()[i], 16.25f);
        ASSERT_EQ(field.vertices()[i].y, 16.25f);
        ASSERT_EQ(field.vertices()[i].x, static_cast<float>(i % 257));
        ASSERT_EQ(field.vertices()[i].z, static_cast<float>(i / 257));
        ASSERT_EQ(field.midpointErrors()[i], 0.0f);
    }
    for (int i = 0; i < 256 * 256; ++i)
        ASSERT_EQ(field.cellMax()[i], 64);
    EXPECT_EQ(field.outline()[2].x, 256.0f);
    EXPECT_EQ(field.outline()[2].y, 16.0f);
    EXPECT_EQ(field.outline()[2].z, 256.0f);
}

TEST(Heightfield, CreateRefusesGridsItCannotBuild)
{
    struct Case {
        int size;
        int divisions;
    };
    for (Case c :
         {Case{0, 0}, Case{2, 0}, Case{4, 0}, Case{100, 0}, Case{8193, 0}, Case{257, 3}, Case{257, -1}, Case{3, 2}}) {
        Heightfield field;
        NewMapParameters params;
        params.size = c.size;
        params.divisions = c.divisions;
        String error;
        EXPECT_FALSE(field.Create(params, &error)) << c.size << " " << c.divisions;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(field.empty());
    }
}

TEST(Heightfield, ResetRestoresDefaults)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 65;
    params.divisions = 1;
    ASSERT_TRUE(field.Create(params));
    ASSERT_TRUE(field.SetHeightScale(200.0f));
    field.Reset();
    EXPECT_TRUE(field.empty());
    EXPECT_EQ(field.heights(), nullptr);
    EXPECT_EQ(field.heightScale, 65.0f);
    EXPECT_EQ(field.divisions, 0);
    EXPECT_EQ(field.GetHeight(3.0f, 3.0f), 0.0f);
}

TEST(Heightfield, SamplesOneTriangleSplit)
{
    // One cell (0,0)=0, (1,0)=1, (0,1)=1, (1,1)=2 and, beside it, a saddle
    // that tells the two diagonals apart.
    Heightfield field;
    makeMap(field, {{0, 1, 0}, {1, 2, 1}, {0, 0, 0}});
    EXPECT_FLOAT_EQ(field.GetHeight(0.25f, 0.25f), 0.5f);
    EXPECT_FLOAT_EQ(field.GetHeight(0.75f, 0.75f), 1.5f);
    // Cell (1,0): (1,0)=1, (2,0)=0, (1,1)=2, (2,1)=1. Its centre lies on the
    // diagonal from (2,0) to (1,1): (0 + 2) / 2 = 1 on either triangle.
    EXPECT_FLOAT_EQ(field.GetHeight(1.5f, 0.5f), 1.0f);
    // Cell (0,1): (0,1)=1, (1,1)=2, (0,2)=0, (1,2)=0; the centre is on the
    // diagonal from (1,1)=2 to (0,2)=0, not on the one from 1 to 0.
    EXPECT_FLOAT_EQ(field.GetHeight(0.5f, 1.5f), 1.0f);
}

TEST(Heightfield, ClampsSamplesToJustInsideTheBorder)
{
    Heightfield field;
    makeMap(field, {{0, 1, 2, 3, 4}, {1, 5, 2, 7, 1}, {3, 1, 9, 2, 6}, {0, 4, 2, 8, 1}, {5, 6, 7, 3, 2}});
    EXPECT_EQ(field.GetHeight(-5.0f, 1.3f), field.GetHeight(0.001f, 1.3f));
    EXPECT_EQ(field.GetHeight(4.0f, 2.6f), field.GetHeight(4.0f - 0.001f, 2.6f));
    EXPECT_EQ(field.GetHeight(17.0f, 99.0f), field.GetHeight(3.999f, 3.999f));
    EXPECT_EQ(field.GetHeight(NAN, 2.0f), field.GetHeight(0.001f, 2.0f));
    EXPECT_NEAR(field.GetHeight(4.0f, 4.0f), 2.0f, 0.01f);
}

TEST(Heightfield, NormalsAndSlopesPerTriangle)
{
    // Cell (0,0) with only (1,0) raised: the lower triangle tilts along x,
    // the upper one along z.
    Heightfield field;
    makeMap(field, {{0, 1, 1}, {0, 0, 0}, {0, 0, 0}});
    const float r = 1.0f / std::sqrt(2.0f);
    Vec3 lower = field.GetNormal(0.2f, 0.2f);
    EXPECT_NEAR(lower.x, -r, 1e-6f);
    EXPECT_NEAR(lower.y, r, 1e-6f);
    EXPECT_NEAR(lower.z, 0.0f, 1e-6f);
    Vec3 upper = field.GetNormal(0.8f, 0.8f);
    EXPECT_NEAR(upper.x, 0.0f, 1e-6f);
    EXPECT_NEAR(upper.y, r, 1e-6f);
    EXPECT_NEAR(upper.z, r, 1e-6f);
    EXPECT_NEAR(field.GetSlope(0.2f, 0.2f), 45.0f, 1e-3f);
    // Cell (1,1) is flat: both of its triangles have slope 0.
    EXPECT_EQ(field.GetSlope(1.2f, 1.2f), 0.0f);
    EXPECT_EQ(field.GetSlope(1.8f, 1.8f), 0.0f);
    Vec3 flat = field.GetNormal(1.8f, 1.8f);
    EXPECT_EQ(flat.y, 1.0f);
}

TEST(Heightfield, MidpointErrorsOfASmallMapMatchHandWorkedValues)
{
    Heightfield field;
    makeMap(field, {{0, 1, 3, 5, 8}, {1, 3, 5, 7, 9}, {3, 1, 9, 2, 6}, {0, 4, 2, 8, 1}, {5, 6, 7, 3, 2}});
    // Worked by hand: level 2 gives the edge midpoints and centre of the
    // whole map, level 1 those of the four 2 x 2 blocks; the centre of a
    // block is measured against the diagonal from its top-right to its
    // bottom-left corner.
    const float expected[5][5] = {
        {0.0f, 0.5f, 1.0f, 0.5f, 0.0f},  {0.5f, 0.0f, 1.0f, 1.5f, -2.0f}, {-0.5f, 5.0f, -2.5f, 5.5f, -1.0f},
        {4.0f, 3.0f, 6.0f, -1.5f, 3.0f}, {0.0f, 0.0f, -3.5f, 1.5f, 0.0f},
    };
    for (int z = 0; z < 5; ++z) {
        for (int x = 0; x < 5; ++x)
            EXPECT_FLOAT_EQ(field.midpointErrors()[z * 5 + x], expected[z][x]) << x << "," << z;
    }
    // A deviation of at most 0.01 is stored as exactly zero.
    field.setHeight(1, 0, 1.495f);
    field.UpdateErrors(1, 0, 1, 0);
    EXPECT_EQ(field.midpointErrors()[1], 0.0f);
    field.setHeight(1, 0, 1.485f);
    field.UpdateErrors(1, 0, 1, 0);
    EXPECT_NEAR(field.midpointErrors()[1], 0.015f, 1e-5f);
}

TEST(Heightfield, BoundsStayExactWhenThePeakIsLowered)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 129;
    ASSERT_TRUE(field.Create(params));
    field.setHeight(10, 10, 50.5f);  // highest peak
    field.setHeight(100, 90, 40.0f); // second peak, far away
    field.setHeight(70, 20, 3.0f);   // lowest point
    field.UpdateRegion(0, 0, 128, 128);
    EXPECT_EQ(field.maxHeight(), 50);
    EXPECT_EQ(field.minHeight(), 3);
    EXPECT_EQ(field.maxPosition().x, 10.0f);
    EXPECT_EQ(field.maxPosition().z, 10.0f);

    // Lower the highest peak in a small rectangle: the far peak is the
    // new maximum, although it lies outside the rectangle.
    field.setHeight(10, 10, 1.0f);
    field.UpdateRegion(9, 9, 11, 11);
    EXPECT_EQ(field.maxHeight(), 40);
    EXPECT_EQ(field.maxPosition().x, 100.0f);
    EXPECT_EQ(field.maxPosition().z, 90.0f);
    EXPECT_EQ(field.minHeight(), 1);
    EXPECT_EQ(field.minPosition().x, 10.0f);
    EXPECT_EQ(field.outline()[0].y, 1.0f);

    // Raise it again: the lowest point is the old one again. The last row
    // and column count too.
    field.setHeight(10, 10, 20.0f);
    field.setHeight(128, 128, 2.5f);
    field.UpdateRegion(9, 9, 11, 11);
    field.UpdateRegion(127, 127, 128, 128);
    EXPECT_EQ(field.minHeight(), 2);
    EXPECT_EQ(field.minPosition().x, 128.0f);
    EXPECT_EQ(field.maxHeight(), 40);
}

TEST(Heightfield, CellBytesAreClampedOutsideTheScale)
{
    Heightfield field;
    makeMap(field, {{-30, -30, 0}, {-30, -30, 0}, {0, 0, 400}});
    EXPECT_EQ(field.cellMax()[0], 0);   // all corners below zero
    EXPECT_EQ(field.cellMax()[3], 255); // a corner far above the scale
    EXPECT_EQ(field.cellMax()[1], 0);   // corners -30 and 0: ceil(0) = 0
    EXPECT_EQ(field.minHeight(), -30);
    EXPECT_EQ(field.maxHeight(), 400);
}

TEST(Heightfield, SetHeightScaleRescalesHeights)
{
    Heightfield field;
    makeMap(field, {{0, 10, 20}, {5, 15, 25}, {30, 40, 65}});
    std::vector<uint8_t> bytes(field.cellMax(), field.cellMax() + 4);
    ASSERT_TRUE(field.SetHeightScale(130.0f));
    EXPECT_EQ(field.heightScale, 130.0f);
    EXPECT_FLOAT_EQ(field.height(1, 1), 30.0f);
    EXPECT_FLOAT_EQ(field.vertices()[4].y, 30.0f);
    EXPECT_FLOAT_EQ(field.height(2, 2), 130.0f);
    EXPECT_EQ(field.maxHeight(), 130);
    EXPECT_EQ(std::vector<uint8_t>(field.cellMax(), field.cellMax() + 4), bytes);
    // Halving brings the maximum down with the heights.
    ASSERT_TRUE(field.SetHeightScale(65.0f));
    EXPECT_EQ(field.maxHeight(), 65);
    // Scales that would divide by zero or poison every height are refused.
    for (float bad : {0.0f, -5.0f, NAN, INFINITY})
        EXPECT_FALSE(field.SetHeightScale(bad));
    EXPECT_EQ(field.heightScale, 65.0f);
}

// Partial refreshes must leave exactly what a whole-map refresh gives: the
// right-hand and bottom blocks that only share an edge with the rectangle
// included, and bounds that hold for the whole map.
TEST(Heightfield, PartialRefreshEqualsWholeRefresh)
{
    const int n = 129;
    Heightfield field;
    fillRandom(field, n, 7);
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(0, n - 1);
    std::uniform_real_distribution<float> height(-5.0f, 80.0f);
    struct Rect {
        int x0, z0, x1, z1;
    };
    std::vector<Rect> rects = {{100, 40, 120, 60}, {96, 32, 96, 32}, {0, 0, 0, 0}, {128, 128, 128, 128}};
    for (int i = 0; i < 60; ++i) {
        int a = coord(rng), b = coord(rng), c = coord(rng), d = coord(rng);
        rects.push_back({std::min(a, b), std::min(c, d), std::max(a, b), std::max(c, d)});
    }
    for (const Rect& r : rects) {
        for (int z = r.z0; z <= r.z1; ++z) {
            for (int x = r.x0; x <= r.x1; ++x)
                field.setHeight(x, z, height(rng));
        }
        // As the tools do: cells around the changed samples, errors of them.
        field.UpdateRegion(r.x0 - 1, r.z0 - 1, r.x1 + 1, r.z1 + 1);
        field.UpdateErrors(r.x0, r.z0, r.x1, r.z1);

        Heightfield whole;
        NewMapParameters params;
        params.size = n;
        ASSERT_TRUE(whole.Create(params));
        for (int i = 0; i < n * n; ++i)
            whole.setHeight(i % n, i / n, field.heights()[i]);
        whole.UpdateRegion(0, 0, n - 1, n - 1);
        whole.UpdateErrors(0, 0, n - 1, n - 1);
        ASSERT_EQ(field.maxHeight(), whole.maxHeight());
        ASSERT_EQ(field.minHeight(), whole.minHeight());
        ASSERT_EQ(field.maxPosition(), whole.maxPosition());
        ASSERT_EQ(field.minPosition(), whole.minPosition());
        for (int i = 0; i < n * n; ++i) {
            ASSERT_EQ(field.midpointErrors()[i], whole.midpointErrors()[i])
                << "sample " << i % n << "," << i / n << " after rect " << r.x0 << "," << r.z0 << "-" << r.x1 << ","
                << r.z1;
        }
        for (int i = 0; i < (n - 1) * (n - 1); ++i)
            ASSERT_EQ(field.cellMax()[i], whole.cellMax()[i]);
    }
}

// ---- Heights from pictures ----------------------------------------------

namespace {

// A grey picture whose pixel (x, z) is value(x, z); 1 or 2 bytes per sample.
Image* greyPicture(int width, int height, int bytesPerSample, unsigned (*value)(int, int))
{
    auto* pixels = new unsigned char[static_cast<size_t>(width) * height * bytesPerSample];
    for (int z = 0; z < height; ++z) {
        for (int x = 0; x < width; ++x) {
            unsigned v = value(x, z);
            unsigned char* p = pixels + (static_cast<size_t>(z) * width + x) * bytesPerSample;
            p[0] = static_cast<unsigned char>(v & 0xFF);
            if (bytesPerSample == 2) p[1] = static_cast<unsigned char>(v >> 8);
        }
    }
    return new Image(pixels, width, height, bytesPerSample);
}

// Runs the test body inside a scratch folder, as the map loader runs inside
// the map folder.
class HeightfieldFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        folder =
            std::filesystem::temp_directory_path() / ("glebora_heightfield_" + std::to_string(::getpid()) + "_" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
    }
    void TearDown() override
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    static void save(Image& picture, const char* name)
    {
        picture.Set(picture.m_data, picture.m_width, picture.m_height, picture.m_bytesPerPixel, name);
        ASSERT_TRUE(picture.Save());
    }
    std::filesystem::path previous;
    std::filesystem::path folder;
};

} // namespace

TEST(HeightfieldPicture, EightAndSixteenBitFullScaleGiveTheHeightScale)
{
    std::unique_ptr<Image> eight(greyPicture(3, 3, 1, [](int x, int) -> unsigned { return x == 2 ? 255 : 51; }));
    std::unique_ptr<Image> sixteen(
        greyPicture(3, 3, 2, [](int x, int) -> unsigned { return x == 2 ? 65535 : 0x1234; }));
    NewMapParameters params;
    params.size = 3;
    Heightfield field;
    params.source = eight.get();
    ASSERT_TRUE(field.Create(params));
    EXPECT_FLOAT_EQ(field.height(2, 1), 65.0f);
    EXPECT_FLOAT_EQ(field.height(0, 1), 51.0f * 65.0f / 255.0f);
    EXPECT_EQ(field.maxHeight(), 65);
    params.source = sixteen.get();
    ASSERT_TRUE(field.Create(params));
    EXPECT_FLOAT_EQ(field.height(2, 0), 65.0f);
    EXPECT_FLOAT_EQ(field.height(1, 2), 0x1234 * 65.0f / 65535.0f);
    EXPECT_FLOAT_EQ(field.vertices()[5].y, 65.0f);

    // Only the first channel counts: an RGB picture with red = 255.
    auto* rgb = new unsigned char[9 * 3];
    for (int i = 0; i < 9; ++i) {
        rgb[i * 3] = 255;
        rgb[i * 3 + 1] = 0;
        rgb[i * 3 + 2] = 7;
    }
    Image colour(rgb, 3, 3, 3);
    params.source = &colour;
    ASSERT_TRUE(field.Create(params));
    EXPECT_FLOAT_EQ(field.height(1, 1), 65.0f);
}

TEST(HeightfieldPicture, ResamplingMapsCornerToCorner)
{
    // Every pixel holds its own coordinates, so each sample tells which
    // pixel it took.
    std::unique_ptr<Image> big(greyPicture(513, 513, 2, [](int x, int z) -> unsigned { return x * 97u + z; }));
    NewMapParameters params;
    params.size = 257;
    params.source = big.get();
    Heightfield field;
    ASSERT_TRUE(field.SetHeightScale(65535.0f)); // one unit per picture step
    ASSERT_TRUE(field.Create(params));
    ASSERT_TRUE(field.SetHeightScale(65535.0f)); // Create resets the scale
    ASSERT_TRUE(field.SetHeightsFromPicture(*big));
    for (int z = 0; z < 257; z += 16) {
        for (int x = 0; x < 257; x += 8) {
            ASSERT_EQ(field.height(x, z), static_cast<float>(2 * x * 97 + 2 * z)) << x << "," << z;
        }
    }
    EXPECT_EQ(field.height(256, 256), static_cast<float>(512 * 97 + 512));

    // A smaller picture repeats pixels: 100 pixels over 129 samples, nearest
    // to x * 99 / 128, both corners included.
    std::unique_ptr<Image> small(greyPicture(100, 100, 1, [](int x, int z) -> unsigned { return (x + z) % 256; }));
    params.size = 129;
    params.source = nullptr;
    ASSERT_TRUE(field.Create(params));
    ASSERT_TRUE(field.SetHeightScale(255.0f));
    ASSERT_TRUE(field.SetHeightsFromPicture(*small));
    for (int x = 0; x < 129; ++x) {
        int column = (x * 99 + 64) / 128;
        ASSERT_FLOAT_EQ(field.height(x, 0), static_cast<float>(column)) << x;
    }
    EXPECT_EQ(field.height(2, 0), field.height(3, 0)); // a repeated pixel
    EXPECT_FLOAT_EQ(field.height(128, 128), 198.0f);
}

TEST(HeightfieldPicture, CompressedOrOddDepthPicturesAreRefused)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 65;
    ASSERT_TRUE(field.Create(params));
    auto* blocks = new unsigned char[8]();
    Image dxt(blocks, 4, 4, 3);
    dxt.m_compressedFormat = Image::kFormatDxt1;
    String error;
    EXPECT_FALSE(field.SetHeightsFromPicture(dxt, &error));
    EXPECT_FALSE(error.empty());
    Image empty;
    EXPECT_FALSE(field.SetHeightsFromPicture(empty));
    params.source = &dxt;
    EXPECT_FALSE(field.Create(params));
    // The old terrain is still there, untouched.
    EXPECT_EQ(field.size(), 65);
    EXPECT_EQ(field.height(10, 10), 16.25f);
}

TEST_F(HeightfieldFiles, LoadsSixteenBitHeightmapsAtFullDepth)
{
    std::filesystem::copy_file(std::filesystem::path(GLEBORA_SHARED_DATA) / "fuji_513_h16.png", "fuji.png");
    Image reference;
    reference.Force8BitDepth(false);
    ASSERT_TRUE(reference.Load("fuji.png"));
    ASSERT_EQ(reference.m_bytesPerPixel, 2);

    Heightfield field;
    field.heightScale = 3737.3f;
    field.divisions = 1;
    ASSERT_TRUE(field.LoadHeightmap("fuji"));
    EXPECT_EQ(field.size(), 513);
    EXPECT_EQ(field.patchCells(), 256);
    EXPECT_EQ(field.heightScale, 3737.3f);
    const float step = 3737.3f / 65535.0f;
    int distinct = 0;
    std::vector<bool> seen(65536);
    for (int i = 0; i < 513 * 513; ++i) {
        unsigned v = reference.m_data[2 * i] | (reference.m_data[2 * i + 1] << 8);
        ASSERT_EQ(field.heights()[i], static_cast<float>(v) * step);
        if (!seen[v]) ++distinct, seen[v] = true;
    }
    // Cut to 8 bits there could be at most 256 levels: the map would be terraced.
    EXPECT_GT(distinct, 10000);
    // The summit (row 178, column 308 of the source) is the highest sample.
    EXPECT_EQ(field.maxHeight(), 3751 - 14);
    EXPECT_EQ(field.maxPosition().x, 308.0f);
    EXPECT_EQ(field.maxPosition().z, 178.0f);
}

TEST_F(HeightfieldFiles, HalfSizeMapFromPictureEqualsHalfSizeHeightmap)
{
    namespace fs = std::filesystem;
    fs::copy_file(fs::path(GLEBORA_SHARED_DATA) / "fuji_257_h16.png", "half.png");
    Heightfield loaded;
    ASSERT_TRUE(loaded.LoadHeightmap("half"));

    Image big;
    big.Force8BitDepth(false);
    ASSERT_TRUE(big.Load((fs::path(GLEBORA_SHARED_DATA) / "fuji_513_h16.png").c_str()));
    Heightfield created;
    NewMapParameters params;
    params.size = 257;
    params.source = &big;
    ASSERT_TRUE(created.Create(params));
    for (int i = 0; i < 257 * 257; ++i)
        ASSERT_EQ(created.heights()[i], loaded.heights()[i]) << i;
}

TEST_F(HeightfieldFiles, LoadRefusesPicturesThatCannotBeAGrid)
{
    struct Case {
        const char* name;
        int width;
        int height;
    };
    for (Case c : {Case{"wide", 65, 33}, Case{"small", 33, 33}, Case{"notpow", 100, 100}, Case{"even", 64, 64}}) {
        std::unique_ptr<Image> picture(greyPicture(c.width, c.height, 2, [](int, int) -> unsigned { return 9; }));
        save(*picture, (std::string(c.name) + ".png").c_str());
        Heightfield field;
        NewMapParameters params;
        params.size = 65;
        ASSERT_TRUE(field.Create(params));
        String error;
        EXPECT_FALSE(field.LoadHeightmap(c.name, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(field.empty()) << c.name;
    }
    Heightfield field;
    String error;
    EXPECT_FALSE(field.LoadHeightmap("missing", &error));
    EXPECT_NE(std::string(error.c_str()).find("missing.png"), std::string::npos);
}

TEST_F(HeightfieldFiles, LoadReplacesSettingsThatWouldBreakTheGrid)
{
    std::unique_ptr<Image> picture(greyPicture(65, 65, 1, [](int x, int) -> unsigned { return x; }));
    save(*picture, "map.png");
    Heightfield field;
    field.heightScale = 0.0f;
    field.divisions = 7;
    ASSERT_TRUE(field.LoadHeightmap("map"));
    EXPECT_EQ(field.heightScale, 65.0f);
    EXPECT_EQ(field.divisions, 0);
    EXPECT_EQ(field.cellMax()[63], static_cast<uint8_t>(64)); // ceil(64 * 65/255 * 255/65)
}

TEST_F(HeightfieldFiles, ImportKeepsTheGridAndFailsWithoutChange)
{
    std::unique_ptr<Image> picture(greyPicture(20, 20, 1, [](int, int) -> unsigned { return 255; }));
    save(*picture, "import.png");
    Heightfield field;
    NewMapParameters params;
    params.size = 65;
    ASSERT_TRUE(field.Create(params));
    EXPECT_FALSE(field.ImportHeightmap("nothing.png"));
    EXPECT_EQ(field.height(5, 5), 16.25f);
    ASSERT_TRUE(field.ImportHeightmap("import.png"));
    EXPECT_EQ(field.size(), 65);
    EXPECT_EQ(field.height(64, 64), 65.0f);
    EXPECT_EQ(field.minHeight(), 65);
}
