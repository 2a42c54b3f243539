// The Image class itself: lifetime, ownership, names, pixel addressing.
#include "image/image.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace image_test;

namespace {

unsigned char* Numbered(size_t count)
{
    auto* pixels = new unsigned char[count];
    for (size_t i = 0; i < count; ++i)
        pixels[i] = static_cast<unsigned char>(i);
    return pixels;
}

TEST(Image, DefaultImageIsEmptyRgbAndForces8Bits)
{
    Image image;
    EXPECT_EQ(image.m_data, nullptr);
    EXPECT_EQ(image.m_fileName, nullptr);
    EXPECT_EQ(image.m_width, 0);
    EXPECT_EQ(image.m_colorType, Image::kRgb);
    EXPECT_EQ(image.m_compressedFormat, 0);
    EXPECT_EQ(image.m_mipMapCount, 0);
    EXPECT_TRUE(image.m_force8Bit);
    EXPECT_EQ(image.GetDataSize(), 0u);
}

TEST(Image, ColourTypeAndDepthFollowTheBytesPerPixel)
{
    struct Case {
        int bytesPerPixel, colorType, depth;
    };
    const Case cases[] = {{1, Image::kGrey, 8}, {2, Image::kGrey, 16}, {3, Image::kRgb, 8}, {4, Image::kRgba, 8},
                          {6, Image::kRgb, 16}, {8, Image::kRgba, 16}, {5, Image::kRgb, 8}};
    for (const Case& c : cases) {
        Image image(Numbered(size_t(2) * 2 * c.bytesPerPixel), 2, 2, c.bytesPerPixel, "a.png");
        EXPECT_EQ(image.m_colorType, c.colorType) << c.bytesPerPixel;
        EXPECT_EQ(image.GetBitDepthPerChannel(), c.depth) << c.bytesPerPixel;
        EXPECT_STREQ(image.m_fileName, "a.png");
    }
    Image odd;
    odd.m_colorType = 7;
    EXPECT_EQ(odd.GetBitDepthPerChannel(), 8);
}

TEST(Image, SetAdoptsTheBufferAndKeepsTheNameUnlessGiven)
{
    Image image(Numbered(4), 2, 2, 1, "first.tga");
    unsigned char* lent = image.m_data;
    image.m_compressedFormat = 0;
    image.Set(Numbered(12), 2, 2, 3);
    EXPECT_STREQ(image.m_fileName, "first.tga");
    EXPECT_EQ(image.m_colorType, Image::kRgb);
    delete[] lent;                                      // Set never releases the old buffer: it may be a lent one
    image.Set(image.m_data, 2, 2, 3, image.m_fileName); // its own name again
    EXPECT_STREQ(image.m_fileName, "first.tga");
    image.Unload();
    EXPECT_EQ(image.m_data, nullptr);
    EXPECT_EQ(image.m_fileName, nullptr);
    EXPECT_EQ(image.m_width, 2); // sizes stay
}

TEST(Image, CopiesAreDeepAndCompressedCopiesTakeTheWholeChain)
{
    Image plain(Numbered(2 * 3 * 4), 2, 3, 4, "p.png");
    Image copy(plain);
    ASSERT_NE(copy.m_data, plain.m_data);
    EXPECT_EQ(std::memcmp(copy.m_data, plain.m_data, 24), 0);
    EXPECT_STREQ(copy.m_fileName, "p.png");
    EXPECT_NE(copy.m_fileName, plain.m_fileName);

    // A 2 x 2 DXT5 picture is one 16-byte block, more than 2 * 2 * 4 bytes.
    Image dxt;
    ASSERT_TRUE(dxt.Load(Fixture("dds_dxt5_im.dds").c_str()));
    Image dxtCopy(dxt);
    ASSERT_EQ(dxtCopy.GetDataSize(), dxt.GetDataSize());
    EXPECT_EQ(std::memcmp(dxtCopy.m_data, dxt.m_data, dxt.GetDataSize()), 0);
    EXPECT_EQ(dxtCopy.m_compressedFormat, Image::kFormatDxt5);
    EXPECT_EQ(dxtCopy.m_mipMapCount, 4);

    Image assigned;
    assigned = dxt;
    EXPECT_EQ(std::memcmp(assigned.m_data, dxt.m_data, dxt.GetDataSize()), 0);
    assigned = plain;
    EXPECT_EQ(assigned.m_compressedFormat, 0);
    EXPECT_EQ(std::memcmp(assigned.m_data, plain.m_data, 24), 0);
    assigned = assigned;
    EXPECT_EQ(std::memcmp(assigned.m_data, plain.m_data, 24), 0);
}

TEST(Image, CompressedSizesCountEveryLevelDownToOnePixel)
{
    EXPECT_EQ(Image::CompressedDataSize(8, 8, Image::kFormatDxt1, 0), 32u);
    EXPECT_EQ(Image::CompressedDataSize(8, 8, Image::kFormatDxt1, 4), 32u + 8 + 8 + 8);
    // A narrow chain: 16x2, 8x1, 4x1, 2x1, 1x1, each at least one block.
    EXPECT_EQ(Image::CompressedDataSize(16, 2, Image::kFormatDxt5, 5), 4 * 16u + 2 * 16 + 16 + 16 + 16);
    // Levels past 1x1 do not exist and are not counted.
    EXPECT_EQ(Image::CompressedDataSize(4, 4, Image::kFormatDxt3, 30), 16u * 3);
    EXPECT_EQ(Image::CompressedDataSize(65536, 65536, Image::kFormatDxt5, 1), uint64_t(1) << 32);
    EXPECT_EQ(Image::CompressedDataSize(4, 4, 0, 1), 0u);
    EXPECT_EQ(Image::CompressedDataSize(0, 4, Image::kFormatDxt1, 1), 0u);
}

TEST(Image, PixelAddressingWrapsAndTruncates)
{
    Image image(Numbered(2 * 4 * 3), 2, 4, 3);
    unsigned char* base = image.m_data;
    EXPECT_EQ(image.GetPixel(1, 3, 1.0f), base + 21);    // the last pixel
    EXPECT_EQ(image.GetPixel(3, 4, 1.0f), base + 3);     // wraps to (1, 0)
    EXPECT_EQ(image.GetPixel(5, 5, 2.0f), base + 2 * 6); // (2, 2) -> column 0, row 2
    EXPECT_EQ(image.GetPixelf(1.0f, 0.0f, 1.0f), base);  // u = scale wraps to column 0
    EXPECT_EQ(image.GetPixelf(0.75f, 0.5f, 1.0f), base + (2 * 2 + 1) * 3);
    EXPECT_EQ(image.GetPixelf(6.0f, 3.0f, 8.0f), base + (1 * 2 + 1) * 3); // trunc(1.5), trunc(1.5)
    // Out-of-contract input still addresses a pixel of the picture.
    for (unsigned char* p :
         {image.GetPixel(-1, -5, 1.0f), image.GetPixel(7, 7, 0.0f), image.GetPixelf(-0.25f, 1e30f, 1.0f)}) {
        EXPECT_GE(p, base);
        EXPECT_LT(p, base + 24);
    }
    Image empty;
    EXPECT_EQ(empty.GetPixel(1, 1, 1.0f), nullptr);
}

TEST(Image, FlipVerticalReversesRowsOnlyOfPlainPixels)
{
    Image image(Numbered(3 * 3 * 2), 3, 3, 2);
    image.FlipVertical();
    EXPECT_EQ(image.m_data[0], 12);
    EXPECT_EQ(image.m_data[6], 6);
    EXPECT_EQ(image.m_data[17], 5);

    Image dxt;
    ASSERT_TRUE(dxt.Load(Fixture("dds_dxt1_im.dds").c_str()));
    std::vector<unsigned char> before(dxt.m_data, dxt.m_data + dxt.GetDataSize());
    dxt.FlipVertical();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), dxt.m_data));
    Image empty;
    empty.FlipVertical();
}

