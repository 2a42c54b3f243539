// Shared body of the image reader fuzz targets: the bytes go through
// Image::LoadFromMemory, the same decoding path as a file load, and every
// byte of a decoded buffer is read so a wrong size shows up under ASan.
#pragma once

#include "image/image.h"
#include "shared/message_box.h"

#include <cstddef>
#include <cstdint>

namespace image_fuzz {

class Silent : public MessagePresenter {
public:
    MessageAnswer present(const char*, const char*, MessageIcon, MessageButtons) override { return MessageAnswer::Ok; }
};

inline int Run(const uint8_t* data, size_t size, const char* fileName)
{
    static Silent silent;
    SetMessagePresenter(&silent);
    Image image;
    // Odd sizes keep 16-bit samples, so both PNG paths are exercised.
    image.Force8BitDepth(size % 2 == 0);
    if (image.LoadFromMemory(data, size, fileName)) {
        size_t bytes = image.GetDataSize();
        if (bytes == 0) __builtin_trap();
        unsigned sum = 0;
        for (size_t i = 0; i < bytes; ++i)
            sum += image.m_data[i];
        Image copy(image);
        if (copy.GetDataSize() != bytes || copy.m_data[bytes - 1] != image.m_data[bytes - 1]) __builtin_trap();
        copy.FlipVertical();
        volatile unsigned sink = sum;
        (void)sink;
    }
    return 0;
}

} // namespace image_fuzz
