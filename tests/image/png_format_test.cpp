#include "image/image.h"

#include "image_test_util.h"
#include "shared/progress_bar.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using image_test::ReadBytes;
using image_test::TempPath;

unsigned char* Pattern(int width, int height, int bytesPerPixel)
{
    auto* pixels = new unsigned char[size_t(width) * height * bytesPerPixel];
    for (size_t i = 0; i < size_t(width) * height * bytesPerPixel; ++i)
        pixels[i] = static_cast<unsigned char>(i * 7 + i / 13);
    return pixels;
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

namespace {

using image_test::MessageRecorder;

std::vector<unsigned char> ValidPng()
{
    std::string path = TempPath("valid.png");
    Image image(Pattern(64, 64, 3), 64, 64, 3, path.c_str());
    EXPECT_TRUE(image.Save());
    std::vector<unsigned char> bytes = ReadBytes(path);
    std::remove(path.c_str());
    return bytes;
}

void PutBe32(std::vector<unsigned char>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

TEST(PngFormat, CorruptFilesFailCleanly)
{
    std::vector<unsigned char> good = ValidPng();
    ASSERT_GT(good.size(), 100u);
    std::vector<unsigned char> half(good.begin(), good.begin() + good.size() / 2);
    std::vector<unsigned char> badCrc = good;
    badCrc[40] ^= 0x55; // inside the image data
    std::vector<unsigned char> giant = good;
    // IHDR claiming 16000 x 16000 (768 MB) over the data of a 64 x 64
    // picture, with a valid CRC: refused before the buffer is allocated.
    PutBe32(giant, 16, 16000);
    PutBe32(giant, 20, 16000);
    PutBe32(giant, 29, uint32_t(crc32(0, giant.data() + 12, 17)));
    std::vector<unsigned char> signatureOnly(good.begin(), good.begin() + 8);
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        bool message;
    };
    const Case cases[] = {{"empty", {}, false},
                          {"not a PNG", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, false},
                          {"signature only", signatureOnly, true},
                          {"cut in half", half, true},
                          {"damaged data", badCrc, true},
                          {"giant header", giant, true}};
    std::string giantMessage;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageRecorder messages;
        Image image;
        EXPECT_FALSE(image.LoadFromMemory(c.bytes.data(), c.bytes.size(), "bad.png"));
        EXPECT_EQ(image.m_data, nullptr);
        EXPECT_EQ(image.m_fileName, nullptr);
        if (c.message) {
            ASSERT_EQ(messages.texts.size(), 1u);
            EXPECT_EQ(messages.texts[0].rfind("Incorrect PNG: bad.png: ", 0), 0u) << messages.texts[0];
            giantMessage = messages.texts[0];
        } else {
            EXPECT_TRUE(messages.texts.empty());
        }
    }
    EXPECT_EQ(giantMessage, "Incorrect PNG: bad.png: the file ends early");
}

TEST(PngFormat, WriterRefusesLayoutsItCannotDescribe)
{
    std::string path = TempPath("refused.png");
    Image mismatched(Pattern(4, 4, 3), 4, 4, 3, path.c_str());
    mismatched.m_colorType = Image::kRgba; // 3 bytes cannot be RGBA
    EXPECT_FALSE(mismatched.Save());
    Image fiveBytes(Pattern(4, 4, 5), 4, 4, 5, path.c_str());
    EXPECT_FALSE(fiveBytes.Save());
    EXPECT_FALSE(image_test::FileExists(path));
    Image noFolder(Pattern(4, 4, 3), 4, 4, 3, "/nonexistent-folder/x.png");
    EXPECT_FALSE(noFolder.Save());
}

} // namespace
