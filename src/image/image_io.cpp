#include "image/image_io.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>
#include <sys/stat.h>

namespace image_io {

ReadStatus ReadWholeFile(const char* path, FileBytes& out)
{
    out.data.reset();
    out.size = 0;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return ReadStatus::CannotOpen;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(file);
        return ReadStatus::ReadFailed;
    }
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size > 2 * kMaxPixelBytes) {
        std::fclose(file);
        return ReadStatus::TooLarge;
    }
    // One spare byte so an empty file still gets a valid pointer.
    Buffer data(new (std::nothrow) unsigned char[size + 1]);
    if (!data) {
        std::fclose(file);
        return ReadStatus::OutOfMemory;
    }
    size_t got = std::fread(data.get(), 1, size, file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || got != size) return ReadStatus::ReadFailed;
    out.data = std::move(data);
    out.size = got;
    return ReadStatus::Ok;
}

unsigned char* AllocatePixels(uint64_t bytes)
{
    if (bytes == 0 || bytes > kMaxPixelBytes) return nullptr;
    return new (std::nothrow) unsigned char[bytes];
}

uint64_t PixelBytes(int64_t width, int64_t height, int64_t bytesPerPixel)
{
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return 0;
    if (uint64_t(width) > kMaxSide || uint64_t(height) > kMaxSide || bytesPerPixel > 16) return 0;
    uint64_t bytes = uint64_t(width) * uint64_t(height) * uint64_t(bytesPerPixel);
    return bytes <= kMaxPixelBytes ? bytes : 0;
}

bool HasExtension(const char* fileName, const char* extension)
{
    if (!fileName) return false;
    const char* dot = std::strrchr(fileName, '.');
    return dot && strcasecmp(dot, extension) == 0;
}

} // namespace image_io
