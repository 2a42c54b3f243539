// TGA reading and writing.
//
// The writer produces what the rest of the program reads back: type 3
// (grey) for one byte per pixel, else type 2, bottom-up, no ID, no colour
// map. The reader also takes what other programs write: an ID field,
// top-left or right-to-left origins and run-length packets (types 10 and
// 11). Colour-mapped files (types 1 and 9) are refused. Two bytes per pixel
// is this program's 16-bit grey, whatever the type says.
#include "image/image.h"

#include "image/image_io.h"
#include "shared/message_box.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr size_t kHeaderBytes = 18;

// Expands run-length packets into exactly pixelCount pixels; false when the
// data ends first. A packet never writes past the picture: a run crossing
// the end is cut there.
bool DecodeRunLength(const unsigned char* data, size_t size, unsigned char* out, uint64_t pixelCount,
                     size_t bytesPerPixel)
{
    size_t in = 0;
    uint64_t done = 0;
    while (done < pixelCount) {
        if (in >= size) return false;
        unsigned char packet = data[in++];
        uint64_t count = uint64_t(packet & 0x7F) + 1;
        if (count > pixelCount - done) count = pixelCount - done;
        unsigned char* target = out + done * bytesPerPixel;
        if (packet & 0x80) {
            if (size - in < bytesPerPixel) return false;
            const unsigned char* pixel = data + in;
            in += bytesPerPixel;
            for (uint64_t i = 0; i < count; ++i)
                std::memcpy(target + i * bytesPerPixel, pixel, bytesPerPixel);
        } else {
            uint64_t bytes = count * bytesPerPixel;
            if (size - in < bytes) return false;
            std::memcpy(target, data + in, size_t(bytes));
            in += size_t(bytes);
        }
        done += count;
    }
    return true;
}

void MirrorRows(unsigned char* pixels, int width, int height, size_t bytesPerPixel)
{
    size_t rowBytes = size_t(width) * bytesPerPixel;
    for (int row = 0; row < height; ++row) {
        unsigned char* left = pixels + size_t(row) * rowBytes;
        unsigned char* right = left + rowBytes - bytesPerPixel;
        while (left < right) {
            for (size_t i = 0; i < bytesPerPixel; ++i)
                std::swap(left[i], right[i]);
            left += bytesPerPixel;
            right -= bytesPerPixel;
        }
    }
}

void SwapRedBlue(unsigned char* pixels, uint64_t pixelCount, size_t bytesPerPixel)
{
    for (uint64_t i = 0; i < pixelCount; ++i)
        std::swap(pixels[i * bytesPerPixel], pixels[i * bytesPerPixel + 2]);
}

} // namespace

bool Image::LoadTGA()
{
    image_io::FileBytes file;
    if (image_io::ReadWholeFile(m_fileName, file) != image_io::ReadStatus::Ok) return false;
    return LoadTGA(file.data.get(), file.size);
}

bool Image::LoadTGA(const unsigned char* bytes, size_t size)
{
    const char* name = m_fileName ? m_fileName : "";
    if (size < kHeaderBytes) return false;
    int idLength = bytes[0];
    int colorMapType = bytes[1];
    int imageType = bytes[2];
    uint32_t colorMapLength = image_io::Le16(bytes + 5);
    uint32_t colorMapEntryBits = bytes[7];
    int width = int(image_io::Le16(bytes + 12));
    int height = int(image_io::Le16(bytes + 14));
    int depth = bytes[16];
    int descriptor = bytes[17];
    if (width == 0 || height == 0) {
        ShowErrorBox("Incorrect TGA: %s:", name);
        return false;
    }
    if (imageType == 1 || imageType == 9) {
        ShowErrorBox("Incorrect TGA: %s: colour-mapped pictures are not supported", name);
        return false;
    }
    bool runLength = imageType == 10 || imageType == 11;
    if (imageType != 2 && imageType != 3 && !runLength) {
        ShowErrorBox("Incorrect TGA: %s: unknown image type %d", name, imageType);
        return false;
    }
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        ShowErrorBox("Incorrect TGA: %s: %d bits per pixel are not supported", name, depth);
        return false;
    }
    size_t bytesPerPixel = size_t(depth) >> 3;

    // A colour map may precede true-colour data too; it is skipped.
    uint64_t offset = kHeaderBytes + uint64_t(idLength);
    if (colorMapType != 0) offset += uint64_t(colorMapLength) * ((colorMapEntryBits + 7) / 8);
    uint64_t pixelCount = uint64_t(width) * uint64_t(height);
    uint64_t total = pixelCount * bytesPerPixel;
    if (offset > size) {
        ShowErrorBox("Incorrect TGA: %s:", name);
        return false;
    }
    const unsigned char* data = bytes + offset;
    size_t dataSize = size - size_t(offset);
    // Every packet holds at most 128 pixels in at least 1 + bytesPerPixel
    // bytes, so a short file is known before the buffer is allocated.
    uint64_t mostPixels = runLength ? uint64_t(dataSize) / (1 + bytesPerPixel) * 128 + 128 : dataSize / bytesPerPixel;
    if (pixelCount > mostPixels) {
        ShowErrorBox("Incorrect TGA: %s:", name);
        return false;
    }
    image_io::Buffer pixels(image_io::AllocatePixels(total));
    if (!pixels) {
        ShowErrorBox("Incorrect TGA: %s: out of memory", name);
        return false;
    }
    if (runLength) {
        if (!DecodeRunLength(data, dataSize, pixels.get(), pixelCount, bytesPerPixel)) {
            ShowErrorBox("Incorrect TGA: %s:", name);
            return false;
        }
    } else {
        std::memcpy(pixels.get(), data, size_t(total));
    }

    Adopt(pixels.release(), width, height, int(bytesPerPixel), 0, 0);
    if (descriptor & 0x10) MirrorRows(m_data, width, height, bytesPerPixel);
    if (!(descriptor & 0x20)) FlipVertical();
    if (bytesPerPixel >= 3) SwapRedBlue(m_data, pixelCount, bytesPerPixel);
    return true;
}

bool Image::SaveTGA()
{
    // Only layouts the reader takes back are written.
    if (!m_data || m_compressedFormat != 0 || m_bytesPerPixel < 1 || m_bytesPerPixel > 4) return false;
    if (m_width <= 0 || m_height <= 0 || m_width > 0xFFFF || m_height > 0xFFFF) return false;

    std::FILE* file = std::fopen(m_fileName, "wb");
    if (!file) return false;
    unsigned char header[kHeaderBytes] = {};
    header[2] = m_bytesPerPixel == 1 ? 3 : 2;
    image_io::PutLe16(header + 12, uint32_t(m_width));
    image_io::PutLe16(header + 14, uint32_t(m_height));
    header[16] = static_cast<unsigned char>(m_bytesPerPixel * 8);
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;

    // Rows go out bottom-up and BGR through a scratch row, so the picture
    // in memory is untouched whether or not the write succeeds.
    size_t bytesPerPixel = size_t(m_bytesPerPixel);
    size_t rowBytes = size_t(m_width) * bytesPerPixel;
    image_io::Buffer row(new unsigned char[rowBytes]);
    for (int y = m_height - 1; ok && y >= 0; --y) {
        std::memcpy(row.get(), m_data + size_t(y) * rowBytes, rowBytes);
        if (bytesPerPixel >= 3) SwapRedBlue(row.get(), uint64_t(m_width), bytesPerPixel);
        ok = std::fwrite(row.get(), 1, rowBytes, file) == rowBytes;
    }
    if (std::fclose(file) != 0) ok = false;
    if (!ok) std::remove(m_fileName);
    return ok;
}
