// Pictures written by other programs (tests/data/images): every pixel is
// checked against the formula the fixture was made from.
#include "image/image.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace image_test;

namespace {

Rgba GreyWithTransparency(int x, int y)
{
    Rgba g = Grey(x, y);
    g.a = g.r == 85 ? 0 : 255;
    return g;
}
Rgba PatternWithTransparency(int x, int y)
{
    Rgba p = Pattern(x, y);
    p.a = x == 1 && y == 1 ? 0 : 255;
    return p;
}
Rgba FewWithTransparency(int x, int y)
{
    Rgba f = Few(x, y);
    f.a = (x + 2 * y) % 12 == 0 ? 0 : 255;
    return f;
}
Rgba GreyAlpha(int x, int y)
{
    return {40 * x + 10, 40 * x + 10, 40 * x + 10, 100 + 50 * y};
}
Rgba Rgb4x3(int x, int y)
{
    Rgba p = Rgba4x3(x, y);
    p.a = 255;
    return p;
}
Rgba Grey16High(int x, int y)
{
    int v = Grey16(x, y) >> 8;
    return {v, v, v, 255};
}

struct Case {
    const char* file;
    int width, height, bytesPerPixel;
    Rgba (*expected)(int, int);
    int tolerance; // for channels stored with fewer than 8 bits
};

const Case kCases[] = {
    {"bmp_core12_24_im.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_core12_1_im.bmp", 9, 3, 3, BlackWhite, 0},
    {"bmp_v3_24_pillow.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_v3_24_topdown_derived.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_v3_32_pillow.bmp", 4, 3, 3, Rgb4x3, 0},
    {"bmp_v3_8_im.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_v3_rle8_im.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_v3_4_im.bmp", 7, 5, 3, Few, 0},
    {"bmp_v3_1_im.bmp", 9, 3, 3, BlackWhite, 0},
    {"bmp_v3_565_masks_derived.bmp", 7, 5, 3, Pattern, 8},
    {"bmp_v4_24_derived.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_v5_24_im.bmp", 7, 5, 3, Pattern, 0},
    {"bmp_v5_565_im.bmp", 7, 5, 3, Pattern, 8},
    {"bmp_v5_555_im.bmp", 7, 5, 3, Pattern, 8},
    {"bmp_v5_32_bitfields_im.bmp", 4, 3, 3, Rgb4x3, 0},
    {"tga_rle_im.tga", 7, 5, 3, Pattern, 0},
    {"tga_grey_rle_im.tga", 6, 4, 1, Grey, 0},
    {"tga_rgba_im.tga", 4, 3, 4, Rgba4x3, 0},
    {"tga_rle_topleft_id_pillow.tga", 7, 5, 3, Pattern, 0},
    {"tga_grey_topleft_pillow.tga", 6, 4, 1, Grey, 0},
    {"png_grey16_pillow.png", 5, 3, 1, Grey16High, 0},
    {"png_grey1_im.png", 9, 3, 1, BlackWhite, 0},
    {"png_grey4_im.png", 6, 4, 1, Grey, 0},
    {"png_grey_alpha_pillow.png", 4, 2, 4, GreyAlpha, 0},
    {"png_grey_trns_pillow.png", 6, 4, 4, GreyWithTransparency, 0},
    {"png_rgb_trns_pillow.png", 7, 5, 4, PatternWithTransparency, 0},
    {"png_palette_trns_pillow.png", 7, 5, 4, FewWithTransparency, 0},
    {"png_palette4_trns_im.png", 4, 3, 4, Rgba4x3, 0},
    {"png_palette_pillow.png", 7, 5, 3, Few, 0},
    {"png_palette4_im.png", 7, 5, 3, Few, 9}, // the writer cut palette samples to 4 bits
    {"png_rgb16_im.png", 7, 5, 3, Pattern, 0},
    {"png_rgba_im.png", 4, 3, 4, Rgba4x3, 0},
    {"png_interlaced_im.png", 7, 5, 3, Pattern, 0},
};

TEST(ForeignFiles, EveryVariantLoadsWithTheRightPixels)
{
    MessageRecorder messages;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.file);
        Image image;
        ASSERT_TRUE(image.Load(Fixture(c.file).c_str()));
        ASSERT_EQ(image.m_width, c.width);
        ASSERT_EQ(image.m_height, c.height);
        ASSERT_EQ(image.m_bytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(image.m_colorType, c.bytesPerPixel == 1   ? Image::kGrey
                                     : c.bytesPerPixel == 4 ? Image::kRgba
                                                            : Image::kRgb);
        int mismatches = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const unsigned char* p = image.m_data + (y * c.width + x) * c.bytesPerPixel;
                Rgba want = c.expected(x, y);
                int wanted[4] = {want.r, want.g, want.b, want.a};
                for (int channel = 0; channel < c.bytesPerPixel; ++channel) {
                    if (std::abs(p[channel] - wanted[channel]) > c.tolerance && mismatches++ < 3) {
                        ADD_FAILURE() << "pixel (" << x << ", " << y << ") channel " << channel << ": "
                                      << int(p[channel]) << " instead of " << wanted[channel];
                    }
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_TRUE(messages.texts.empty()) << messages.last();
}

TEST(ForeignFiles, SixteenBitPngsKeepEverySampleWhenNotForcedTo8Bits)
{
    for (const char* file : {"png_grey16_pillow.png", "png_grey16_interlaced_im.png"}) {
        SCOPED_TRACE(file);
        Image image;
        image.Force8BitDepth(false);
        ASSERT_TRUE(image.Load(Fixture(file).c_str()));
        ASSERT_EQ(image.m_bytesPerPixel, 2);
        EXPECT_EQ(image.GetBitDepthPerChannel(), 16);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x) {
                const unsigned char* p = image.m_data + (y * 5 + x) * 2;
                EXPECT_EQ(p[0] | p[1] << 8, Grey16(x, y)) << x << ", " << y;
            }
        }
    }
    Image rgb;
    rgb.Force8BitDepth(false);
    ASSERT_TRUE(rgb.Load(Fixture("png_rgb16_im.png").c_str()));
    ASSERT_EQ(rgb.m_bytesPerPixel, 6);
    EXPECT_EQ(rgb.GetBitDepthPerChannel(), 16);
    const unsigned char* p = rgb.m_data + (2 * 7 + 3) * 6; // pixel (3, 2)
    Rgba want = Pattern(3, 2);
    EXPECT_EQ(p[0] | p[1] << 8, want.r * 257);
    EXPECT_EQ(p[2] | p[3] << 8, want.g * 257);
    EXPECT_EQ(p[4] | p[5] << 8, want.b * 257);
}

