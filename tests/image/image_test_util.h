// Helpers shared by the image tests.
#pragma once

#include "shared/message_box.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace image_test {

inline std::string Fixture(const char* name)
{
    return std::string(GLEBORA_TEST_DATA) + "/images/" + name;
}

inline std::string TempPath(const char* name)
{
    return ::testing::TempDir() + "glebora_image_" + name;
}

inline std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(file);
    }
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

inline bool FileExists(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

// Records every message box shown while it is alive.
class MessageRecorder : public MessagePresenter {
public:
    MessageRecorder() { SetMessagePresenter(this); }
    ~MessageRecorder() override { SetMessagePresenter(nullptr); }
    MessageAnswer present(const char* caption, const char* text, MessageIcon, MessageButtons) override
    {
        captions.emplace_back(caption ? caption : "");
        texts.emplace_back(text ? text : "");
        return MessageAnswer::Ok;
    }
    std::string last() const { return texts.empty() ? std::string() : texts.back(); }
    std::vector<std::string> captions;
    std::vector<std::string> texts;
};

// The formulas of the fixture pictures (see tests/data/images/make_fixtures.sh).
struct Rgba {
    int r, g, b, a;
};
inline Rgba Pattern(int x, int y)
{
    return {30 * x + 5, 40 * y + 10, (9 * x * y + 60) % 256, 255};
}
inline Rgba Few(int x, int y)
{
    static const Rgba kFew[12] = {{0, 0, 0, 255},     {255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                  {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}, {255, 255, 255, 255},
                                  {128, 0, 0, 255},   {0, 128, 0, 255},   {0, 0, 128, 255},   {128, 128, 128, 255}};
    return kFew[(x + 2 * y) % 12];
}
inline Rgba BlackWhite(int x, int y)
{
    int v = (x + y) % 2 == 0 ? 255 : 0;
    return {v, v, v, 255};
}
inline Rgba Grey(int x, int y)
{
    int v = 17 * ((x + 3 * y) % 16);
    return {v, v, v, 255};
}
inline int Grey16(int x, int y)
{
    return 4369 * x + 1111 * y + 7;
}
inline Rgba Rgba4x3(int x, int y)
{
    return {60 * x, 80 * y, 200, 50 + 60 * x};
}

} // namespace image_test
