// Fixtures shared by the texture-layer and paint tests: a scratch folder,
// an uploader that records what reaches the "GPU", and a message recorder.
#pragma once

#include "image/image.h"
#include "shared/message_box.h"
#include "texturing/texture_layer.h"
#include "texturing/texture_uploader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace layer_test {

struct ScratchFolder {
    ScratchFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("glebora-layers-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name)
            if (c == '/') c = '_';
        path = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    std::string base(const char* name) const { return (path / name).string(); }
    std::filesystem::path path;
};

// Hands out names 1, 2, ... and counts uploads and blurs per name.
class RecordingUploader : public TextureUploader {
public:
    RecordingUploader() { SetTextureUploader(this); }
    ~RecordingUploader() override { SetTextureUploader(nullptr); }

    TextureName createTexture() override { return ++lastName; }
    void deleteTexture(TextureName name) override
    {
        if (name) ++deleted;
    }
    void uploadTile(TextureName name, const uint8_t* pixels, int size, int bytesPerPixel) override
    {
        ++uploads[name];
        lastUpload.assign(pixels, pixels + static_cast<size_t>(size) * size * bytesPerPixel);
    }
    void bindTexture(TextureName name) override { bound = name; }
    bool readBack(TextureName, int size, int bytesPerPixel, uint8_t* destination) override
    {
        if (readBackByte < 0) return false;
        std::memset(destination, readBackByte, static_cast<size_t>(size) * size * bytesPerPixel);
        return true;
    }
    void blurTexture(TextureName name, int, float radius) override
    {
        ++blurs[name];
        lastRadius = radius;
    }

    int totalUploads() const
    {
        int total = 0;
        for (const auto& [name, count] : uploads)
            total += count;
        return total;
    }
    void clear()
    {
        uploads.clear();
        blurs.clear();
    }

    TextureName lastName = 0;
    int deleted = 0;
    TextureName bound = 0;
    int readBackByte = -1; // >= 0: readBack fills with this byte
    float lastRadius = 0.0f;
    std::map<TextureName, int> uploads;
    std::map<TextureName, int> blurs;
    std::vector<uint8_t> lastUpload;
};

class MessageRecorder : public MessagePresenter {
public:
    MessageRecorder() { SetMessagePresenter(this); }
    ~MessageRecorder() override { SetMessagePresenter(nullptr); }
    MessageAnswer present(const char*, const char* text, MessageIcon, MessageButtons) override
    {
        messages.emplace_back(text);
        return MessageAnswer::Ok;
    }
    bool mentions(const char* part) const
    {
        for (const std::string& message : messages)
            if (message.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> messages;
};

// Fills every tile with noise, keeping shared border pixels equal (as a
// real layer has them) by going through a whole picture.
inline void FillRandom(TextureLayer& layer, unsigned seed)
{
    std::mt19937 random(seed);
    size_t bytes = static_cast<size_t>(layer.layerSize()) * layer.layerSize() * layer.bytesPerPixel();
    std::vector<uint8_t> whole(bytes);
    for (uint8_t& b : whole)
        b = static_cast<uint8_t>(random());
    layer.split(whole.data());
}

inline std::vector<uint8_t> TileCopy(const TextureLayer& layer, int index)
{
    return std::vector<uint8_t>(layer.tile(index), layer.tile(index) + layer.tileBytes());
}

// Writes a PNG of size x size pixels, every byte `value`.
inline bool WritePicture(const std::string& path, int size, int bytesPerPixel, uint8_t value)
{
    auto* pixels = new unsigned char[static_cast<size_t>(size) * size * bytesPerPixel];
    std::memset(pixels, value, static_cast<size_t>(size) * size * bytesPerPixel);
    Image picture(pixels, size, size, bytesPerPixel, path.c_str());
    return picture.Save();
}

} // namespace layer_test