TEST(Image, ExtensionPicksTheFormatInAnyCase)
{
    std::string upper = TempPath("UPPER.PNG");
    std::string lower = TempPath("UPPER.png");
    Image written(Numbered(6), 2, 1, 3, upper.c_str());
    ASSERT_TRUE(written.Save());
    EXPECT_TRUE(FileExists(upper));
    Image read;
    ASSERT_TRUE(read.Load(upper.c_str()));
    EXPECT_EQ(read.m_width, 2);
    EXPECT_STREQ(read.m_fileName, upper.c_str());
    std::remove(upper.c_str());

    MessageRecorder messages;
    std::string noDot = TempPath("nodot");
    Image image(Numbered(6), 2, 1, 3, noDot.c_str());
    EXPECT_FALSE(image.Save());
    EXPECT_FALSE(FileExists(noDot));
    EXPECT_FALSE(read.Load(noDot.c_str()));
    EXPECT_EQ(read.m_data, nullptr);
    EXPECT_EQ(read.m_fileName, nullptr); // released after a failed load
    EXPECT_FALSE(read.Load(TempPath("picture.gif").c_str()));
    EXPECT_FALSE(read.Load(nullptr));
}

TEST(Image, OnlyTgaAndPngAreWritten)
{
    for (const char* name : {"out.bmp", "out.dds", "out.jpg"}) {
        std::string path = TempPath(name);
        Image image(Numbered(12), 2, 2, 3, path.c_str());
        EXPECT_FALSE(image.Save()) << name;
        EXPECT_FALSE(FileExists(path)) << name;
    }
    Image dxt;
    ASSERT_TRUE(dxt.Load(Fixture("dds_dxt1_im.dds").c_str()));
    EXPECT_EQ(dxt.m_bytesPerPixel, 3);
    for (const char* name : {"dxt.png", "dxt.tga"}) {
        std::string path = TempPath(name);
        dxt.Set(dxt.m_data, dxt.m_width, dxt.m_height, dxt.m_bytesPerPixel, path.c_str());
        EXPECT_FALSE(dxt.Save()) << name;
        EXPECT_FALSE(FileExists(path)) << name;
    }
}

