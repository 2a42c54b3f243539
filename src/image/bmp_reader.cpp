// BMP reading: our own DIB decoder.
//
// Takes files with or without the 14-byte "BM" file header (a bare DIB
// starts with its info header), the 12-byte core header, the 40-byte info
// header and its later 52/56/108/124-byte forms (and the 64-byte OS/2 one);
// 1, 4 and 8 bits through a palette, 16, 24 and 32 bits, BI_BITFIELDS
// masks for 16 and 32 bits, top-down files (negative height), and RLE8 and
// RLE4. The result is always 3 bytes per pixel, R, G, B, row 0 at the top;
// alpha is dropped, as the conversion to a 24-bit DIB did.
//
// Every offset and count from the file is checked against the bytes that
// are really there before it is used; indices past the palette read black.
#include "image/image.h"

#include "image/image_io.h"
#include "shared/message_box.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace {

using image_io::Le16;
using image_io::Le32;

enum class DibError { None, UnknownFormat, OutOfMemory, Conversion };

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3, kAlphaBitfields = 6 };

struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    void Init(uint32_t bits)
    {
        mask = bits;
        shift = bits ? std::countr_zero(bits) : 0;
        max = bits >> shift;
    }
    unsigned char Extract(uint32_t pixel) const
    {
        if (max == 0) return 0;
        uint64_t value = (pixel & mask) >> shift;
        return static_cast<unsigned char>((value * 255 + max / 2) / max);
    }
};

struct Dib {
    int64_t width = 0;
    int64_t height = 0; // rows, positive
    bool topDown = false;
    uint32_t bits = 0;
    uint32_t compression = kRgb;
    Channel red, green, blue;
    unsigned char palette[256][3] = {}; // R, G, B; unused entries black
    const unsigned char* data = nullptr;
    size_t dataSize = 0;
};

DibError ParseHeaders(const unsigned char* bytes, size_t size, Dib& dib)
{
    size_t position = 0;
    uint64_t pixelOffset = 0;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        if (size < 18) return DibError::Conversion;
        pixelOffset = Le32(bytes + 10);
        position = 14;
    }
    if (size - position < 4) return DibError::UnknownFormat;
    const unsigned char* header = bytes + position;
    uint32_t headerSize = Le32(header);
    bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 64 && headerSize != 108 &&
        headerSize != 124) {
        return DibError::UnknownFormat;
    }
    if (size - position < headerSize) return DibError::Conversion;

    uint32_t colorsUsed = 0;
    if (core) {
        dib.width = Le16(header + 4);
        dib.height = Le16(header + 6);
        dib.bits = Le16(header + 10);
    } else {
        dib.width = int32_t(Le32(header + 4));
        int64_t height = int32_t(Le32(header + 8));
        dib.topDown = height < 0;
        dib.height = height < 0 ? -height : height;
        dib.bits = Le16(header + 14);
        dib.compression = Le32(header + 16);
        colorsUsed = Le32(header + 32);
    }
    if (dib.width <= 0 || dib.height <= 0) return DibError::Conversion;

    switch (dib.compression) {
    case kRgb:
        if (dib.bits != 1 && dib.bits != 4 && dib.bits != 8 && dib.bits != 16 && dib.bits != 24 && dib.bits != 32) {
            return DibError::Conversion;
        }
        break;
    case kRle8:
    case kRle4:
        // The OS/2 header gives these numbers other meanings.
        if (headerSize == 64 || dib.topDown || dib.bits != (dib.compression == kRle8 ? 8u : 4u)) {
            return DibError::Conversion;
        }
        break;
    case kBitfields:
    case kAlphaBitfields:
        if (headerSize == 64 || (dib.bits != 16 && dib.bits != 32)) return DibError::Conversion;
        break;
    default:
        return DibError::Conversion;
    }

    // Masks sit inside the longer headers, or right after the 40-byte one.
    size_t tableStart = position + headerSize;
    if (dib.compression == kBitfields || dib.compression == kAlphaBitfields) {
        const unsigned char* masks = header + 40;
        if (headerSize == 40) {
            size_t maskBytes = dib.compression == kBitfields ? 12 : 16;
            if (size - tableStart < maskBytes) return DibError::Conversion;
            tableStart += maskBytes;
        }
        dib.red.Init(Le32(masks));
        dib.green.Init(Le32(masks + 4));
        dib.blue.Init(Le32(masks + 8));
    } else if (dib.bits == 16) {
        dib.red.Init(0x7C00);
        dib.green.Init(0x03E0);
        dib.blue.Init(0x001F);
    } else if (dib.bits == 32) {
        dib.red.Init(0x00FF0000);
        dib.green.Init(0x0000FF00);
        dib.blue.Init(0x000000FF);
    }

    uint64_t entryBytes = core ? 3 : 4;
    uint64_t colors = colorsUsed;
    if (dib.bits <= 8 && colors == 0) colors = uint64_t(1) << dib.bits;
    uint64_t tableEnd = tableStart + colors * entryBytes;
    if (dib.bits <= 8) {
        if (tableEnd > size) return DibError::Conversion;
        uint64_t entries = colors < (uint64_t(1) << dib.bits) ? colors : (uint64_t(1) << dib.bits);
        for (uint64_t i = 0; i < entries; ++i) {
            const unsigned char* entry = bytes + tableStart + i * entryBytes;
            dib.palette[i][0] = entry[2];
            dib.palette[i][1] = entry[1];
            dib.palette[i][2] = entry[0];
        }
    }

    uint64_t dataStart = pixelOffset != 0 ? pixelOffset : tableEnd;
    if (dataStart >= size) return DibError::Conversion;
    dib.data = bytes + dataStart;
    dib.dataSize = size - size_t(dataStart);
    return DibError::None;
}

