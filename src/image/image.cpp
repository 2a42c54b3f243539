#include "image/image.h"

#include "image/image_io.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

// The field offsets are part of the plug-in binary interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(Image, m_data) == 4 && offsetof(Image, m_width) == 8 && offsetof(Image, m_height) == 12 &&
              offsetof(Image, m_bytesPerPixel) == 16 && offsetof(Image, m_colorType) == 20 &&
              offsetof(Image, m_fileName) == 24 && offsetof(Image, m_compressedFormat) == 28 &&
              offsetof(Image, m_mipMapCount) == 32 && offsetof(Image, m_force8Bit) == 36 && sizeof(Image) == 40);
#else
static_assert(offsetof(Image, m_data) == 8 && offsetof(Image, m_width) == 16 && offsetof(Image, m_height) == 20 &&
              offsetof(Image, m_bytesPerPixel) == 24 && offsetof(Image, m_colorType) == 28 &&
              offsetof(Image, m_fileName) == 32 && offsetof(Image, m_compressedFormat) == 40 &&
              offsetof(Image, m_mipMapCount) == 44 && offsetof(Image, m_force8Bit) == 48 && sizeof(Image) == 56);
#endif
#pragma GCC diagnostic pop

float Image::m_progressAmount = 0.0f;

namespace {

char* CopyText(const char* text)
{
    if (!text) return nullptr;
    size_t length = std::strlen(text);
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length + 1);
    return copy;
}

// trunc(q) mod side for any q, as a valid index; the usual case (a
// non-negative quotient inside int range) stays on the fast path.
int WrapIndex(float q, int side)
{
    if (q >= 0.0f && q < 2147483648.0f) return static_cast<int>(q) % side;
    if (!std::isfinite(q)) return 0;
    double r = std::fmod(std::trunc(double(q)), double(side));
    if (r < 0) r += side;
    int index = static_cast<int>(r);
    return index < side ? index : 0;
}

} // namespace

Image::Image()
    : m_data(nullptr), m_width(0), m_height(0), m_bytesPerPixel(0), m_colorType(kRgb), m_fileName(nullptr),
      m_compressedFormat(0), m_mipMapCount(0), m_force8Bit(true)
{
}

Image::Image(unsigned char* pixels, int width, int height, int bytesPerPixel, const char* fileName)
    : m_data(pixels), m_width(width), m_height(height), m_bytesPerPixel(bytesPerPixel), m_colorType(kRgb),
      m_fileName(CopyText(fileName)), m_compressedFormat(0), m_mipMapCount(0), m_force8Bit(true)
{
    SetColorType();
}

Image::Image(const Image& other)
    : m_data(nullptr), m_width(other.m_width), m_height(other.m_height), m_bytesPerPixel(other.m_bytesPerPixel),
      m_colorType(other.m_colorType), m_fileName(CopyText(other.m_fileName)),
      m_compressedFormat(other.m_compressedFormat), m_mipMapCount(other.m_mipMapCount), m_force8Bit(other.m_force8Bit)
{
    // Compressed data is smaller than width * height * bytes per pixel, so
    // the size comes from the chain, not from the pixel count.
    size_t size = other.GetDataSize();
    if (other.m_data && size > 0) {
        m_data = new unsigned char[size];
        std::memcpy(m_data, other.m_data, size);
    }
}

Image& Image::operator=(const Image& other)
{
    if (this == &other) return *this;
    Image copy(other);
    Unload();
    std::swap(m_data, copy.m_data);
    std::swap(m_fileName, copy.m_fileName);
    m_width = other.m_width;
    m_height = other.m_height;
    m_bytesPerPixel = other.m_bytesPerPixel;
    m_colorType = other.m_colorType;
    m_compressedFormat = other.m_compressedFormat;
    m_mipMapCount = other.m_mipMapCount;
    m_force8Bit = other.m_force8Bit;
    return *this;
}

Image::~Image()
{
    delete[] m_data;
    delete[] m_fileName;
}

void Image::Set(unsigned char* pixels, int width, int height, int bytesPerPixel, const char* fileName)
{
    m_data = pixels;
    if (fileName) {
        char* copy = CopyText(fileName); // before releasing: fileName may be m_fileName
        delete[] m_fileName;
        m_fileName = copy;
    }
    m_width = width;
    m_height = height;
    m_bytesPerPixel = bytesPerPixel;
    SetColorType();
}

void Image::Unload()
{
    delete[] m_data;
    m_data = nullptr;
    delete[] m_fileName;
    m_fileName = nullptr;
}

bool Image::Load(const char* fileName)
{
    if (!fileName) return false;
    char* name = CopyText(fileName); // fileName may be our own m_fileName
    if (m_data) Unload();
    delete[] m_fileName;
    m_fileName = name;
    return LoadByName(nullptr, 0);
}

bool Image::LoadFromMemory(const void* bytes, size_t size, const char* fileName)
{
    if (!fileName) return false;
    static const unsigned char kEmpty[1] = {0};
    char* name = CopyText(fileName);
    if (m_data) Unload();
    delete[] m_fileName;
    m_fileName = name;
    return LoadByName(bytes ? static_cast<const unsigned char*>(bytes) : kEmpty, bytes ? size : 0);
}