TEST(Image, LoadingOverAPictureReplacesItAndMayReuseItsOwnName)
{
    Image image;
    ASSERT_TRUE(image.Load(Fixture("tga_rle_im.tga").c_str()));
    ASSERT_TRUE(image.Load(image.m_fileName)); // the name is released on the way
    EXPECT_EQ(image.m_width, 7);
    ASSERT_TRUE(image.Load(Fixture("png_grey4_im.png").c_str()));
    EXPECT_EQ(image.m_width, 6);
    EXPECT_EQ(image.m_bytesPerPixel, 1);
    EXPECT_EQ(image.m_colorType, Image::kGrey);

    // After a DDS, a plain picture is plain again.
    ASSERT_TRUE(image.Load(Fixture("dds_dxt1_im.dds").c_str()));
    ASSERT_TRUE(image.Load(Fixture("bmp_v3_24_pillow.bmp").c_str()));
    EXPECT_EQ(image.m_compressedFormat, 0);
    EXPECT_EQ(image.m_mipMapCount, 0);
}

TEST(Image, MemoryLoadsDecodeLikeFileLoads)
{
    for (const char* file :
         {"bmp_v3_8_im.bmp", "tga_rle_topleft_id_pillow.tga", "png_interlaced_im.png", "dds_dxt5_im.dds"}) {
        SCOPED_TRACE(file);
        Image fromFile;
        ASSERT_TRUE(fromFile.Load(Fixture(file).c_str()));
        std::vector<unsigned char> bytes = ReadBytes(Fixture(file));
        Image fromMemory;
        ASSERT_TRUE(fromMemory.LoadFromMemory(bytes.data(), bytes.size(), file));
        ASSERT_EQ(fromMemory.GetDataSize(), fromFile.GetDataSize());
        EXPECT_EQ(std::memcmp(fromMemory.m_data, fromFile.m_data, fromFile.GetDataSize()), 0);
        EXPECT_STREQ(fromMemory.m_fileName, file);
    }
    Image image;
    EXPECT_FALSE(image.LoadFromMemory(nullptr, 0, "x.png"));
    EXPECT_FALSE(image.LoadFromMemory("abc", 3, nullptr));
}

} // namespace