// Bytes plain rows need; the last row may lack its padding.
uint64_t PlainDataBytes(const Dib& dib)
{
    uint64_t rowBits = uint64_t(dib.width) * dib.bits;
    return (rowBits + 31) / 32 * 4 * uint64_t(dib.height - 1) + (rowBits + 7) / 8;
}

// Plain rows, bottom-up unless the height was negative; the data size was
// checked against PlainDataBytes.
void DecodeRows(const Dib& dib, unsigned char* out)
{
    uint64_t stride = (uint64_t(dib.width) * dib.bits + 31) / 32 * 4;
    size_t width = size_t(dib.width);
    for (int64_t fileRow = 0; fileRow < dib.height; ++fileRow) {
        const unsigned char* in = dib.data + uint64_t(fileRow) * stride;
        int64_t row = dib.topDown ? fileRow : dib.height - 1 - fileRow;
        unsigned char* target = out + uint64_t(row) * width * 3;
        switch (dib.bits) {
        case 1:
        case 4:
        case 8: {
            uint32_t perByte = 8 / dib.bits;
            uint32_t indexMask = (1u << dib.bits) - 1;
            for (size_t x = 0; x < width; ++x) {
                uint32_t shift = 8 - dib.bits * (uint32_t(x % perByte) + 1);
                uint32_t index = (in[x / perByte] >> shift) & indexMask;
                std::memcpy(target + x * 3, dib.palette[index], 3);
            }
            break;
        }
        case 16:
            for (size_t x = 0; x < width; ++x) {
                uint32_t pixel = Le16(in + x * 2);
                target[x * 3] = dib.red.Extract(pixel);
                target[x * 3 + 1] = dib.green.Extract(pixel);
                target[x * 3 + 2] = dib.blue.Extract(pixel);
            }
            break;
        case 24:
            for (size_t x = 0; x < width; ++x) {
                target[x * 3] = in[x * 3 + 2];
                target[x * 3 + 1] = in[x * 3 + 1];
                target[x * 3 + 2] = in[x * 3];
            }
            break;
        case 32:
            for (size_t x = 0; x < width; ++x) {
                uint32_t pixel = Le32(in + x * 4);
                target[x * 3] = dib.red.Extract(pixel);
                target[x * 3 + 1] = dib.green.Extract(pixel);
                target[x * 3 + 2] = dib.blue.Extract(pixel);
            }
            break;
        }
    }
}