// The first pixel of a DXT colour block, from its two 5:6:5 end points and
// its 2-bit index (4-colour mode, as in every DXT3/DXT5 block).
Rgba FirstTexel(const unsigned char* block)
{
    int c0 = block[0] | block[1] << 8;
    int c1 = block[2] | block[3] << 8;
    auto expand = [](int c) {
        return Rgba{(c >> 11) * 255 / 31, ((c >> 5) & 63) * 255 / 63, (c & 31) * 255 / 31, 255};
    };
    Rgba a = expand(c0), b = expand(c1);
    switch (block[4] & 3) {
    case 0:
        return a;
    case 1:
        return b;
    case 2:
        return {(2 * a.r + b.r) / 3, (2 * a.g + b.g) / 3, (2 * a.b + b.b) / 3, 255};
    default:
        return c0 > c1 ? Rgba{(a.r + 2 * b.r) / 3, (a.g + 2 * b.g) / 3, (a.b + 2 * b.b) / 3, 255}
                       : Rgba{(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2, 255};
    }
}

TEST(ForeignFiles, DxtFilesKeepTheirBlocksUnflippedWithTheWholeChain)
{
    struct DdsCase {
        const char* file;
        int format, blockBytes;
    };
    const DdsCase cases[] = {{"dds_dxt1_im.dds", Image::kFormatDxt1, 8},
                             {"dds_dxt3_derived.dds", Image::kFormatDxt3, 16},
                             {"dds_dxt5_im.dds", Image::kFormatDxt5, 16}};
    // Quadrants of the 8 x 8 source, in block order: red, green, blue, white.
    const Rgba quadrants[4] = {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    for (const DdsCase& c : cases) {
        SCOPED_TRACE(c.file);
        Image image;
        ASSERT_TRUE(image.Load(Fixture(c.file).c_str()));
        EXPECT_EQ(image.m_width, 8);
        EXPECT_EQ(image.m_height, 8);
        EXPECT_EQ(image.m_compressedFormat, c.format);
        EXPECT_EQ(image.m_bytesPerPixel, c.format == Image::kFormatDxt1 ? 3 : 4);
        EXPECT_EQ(image.m_mipMapCount, 4);
        // 8x8 (4 blocks) + 4x4 + 2x2 + 1x1 (one block each).
        EXPECT_EQ(image.GetDataSize(), size_t(7 * c.blockBytes));
        std::vector<unsigned char> file = ReadBytes(Fixture(c.file));
        ASSERT_EQ(file.size(), 128 + image.GetDataSize());
        EXPECT_TRUE(std::equal(file.begin() + 128, file.end(), image.m_data));
        for (int block = 0; block < 4; ++block) {
            const unsigned char* colour = image.m_data + block * c.blockBytes + (c.blockBytes - 8);
            Rgba got = FirstTexel(colour);
            EXPECT_NEAR(got.r, quadrants[block].r, 8) << "block " << block;
            EXPECT_NEAR(got.g, quadrants[block].g, 8) << "block " << block;
            EXPECT_NEAR(got.b, quadrants[block].b, 8) << "block " << block;
        }
        if (c.format == Image::kFormatDxt3) {
            EXPECT_EQ(image.m_data[0], 0xFF);             // opaque red block
            EXPECT_EQ(image.m_data[3 * 16] & 0x0F, 0x08); // white block, alpha 136 = 8 * 17
        }
    }
}

} // namespace
