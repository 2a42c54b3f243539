// Helpers shared by the image readers and writers (not part of the
// exported interface): whole-file reads, little-endian fields, checked
// pixel allocation.
//
// Every reader works on the complete file in memory, so a load from disk
// and a load from memory (the fuzz targets) take the same path, and every
// size in a header can be checked against the real byte count before
// anything is allocated or copied. Sizes are 64-bit throughout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace image_io {

// Pictures larger than this are refused rather than allocated: 16384 x
// 16384 RGBA still fits, a header claiming 65535 x 65535 x 8 bytes does not.
constexpr uint64_t kMaxPixelBytes = uint64_t(1) << 30;
// Widths and heights are stored in int fields.
constexpr uint64_t kMaxSide = 1u << 20;

using Buffer = std::unique_ptr<unsigned char[]>;

enum class ReadStatus { Ok, CannotOpen, ReadFailed, TooLarge, OutOfMemory };

struct FileBytes {
    Buffer data;
    size_t size = 0;
};

// Reads a whole regular file. Files above kMaxPixelBytes * 2 are TooLarge.
ReadStatus ReadWholeFile(const char* path, FileBytes& out);

// new[] without exceptions; nullptr when bytes is 0, above kMaxPixelBytes,
// or the allocation fails.
unsigned char* AllocatePixels(uint64_t bytes);

// width * height * bytesPerPixel when both sides are in 1..kMaxSide and the
// product is at most kMaxPixelBytes, else 0.
uint64_t PixelBytes(int64_t width, int64_t height, int64_t bytesPerPixel);

inline uint32_t Le16(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
inline uint32_t Le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutLe16(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

// Case-insensitive extension test on the text from the last '.' on.
bool HasExtension(const char* fileName, const char* extension);

} // namespace image_io