// RLE8 and RLE4 into palette indices; pixels the codes skip keep index 0.
// Codes that run past a row or the picture are clipped; data that ends
// without the end-of-bitmap code ends the picture there.
void DecodeRunLength(const Dib& dib, unsigned char* indices)
{
    const unsigned char* in = dib.data;
    size_t size = dib.dataSize;
    bool four = dib.compression == kRle4;
    uint64_t width = uint64_t(dib.width);
    uint64_t height = uint64_t(dib.height);
    uint64_t x = 0;
    uint64_t y = 0; // counted from the bottom row
    size_t i = 0;
    auto put = [&](unsigned char index) {
        if (x < width && y < height) indices[(height - 1 - y) * width + x] = index;
        ++x;
    };
    while (size - i >= 2 && y < height) {
        unsigned count = in[i];
        unsigned value = in[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned n = 0; n < count; ++n) {
                put(four ? static_cast<unsigned char>(n % 2 ? value & 15 : value >> 4)
                         : static_cast<unsigned char>(value));
            }
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (size - i < 2) break;
            x += in[i];
            y += in[i + 1];
            i += 2;
        } else {
            size_t bytes = four ? (value + 1) / 2 : value;
            bytes += bytes & 1; // absolute runs end on a 16-bit boundary
            if (size - i < bytes) bytes = size - i;
            for (unsigned n = 0; n < value; ++n) {
                size_t at = four ? n / 2 : n;
                if (at >= bytes) break;
                put(four ? static_cast<unsigned char>(n % 2 ? in[i + at] & 15 : in[i + at] >> 4) : in[i + at]);
            }
            i += bytes;
        }
    }
}

DibError DecodeDib(const unsigned char* bytes, size_t size, image_io::Buffer& pixels, int& width, int& height)
{
    Dib dib;
    DibError error = ParseHeaders(bytes, size, dib);
    if (error != DibError::None) return error;
    // Both checks against the file come before any allocation. End-of-line
    // and delta codes let a few bytes of RLE claim a huge picture; honest
    // files stay far below 256 pixels per byte.
    uint64_t pixelCount = uint64_t(dib.width) * uint64_t(dib.height);
    bool runLength = dib.compression == kRle8 || dib.compression == kRle4;
    if (runLength && pixelCount > uint64_t(dib.dataSize) * 256 + 65536) return DibError::Conversion;
    if (!runLength && PlainDataBytes(dib) > dib.dataSize) return DibError::Conversion;
    uint64_t total = image_io::PixelBytes(dib.width, dib.height, 3);
    if (total == 0) return DibError::OutOfMemory;

    pixels.reset(image_io::AllocatePixels(total));
    if (!pixels) return DibError::OutOfMemory;
    if (runLength) {
        image_io::Buffer indices(image_io::AllocatePixels(pixelCount));
        if (!indices) return DibError::OutOfMemory;
        std::memset(indices.get(), 0, size_t(pixelCount));
        DecodeRunLength(dib, indices.get());
        for (uint64_t i = 0; i < pixelCount; ++i)
            std::memcpy(pixels.get() + i * 3, dib.palette[indices[i]], 3);
    } else {
        DecodeRows(dib, pixels.get());
    }
    width = int(dib.width);
    height = int(dib.height);
    return DibError::None;
}

} // namespace

bool Image::LoadBMP()
{
    image_io::FileBytes file;
    image_io::ReadStatus status = image_io::ReadWholeFile(m_fileName, file);
    if (status == image_io::ReadStatus::CannotOpen) {
        ShowErrorBox("Incorrect Bitmap: %s", m_fileName);
        return false;
    }
    if (status == image_io::ReadStatus::OutOfMemory) {
        ShowMessageBox("Error", "Out of memory.", MessageIcon::Error);
        return false;
    }
    if (status != image_io::ReadStatus::Ok) {
        char text[300];
        std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n", m_fileName);
        ShowMessageBox("Error", text, MessageIcon::Error);
        return false;
    }
    return LoadBMP(file.data.get(), file.size);
}

bool Image::LoadBMP(const unsigned char* bytes, size_t size)
{
    image_io::Buffer pixels;
    int width = 0;
    int height = 0;
    switch (DecodeDib(bytes, size, pixels, width, height)) {
    case DibError::None:
        Adopt(pixels.release(), width, height, 3, 0, 0);
        return true;
    case DibError::UnknownFormat:
        ShowMessageBox("Error", "Unknown DIB file format.", MessageIcon::Error);
        break;
    case DibError::OutOfMemory:
        ShowMessageBox("Error", "Out of memory.", MessageIcon::Error);
        break;
    case DibError::Conversion:
        ShowMessageBox("Error", "Image file conversion error.", MessageIcon::Error);
        break;
    }
    return false;
}
