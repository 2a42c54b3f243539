#include "image/image.h"

#include "image_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace image_test;

namespace {

unsigned char* Numbered(size_t count, int step = 1)
{
    auto* pixels = new unsigned char[count];
    for (size_t i = 0; i < count; ++i)
        pixels[i] = static_cast<unsigned char>(i * step + 3);
    return pixels;
}

std::vector<unsigned char> Header(int type, int width, int height, int depth, int descriptor = 0, int idLength = 0)
{
    std::vector<unsigned char> h(18, 0);
    h[0] = static_cast<unsigned char>(idLength);
    h[2] = static_cast<unsigned char>(type);
    h[12] = static_cast<unsigned char>(width);
    h[13] = static_cast<unsigned char>(width >> 8);
    h[14] = static_cast<unsigned char>(height);
    h[15] = static_cast<unsigned char>(height >> 8);
    h[16] = static_cast<unsigned char>(depth);
    h[17] = static_cast<unsigned char>(descriptor);
    return h;
}

TEST(TgaFormat, WrittenFilesHaveTheDocumentedLayoutAndLoadBack)
{
    struct Case {
        int bytesPerPixel, type;
    };
    for (Case c : {Case{1, 3}, Case{2, 2}, Case{3, 2}, Case{4, 2}}) {
        SCOPED_TRACE(c.bytesPerPixel);
        const int width = 5, height = 3;
        size_t bytes = size_t(width) * height * c.bytesPerPixel;
        std::string path = TempPath("layout.tga");
        Image written(Numbered(bytes), width, height, c.bytesPerPixel, path.c_str());
        ASSERT_TRUE(written.Save());
        // The picture in memory is not touched by saving.
        std::unique_ptr<unsigned char[]> original(Numbered(bytes));
        EXPECT_EQ(std::memcmp(written.m_data, original.get(), bytes), 0);

        std::vector<unsigned char> file = ReadBytes(path);
        ASSERT_EQ(file.size(), 18 + bytes);
        EXPECT_EQ(file[2], c.type);
        EXPECT_EQ(file[12] | file[13] << 8, width);
        EXPECT_EQ(file[14] | file[15] << 8, height);
        EXPECT_EQ(file[16], c.bytesPerPixel * 8);
        EXPECT_EQ(file[17], 0);
        // The first stored row is the bottom one, in B, G, R order.
        const unsigned char* bottom = original.get() + size_t(height - 1) * width * c.bytesPerPixel;
        for (int i = 0; i < c.bytesPerPixel; ++i) {
            int swapped = c.bytesPerPixel >= 3 && (i == 0 || i == 2) ? 2 - i : i;
            EXPECT_EQ(file[18 + i], bottom[swapped]) << "byte " << i;
        }

        Image read;
        ASSERT_TRUE(read.Load(path.c_str()));
        EXPECT_EQ(read.m_bytesPerPixel, c.bytesPerPixel);
        EXPECT_EQ(read.GetBitDepthPerChannel(), c.bytesPerPixel == 2 ? 16 : 8);
        EXPECT_EQ(std::memcmp(read.m_data, original.get(), bytes), 0);
        std::remove(path.c_str());
    }
}

TEST(TgaFormat, LayoutsItCannotReadBackAreNotWritten)
{
    std::string path = TempPath("wide.tga");
    Image sixteenBitRgb(Numbered(2 * 2 * 6), 2, 2, 6, path.c_str());
    EXPECT_FALSE(sixteenBitRgb.Save());
    EXPECT_FALSE(FileExists(path));
    Image noFolder(Numbered(12), 2, 2, 3, "/nonexistent-folder/x.tga");
    EXPECT_FALSE(noFolder.Save());
}

TEST(TgaFormat, RunLengthPacketsAndOriginBitsAreHonoured)
{
    // 3 x 2 grey, type 11, top-left origin, a 2-byte ID, then packets:
    // run of 4 x 9, raw 2 (5, 6).
    std::vector<unsigned char> file = Header(11, 3, 2, 8, 0x20, 2);
    for (int b : {0xAA, 0xBB, 0x83, 9, 0x01, 5, 6})
        file.push_back(static_cast<unsigned char>(b));
    Image image;
    ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size(), "grey.tga"));
    const unsigned char expected[6] = {9, 9, 9, 9, 5, 6};
    EXPECT_EQ(std::memcmp(image.m_data, expected, 6), 0);

    // The same bottom-up and right-to-left.
    file[17] = 0x10;
    ASSERT_TRUE(image.LoadFromMemory(file.data(), file.size(), "grey.tga"));
    const unsigned char mirrored[6] = {6, 5, 9, 9, 9, 9};
    EXPECT_EQ(std::memcmp(image.m_data, mirrored, 6), 0);

    // A run that crosses the end of the picture is cut there.
    std::vector<unsigned char> longRun = Header(10, 2, 1, 24);
    for (int b : {0xFF, 1, 2, 3})
        longRun.push_back(static_cast<unsigned char>(b));
    ASSERT_TRUE(image.LoadFromMemory(longRun.data(), longRun.size(), "run.tga"));
    const unsigned char rgb[6] = {3, 2, 1, 3, 2, 1};
    EXPECT_EQ(std::memcmp(image.m_data, rgb, 6), 0);
}