// bytes == nullptr: read the file named m_fileName.
bool Image::LoadByName(const unsigned char* bytes, size_t size)
{
    using image_io::HasExtension;
    bool ok = false;
    if (HasExtension(m_fileName, ".bmp")) {
        ok = bytes ? LoadBMP(bytes, size) : LoadBMP();
    } else if (HasExtension(m_fileName, ".tga")) {
        ok = bytes ? LoadTGA(bytes, size) : LoadTGA();
    } else if (HasExtension(m_fileName, ".png")) {
        ok = bytes ? LoadPNG(bytes, size) : LoadPNG();
    } else if (HasExtension(m_fileName, ".dds")) {
        ok = bytes ? LoadDDS(bytes, size) : LoadDDS();
    }
    if (!ok) {
        delete[] m_fileName;
        m_fileName = nullptr;
    }
    return ok;
}

bool Image::Save()
{
    if (!m_fileName || !std::strchr(m_fileName, '.')) return false;
    if (m_compressedFormat != 0 || !m_data) return false;
    if (image_io::HasExtension(m_fileName, ".tga")) return SaveTGA();
    if (image_io::HasExtension(m_fileName, ".png")) return SavePNG();
    return false;
}

void Image::FlipVertical()
{
    // Compressed blocks are not rows of pixels; flipping them by rows
    // would also run past the (smaller) block buffer.
    if (!m_data || m_compressedFormat != 0) return;
    uint64_t bytes = image_io::PixelBytes(m_width, m_height, m_bytesPerPixel);
    if (bytes == 0) return;
    // Swapped in place: no allocation that could fail, and a lent buffer
    // stays the lender's.
    size_t rowBytes = size_t(m_width) * size_t(m_bytesPerPixel);
    unsigned char* top = m_data;
    unsigned char* bottom = m_data + size_t(m_height - 1) * rowBytes;
    while (top < bottom) {
        for (size_t i = 0; i < rowBytes; ++i)
            std::swap(top[i], bottom[i]);
        top += rowBytes;
        bottom -= rowBytes;
    }
}

unsigned char* Image::GetPixel(int x, int y, float scale)
{
    if (!m_data || m_compressedFormat != 0 || m_width <= 0 || m_height <= 0) return m_data;
    int column = WrapIndex(float(x) / scale, m_width);
    int row = WrapIndex(float(y) / scale, m_height);
    return m_data + (size_t(row) * size_t(m_width) + size_t(column)) * size_t(m_bytesPerPixel);
}

unsigned char* Image::GetPixelf(float u, float v, float scale)
{
    if (!m_data || m_compressedFormat != 0 || m_width <= 0 || m_height <= 0) return m_data;
    int column = WrapIndex(float(m_width) * u / scale, m_width);
    int row = WrapIndex(float(m_height) * v / scale, m_height);
    return m_data + (size_t(row) * size_t(m_width) + size_t(column)) * size_t(m_bytesPerPixel);
}

int Image::GetBitDepthPerChannel()
{
    switch (m_colorType) {
    case kGrey:
        return m_bytesPerPixel * 8;
    case kRgb:
        return (m_bytesPerPixel / 3) * 8;
    case kRgba:
        return (m_bytesPerPixel / 4) * 8;
    default:
        return 8;
    }
}

void Image::Force8BitDepth(bool force)
{
    m_force8Bit = force;
}

void Image::AddProgress(float amount)
{
    m_progressAmount = amount;
}

size_t Image::GetDataSize() const
{
    if (!m_data) return 0;
    if (m_compressedFormat != 0) {
        return size_t(CompressedDataSize(m_width, m_height, m_compressedFormat, m_mipMapCount));
    }
    if (m_width <= 0 || m_height <= 0 || m_bytesPerPixel <= 0) return 0;
    return size_t(m_width) * size_t(m_height) * size_t(m_bytesPerPixel);
}

uint64_t Image::CompressedDataSize(int64_t width, int64_t height, int format, int mipMapCount)
{
    uint64_t blockBytes = format == kFormatDxt1 ? 8 : (format == kFormatDxt3 || format == kFormatDxt5) ? 16 : 0;
    if (blockBytes == 0 || width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return 0;
    int levels = mipMapCount > 1 ? mipMapCount : 1;
    uint64_t w = uint64_t(width);
    uint64_t h = uint64_t(height);
    uint64_t total = 0;
    for (int level = 0; level < levels; ++level) {
        total += ((w + 3) / 4) * ((h + 3) / 4) * blockBytes;
        if (w == 1 && h == 1) break;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return total;
}

void Image::SetColorType()
{
    switch (m_bytesPerPixel) {
    case 1:
    case 2:
        m_colorType = kGrey;
        break;
    case 4:
    case 8:
        m_colorType = kRgba;
        break;
    default:
        m_colorType = kRgb;
        break;
    }
}

void Image::Adopt(unsigned char* pixels, int width, int height, int bytesPerPixel, int compressedFormat,
                  int mipMapCount)
{
    delete[] m_data;
    m_data = pixels;
    m_width = width;
    m_height = height;
    m_bytesPerPixel = bytesPerPixel;
    m_compressedFormat = compressedFormat;
    m_mipMapCount = mipMapCount;
    SetColorType();
}
