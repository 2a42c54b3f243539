#include "image/image.h"

#include "shared/progress_bar.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string TempPath(const char* name)
{
    return ::testing::TempDir() + "glebora_png_" + name;
}

unsigned char* Pattern(int width, int height, int bytesPerPixel)
{
    auto* pixels = new unsigned char[size_t(width) * height * bytesPerPixel];
    for (size_t i = 0; i < size_t(width) * height * bytesPerPixel; ++i)
        pixels[i] = static_cast<unsigned char>(i * 7 + i / 13);
    return pixels;
}

std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::vector<unsigned char> bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    int c;
    while ((c = std::fgetc(file)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    std::fclose(file);
    return bytes;
}

// Every writable layout comes back byte for byte, at full depth.
TEST(PngFormat, RoundTripsEveryLayout)
{
    for (int bytesPerPixel : {1, 2, 3, 4, 6, 8}) {
        SCOPED_TRACE(bytesPerPixel);
        const int width = 37, height = 11;
        std::string path = TempPath("layout.png");
        Image written(Pattern(width, height, bytesPerPixel), width, height, bytesPerPixel, path.c_str());
        ASSERT_TRUE(written.Save());

        Image read;
        read.Force8BitDepth(false);
        ASSERT_TRUE(read.Load(path.c_str()));
        EXPECT_EQ(read.m_width, width);
        EXPECT_EQ(read.m_height, height);
        EXPECT_EQ(read.m_bytesPerPixel, bytesPerPixel);
        EXPECT_EQ(read.m_colorType, written.m_colorType);
        EXPECT_EQ(std::memcmp(read.m_data, written.m_data, size_t(width) * height * bytesPerPixel), 0);
        std::remove(path.c_str());
    }
}

TEST(PngFormat, SixteenBitGreyIsLittleEndianInMemoryAndBigEndianInTheFile)
{
    std::string path = TempPath("grey16.png");
    auto* samples = new unsigned char[4]{0x34, 0x12, 0xCD, 0xAB}; // 0x1234, 0xABCD
    Image written(samples, 2, 1, 2, path.c_str());
    EXPECT_EQ(written.GetBitDepthPerChannel(), 16);
    ASSERT_TRUE(written.Save());

    std::vector<unsigned char> file = ReadBytes(path);
    ASSERT_GT(file.size(), 33u);
    EXPECT_EQ(file[24], 16); // IHDR bit depth
    EXPECT_EQ(file[25], 0);  // grey

    Image full;
    full.Force8BitDepth(false);
    ASSERT_TRUE(full.Load(path.c_str()));
    ASSERT_EQ(full.m_bytesPerPixel, 2);
    EXPECT_EQ(full.GetBitDepthPerChannel(), 16);
    EXPECT_EQ(full.m_data[0], 0x34);
    EXPECT_EQ(full.m_data[1], 0x12);
    EXPECT_EQ(full.m_data[3], 0xAB);

    Image cut; // the default forces 8-bit samples: the high byte stays
    ASSERT_TRUE(cut.Load(path.c_str()));
    ASSERT_EQ(cut.m_bytesPerPixel, 1);
    EXPECT_EQ(cut.m_data[0], 0x12);
    EXPECT_EQ(cut.m_data[1], 0xAB);
    std::remove(path.c_str());
}

class FakeDisplay : public ProgressDisplay {
public:
    bool clientSize(int& width, int& height) override
    {
        width = 800;
        height = 600;
        return true;
    }
    void showBar(int, int, int, int) override {}
    void moveBar(int) override {}
    void hideBar() override {}
};

TEST(PngFormat, ArmedProgressIsSpreadOverTheRowsAndConsumed)
{
    FakeDisplay display;
    SetProgressDisplay(&display);
    ProgressBar_Create();
    std::string path = TempPath("progress.png");
    Image image(Pattern(3, 100, 1), 3, 100, 1, path.c_str());
    image.AddProgress(25.0f);
    image.AddProgress(25.0f); // replaces, does not add
    EXPECT_FLOAT_EQ(Image::m_progressAmount, 25.0f);
    ASSERT_TRUE(image.Save());
    EXPECT_NEAR(ProgressBar_Value(), 25.0f, 1e-3);
    EXPECT_EQ(Image::m_progressAmount, 0.0f);

    Image read;
    read.AddProgress(10.0f);
    ASSERT_TRUE(read.Load(path.c_str()));
    EXPECT_NEAR(ProgressBar_Value(), 35.0f, 1e-3);
    EXPECT_EQ(Image::m_progressAmount, 0.0f);

    read.AddProgress(10.0f); // consumed by a failed open as well
    EXPECT_FALSE(read.Load(TempPath("missing.png").c_str()));
    EXPECT_EQ(Image::m_progressAmount, 0.0f);
    EXPECT_NEAR(ProgressBar_Value(), 35.0f, 1e-3);
    ProgressBar_Destroy();
    SetProgressDisplay(nullptr);
    std::remove(path.c_str());
}

} // namespace
