// DDS reading: DXT1, DXT3 and DXT5 block data, kept compressed for upload.
//
// The data size is worked out from the width, height, format and mip count
// (the header's linear size is too small for short chains and some writers
// store 0). The top level must be in the file; smaller levels the file
// lacks are zero-filled, so a texture with a short chain still uploads.
// A header therefore never makes us allocate much more than the file holds.
#include "image/image.h"

#include "image/image_io.h"
#include "shared/message_box.h"

#include <cctype>
#include <cstring>

namespace {

constexpr size_t kHeaderEnd = 128; // "DDS " and the 124-byte header

int FormatFromCode(const unsigned char* code)
{
    if (std::memcmp(code, "DXT1", 4) == 0) return Image::kFormatDxt1;
    if (std::memcmp(code, "DXT3", 4) == 0) return Image::kFormatDxt3;
    if (std::memcmp(code, "DXT5", 4) == 0) return Image::kFormatDxt5;
    return 0;
}

int FullChainLength(uint32_t width, uint32_t height)
{
    uint32_t side = width > height ? width : height;
    int levels = 1;
    while (side > 1) {
        side /= 2;
        ++levels;
    }
    return levels;
}

} // namespace

bool Image::LoadDDS()
{
    image_io::FileBytes file;
    image_io::ReadStatus status = image_io::ReadWholeFile(m_fileName, file);
    if (status == image_io::ReadStatus::CannotOpen) return false;
    if (status != image_io::ReadStatus::Ok) {
        ShowErrorBox("Incorrect DDS: %s: cannot be read", m_fileName);
        return false;
    }
    return LoadDDS(file.data.get(), file.size);
}

bool Image::LoadDDS(const unsigned char* bytes, size_t size)
{
    const char* name = m_fileName ? m_fileName : "";
    if (size < 4 || std::memcmp(bytes, "DDS ", 4) != 0) return false;
    if (size < kHeaderEnd) {
        ShowErrorBox("Incorrect DDS: %s: the header is incomplete", name);
        return false;
    }
    uint32_t height = image_io::Le32(bytes + 12);
    uint32_t width = image_io::Le32(bytes + 16);
    uint32_t headerMips = image_io::Le32(bytes + 28);
    const unsigned char* code = bytes + 84;
    int format = FormatFromCode(code);
    if (format == 0) {
        char shown[5];
        for (int i = 0; i < 4; ++i)
            shown[i] = std::isprint(code[i]) ? char(code[i]) : '?';
        shown[4] = '\0';
        ShowErrorBox("Incorrect DDS: %s: format \"%s\" is not supported (DXT1, DXT3 or DXT5 only)", name, shown);
        return false;
    }
    if (width == 0 || height == 0 || width > image_io::kMaxSide || height > image_io::kMaxSide) {
        ShowErrorBox("Incorrect DDS: %s: size %u x %u", name, width, height);
        return false;
    }
    // A count beyond the 1 x 1 level would make the texture code walk
    // levels that do not exist.
    int fullChain = FullChainLength(width, height);
    int mipMapCount = headerMips > uint32_t(fullChain) ? fullChain : int(headerMips);

    uint64_t total = CompressedDataSize(width, height, format, mipMapCount);
    uint64_t topLevel = CompressedDataSize(width, height, format, 1);
    size_t available = size - kHeaderEnd;
    if (topLevel > available || total > image_io::kMaxPixelBytes) {
        ShowErrorBox("Incorrect DDS: %s: the file ends early", name);
        return false;
    }
    image_io::Buffer data(image_io::AllocatePixels(total));
    if (!data) {
        ShowErrorBox("Incorrect DDS: %s: out of memory", name);
        return false;
    }
    size_t copied = total < available ? size_t(total) : available;
    std::memcpy(data.get(), bytes + kHeaderEnd, copied);
    std::memset(data.get() + copied, 0, size_t(total) - copied);
    Adopt(data.release(), int(width), int(height), format == kFormatDxt1 ? 3 : 4, format, mipMapCount);
    return true;
}
