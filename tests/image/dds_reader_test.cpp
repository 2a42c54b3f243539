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

std::vector<unsigned char> Dds(uint32_t width, uint32_t height, uint32_t mips, const char* code, size_t dataBytes,
                               uint32_t linearSize = 0)
{
    std::vector<unsigned char> b(128 + dataBytes, 0);
    std::memcpy(b.data(), "DDS ", 4);
    Put32(b, 4, 124);
    Put32(b, 12, height);
    Put32(b, 16, width);
    Put32(b, 20, linearSize);
    Put32(b, 28, mips);
    Put32(b, 76, 32);
    Put32(b, 80, 4); // four-character code present
    std::memcpy(b.data() + 84, code, 4);
    for (size_t i = 0; i < dataBytes; ++i)
        b[128 + i] = static_cast<unsigned char>(i % 251 + 1);
    return b;
}

TEST(DdsReader, ChainSizeComesFromTheFormatNotTheLinearSize)
{
    // A narrow 16 x 2 DXT5 chain of 5 levels: 64 + 32 + 16 + 16 + 16 bytes,
    // with a linear size of 0 as some writers store it.
    std::vector<unsigned char> file = Dds(16, 2, 5, "DXT5", 144);
    Image image;
    ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size(), "narrow.dds"));
    EXPECT_EQ(image.GetDataSize(), 144u);
    EXPECT_EQ(image.m_mipMapCount, 5);
    EXPECT_EQ(image.m_bytesPerPixel, 4);
    EXPECT_EQ(image.m_colorType, Image::kRgba);
    EXPECT_EQ(std::memcmp(image.m_data, file.data() + 128, 144), 0);

    // Bytes after the chain are not taken.
    std::vector<unsigned char> longer = Dds(4, 4, 1, "DXT1", 40);
    ASSERT_TRUE(image.LoadFromMemory(longer.data(), longer.size(), "a.dds"));
    EXPECT_EQ(image.GetDataSize(), 8u);
}

TEST(DdsReader, MissingLevelsAreZeroAndExtraLevelsAreDropped)
{
    // 8 x 8 DXT1 promising 4 levels (56 bytes) with only the top level there.
    std::vector<unsigned char> file = Dds(8, 8, 4, "DXT1", 32);
    Image image;
    ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size(), "short.dds"));
    ASSERT_EQ(image.GetDataSize(), 56u);
    EXPECT_EQ(std::memcmp(image.m_data, file.data() + 128, 32), 0);
    for (size_t i = 32; i < 56; ++i)
        EXPECT_EQ(image.m_data[i], 0) << i;

    // 11 levels claimed for a 4 x 4 picture, which has 3.
    std::vector<unsigned char> many = Dds(4, 4, 11, "DXT3", 48);
    ASSERT_TRUE(image.LoadFromMemory(many.data(), many.size(), "many.dds"));
    EXPECT_EQ(image.m_mipMapCount, 3);
    EXPECT_EQ(image.GetDataSize(), 48u);
}

TEST(DdsReader, BadFilesAreRefusedWithoutAllocatingWhatTheHeaderClaims)
{
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        const char* message; // nullptr: fails silently
    };
    std::vector<unsigned char> truncatedHeader = Dds(4, 4, 1, "DXT1", 8);
    truncatedHeader.resize(100);
    const Case cases[] = {
        {"not a DDS file", {'P', 'N', 'G', ' ', 0}, nullptr},
        {"header cut short", truncatedHeader, "Incorrect DDS: bad.dds: the header is incomplete"},
        {"top level cut short", Dds(8, 8, 1, "DXT5", 63), "Incorrect DDS: bad.dds: the file ends early"},
        {"gigantic header, tiny file", Dds(1u << 20, 1u << 20, 21, "DXT5", 16),
         "Incorrect DDS: bad.dds: the file ends early"},
        {"sides beyond any texture", Dds(0xFFFFFFFF, 0xFFFFFFFF, 1, "DXT1", 8),
         "Incorrect DDS: bad.dds: size 4294967295 x 4294967295"},
        {"zero width", Dds(0, 4, 1, "DXT1", 8), "Incorrect DDS: bad.dds: size 0 x 4"},
        {"uncompressed surface", Dds(4, 4, 1, "\0\0\0\0", 64),
         "Incorrect DDS: bad.dds: format \"????\" is not supported (DXT1, DXT3 or DXT5 only)"},
        {"DXT2", Dds(4, 4, 1, "DXT2", 16),
         "Incorrect DDS: bad.dds: format \"DXT2\" is not supported (DXT1, DXT3 or DXT5 only)"},
        {"DX10 header", Dds(4, 4, 1, "DX10", 36),
         "Incorrect DDS: bad.dds: format \"DX10\" is not supported (DXT1, DXT3 or DXT5 only)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageRecorder messages;
        Image image;
        EXPECT_FALSE(image.LoadFromMemory(c.bytes.data(), c.bytes.size(), "bad.dds"));
        EXPECT_EQ(image.m_data, nullptr);
        if (c.message) {
            EXPECT_EQ(messages.last(), c.message);
        } else {
            EXPECT_TRUE(messages.texts.empty());
        }
    }
}

} // namespace
