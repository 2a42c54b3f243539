#include "image/image.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace image_test;

namespace {

void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// A bare DIB (no file header): 40-byte info header, 16-colour palette in
// which entry i is (i, 2i, 3i), then the given data.
std::vector<unsigned char> BareDib(int width, int height, int bits, int compression,
                                   const std::vector<unsigned char>& data, int colorsUsed = 16)
{
    std::vector<unsigned char> b(40, 0);
    Put32(b, 0, 40);
    Put32(b, 4, uint32_t(width));
    Put32(b, 8, uint32_t(height));
    b[12] = 1;
    b[14] = static_cast<unsigned char>(bits);
    Put32(b, 16, uint32_t(compression));
    Put32(b, 32, uint32_t(colorsUsed));
    for (int i = 0; i < colorsUsed; ++i) {
        for (int v : {3 * i, 2 * i, i, 0})
            b.push_back(static_cast<unsigned char>(v)); // B, G, R, 0
    }
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

std::vector<unsigned char> Rgb(const Image& image)
{
    return std::vector<unsigned char>(image.m_data, image.m_data + size_t(image.m_width) * image.m_height * 3);
}

TEST(BmpReader, BareDibsDecodeLikeFilesWithTheFileHeader)
{
    for (const char* file : {"bmp_v3_24_pillow.bmp", "bmp_v3_8_im.bmp", "bmp_v3_565_masks_derived.bmp",
                             "bmp_core12_1_im.bmp", "bmp_v5_32_bitfields_im.bmp"}) {
        SCOPED_TRACE(file);
        Image withHeader;
        ASSERT_TRUE(withHeader.Load(Fixture(file).c_str()));
        std::vector<unsigned char> bytes = ReadBytes(Fixture(file));
        Image bare;
        ASSERT_TRUE(bare.LoadFromMemory(bytes.data() + 14, bytes.size() - 14, "bare.bmp"));
        EXPECT_EQ(bare.m_width, withHeader.m_width);
        EXPECT_EQ(Rgb(bare), Rgb(withHeader));
    }
}

TEST(BmpReader, Rle4CodesRunsAbsoluteRunsDeltasAndSkippedPixels)
{
    // 5 x 3, rows bottom-up: row 2 (bottom) = run of 5 alternating 1, 2;
    // row 1 = absolute 3 pixels 3, 4, 5 then end of line; row 0 (top) =
    // delta right 2, run of 2 x 7, end of bitmap.
    std::vector<unsigned char> data = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 0, 0, 2, 2, 0, 2, 0x77, 0, 1};
    std::vector<unsigned char> dib = BareDib(5, 3, 4, 2, data);
    Image image;
    ASSERT_TRUE(image.LoadFromMemory(dib.data(), dib.size(), "rle4.bmp"));
    const int indices[15] = {0, 0, 7, 7, 0, 3, 4, 5, 0, 0, 1, 2, 1, 2, 1};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(image.m_data[i * 3], indices[i]) << i;
        EXPECT_EQ(image.m_data[i * 3 + 1], 2 * indices[i]) << i;
        EXPECT_EQ(image.m_data[i * 3 + 2], 3 * indices[i]) << i;
    }
}

TEST(BmpReader, IndicesPastThePaletteReadBlack)
{
    // 2 colours used, 4-bit pixels 1 and 9.
    std::vector<unsigned char> dib = BareDib(2, 1, 4, 0, {0x19, 0, 0, 0}, 2);
    Image image;
    ASSERT_TRUE(image.LoadFromMemory(dib.data(), dib.size(), "p.bmp"));
    const unsigned char expected[6] = {1, 2, 3, 0, 0, 0};
    EXPECT_EQ(std::memcmp(image.m_data, expected, 6), 0);
}

TEST(BmpReader, CorruptFilesFailWithTheDecodersMessages)
{
    std::vector<unsigned char> good = ReadBytes(Fixture("bmp_v3_24_pillow.bmp"));
    auto changed = [&](size_t at, uint32_t value) {
        std::vector<unsigned char> b = good;
        Put32(b, at, value);
        return b;
    };
    std::vector<unsigned char> truncated(good.begin(), good.end() - 20);
    std::vector<unsigned char> rleClaimingGiga = BareDib(60000, 60000, 8, 1, {0, 1}, 2);
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        const char* message;
    };
    const Case cases[] = {
        {"empty", {}, "Unknown DIB file format."},
        {"header size 20", changed(14, 20), "Unknown DIB file format."},
        {"pixels cut short", truncated, "Image file conversion error."},
        {"pixel offset past the end", changed(10, 100000), "Image file conversion error."},
        {"zero width", changed(18, 0), "Image file conversion error."},
        {"negative width", changed(18, 0xFFFFFFF0u), "Image file conversion error."},
        {"most negative height", changed(22, 0x80000000u), "Image file conversion error."},
        {"huge width without the data", changed(18, 0x7FFFFFFF), "Image file conversion error."},
        {"12 bits", changed(28, 12 | 1u << 16), "Image file conversion error."},
        {"JPEG inside", changed(30, 4), "Image file conversion error."},
        {"bitfields on 24 bits", changed(30, 3), "Image file conversion error."},
        {"RLE8 on 24 bits", changed(30, 1), "Image file conversion error."},
        {"palette larger than the file", BareDib(2, 2, 8, 0, {}, 255), "Image file conversion error."},
        {"two bytes of RLE claiming 60000 x 60000", rleClaimingGiga, "Image file conversion error."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageRecorder messages;
        Image image;
        EXPECT_FALSE(image.LoadFromMemory(c.bytes.data(), c.bytes.size(), "bad.bmp"));
        EXPECT_EQ(image.m_data, nullptr);
        ASSERT_EQ(messages.texts.size(), 1u);
        EXPECT_EQ(messages.captions[0], "Error");
        EXPECT_EQ(messages.texts[0], c.message);
    }
    MessageRecorder messages;
    Image image;
    std::string missing = TempPath("missing.bmp");
    EXPECT_FALSE(image.Load(missing.c_str()));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.captions[0], "ERROR");
    EXPECT_EQ(messages.texts[0], "Incorrect Bitmap: " + missing);
}

} // namespace