TEST(TgaFormat, CorruptFilesFailWithTheReadersMessageAndNoPixels)
{
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        const char* message; // nullptr: fails silently
    };
    std::vector<unsigned char> shortData = Header(2, 4, 4, 24);
    shortData.resize(18 + 47);
    std::vector<unsigned char> shortRun = Header(10, 4, 4, 24);
    for (int b : {0x8F, 1, 2})
        shortRun.push_back(static_cast<unsigned char>(b));
    std::vector<unsigned char> hugeRun = Header(10, 65535, 65535, 32);
    for (int b : {0xFF, 1, 2, 3, 4})
        hugeRun.push_back(static_cast<unsigned char>(b));
    std::vector<unsigned char> idPastEnd = Header(2, 1, 1, 8, 0, 200);
    idPastEnd.push_back(7);
    const Case cases[] = {
        {"shorter than its header", {0, 0, 2, 0}, nullptr},
        {"data shorter than promised", shortData, "Incorrect TGA: short.tga:"},
        {"zero width", Header(2, 0, 4, 24), "Incorrect TGA: short.tga:"},
        {"run-length data ends early", shortRun, "Incorrect TGA: short.tga:"},
        {"a few bytes claiming 65535 x 65535", hugeRun, "Incorrect TGA: short.tga:"},
        {"ID past the end", idPastEnd, "Incorrect TGA: short.tga:"},
        {"colour-mapped", Header(1, 2, 2, 8), "Incorrect TGA: short.tga: colour-mapped pictures are not supported"},
        {"colour-mapped run-length", Header(9, 2, 2, 8),
         "Incorrect TGA: short.tga: colour-mapped pictures are not supported"},
        {"15 bits", Header(2, 2, 2, 15), "Incorrect TGA: short.tga: 15 bits per pixel are not supported"},
        {"48 bits", Header(2, 2, 2, 48), "Incorrect TGA: short.tga: 48 bits per pixel are not supported"},
        {"unknown type", Header(32, 2, 2, 8), "Incorrect TGA: short.tga: unknown image type 32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageRecorder messages;
        Image image;
        ASSERT_TRUE(image.Load(Fixture("tga_rgba_im.tga").c_str()));
        EXPECT_FALSE(image.LoadFromMemory(c.bytes.data(), c.bytes.size(), "short.tga"));
        EXPECT_EQ(image.m_data, nullptr);
        EXPECT_EQ(image.m_fileName, nullptr);
        if (c.message) {
            EXPECT_EQ(messages.last(), c.message);
            EXPECT_EQ(messages.captions.back(), "ERROR");
        } else {
            EXPECT_TRUE(messages.texts.empty());
        }
    }
    MessageRecorder messages;
    Image image;
    EXPECT_FALSE(image.Load(TempPath("missing.tga").c_str()));
    EXPECT_TRUE(messages.texts.empty()); // a missing file fails silently
}

} // namespace
