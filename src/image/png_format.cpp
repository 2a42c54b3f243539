// PNG reading and writing through libpng.
//
// libpng reports errors by longjmp. Each setjmp sits in a function whose
// own locals are not used after the jump; everything that must survive
// (the pixel buffer, the message) lives in a state record owned by the
// caller, which frees it. No C++ object with a destructor is alive in the
// frames the jump crosses.
#include "image/image.h"

#include "image/image_io.h"
#include "shared/message_box.h"
#include "shared/progress_bar.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

struct PngReadState {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    size_t position = 0;
    uint64_t compressedBytes = 0; // sum of the IDAT chunk lengths
    bool force8Bit = true;
    float progress = 0.0f;

    unsigned char* pixels = nullptr; // new[], owned by the caller
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    char message[160] = {};
};

struct PngWriteState {
    const unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    int bitDepth = 0;
    int pngColorType = 0;
    float progress = 0.0f;
    std::FILE* file = nullptr;
    char message[160] = {};
};

void StoreMessage(char* target, size_t capacity, const char* text)
{
    std::snprintf(target, capacity, "%s", text ? text : "unknown error");
}

void ReadError(png_structp png, png_const_charp text)
{
    auto* state = static_cast<PngReadState*>(png_get_error_ptr(png));
    StoreMessage(state->message, sizeof state->message, text);
    png_longjmp(png, 1);
}

void WriteError(png_structp png, png_const_charp text)
{
    auto* state = static_cast<PngWriteState*>(png_get_error_ptr(png));
    StoreMessage(state->message, sizeof state->message, text);
    png_longjmp(png, 1);
}

// Warnings (odd colour profiles, unknown chunks) do not stop a load.
void IgnoreWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep target, size_t count)
{
    auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (count > state->size - state->position) png_error(png, "the file ends early");
    std::memcpy(target, state->bytes + state->position, count);
    state->position += count;
}

// Sums the IDAT lengths so that a header promising far more pixels than the
// compressed data can hold is refused before its buffer is allocated.
uint64_t CompressedDataBytes(const unsigned char* bytes, size_t size)
{
    uint64_t total = 0;
    size_t position = 8;
    while (size - position >= 12) {
        uint32_t length = uint32_t(bytes[position]) << 24 | uint32_t(bytes[position + 1]) << 16 |
                          uint32_t(bytes[position + 2]) << 8 | bytes[position + 3];
        const unsigned char* type = bytes + position + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) total += length;
        if (std::memcmp(type, "IEND", 4) == 0) break;
        if (length > size - position - 12) {
            total += size - position - 12; // a truncated last chunk
            break;
        }
        position += 12 + size_t(length);
    }
    return total;
}

bool DecodePng(PngReadState* state)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, ReadError, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, state, ReadFromMemory);
    png_set_sig_bytes(png, 8);
    state->position = 8;
    png_set_user_limits(png, image_io::kMaxSide, image_io::kMaxSide);
    // libpng allocates an ancillary chunk (text, profile) at the length its
    // header states before reading it, and inflates compressed ones up to
    // this limit; without one, a 100-byte file can ask for 2 GB. No chunk
    // can be longer than the file; 8 MB leaves room for inflated profiles.
    size_t chunkLimit = state->size + 1024;
    chunkLimit = chunkLimit < (8u << 20) ? (8u << 20) : chunkLimit > (64u << 20) ? (64u << 20) : chunkLimit;
    png_set_chunk_malloc_max(png, chunkLimit);
    png_read_info(png, info);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    uint64_t inputChannels = png_get_channels(png, info);

    // Every input becomes grey, RGB or RGBA of 8 or 16 bits per sample.
    bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTransparency) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA || (colorType == PNG_COLOR_TYPE_GRAY && hasTransparency)) {
        png_set_gray_to_rgb(png); // grey with alpha has no layout of its own
    }
    if (bitDepth == 16) {
        if (state->force8Bit) {
            png_set_strip_16(png);
        } else {
            png_set_swap(png); // memory holds little-endian samples
        }
    }
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    int channels = png_get_channels(png, info);
    int outDepth = png_get_bit_depth(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    int bytesPerPixel = channels * outDepth / 8;
    if ((outDepth != 8 && outDepth != 16) || (channels != 1 && channels != 3 && channels != 4)) {
        png_error(png, "unsupported pixel layout");
    }
    uint64_t total = image_io::PixelBytes(width, height, bytesPerPixel);
    if (total == 0 || rowBytes != size_t(width) * size_t(bytesPerPixel)) png_error(png, "picture too large");
    // Deflate expands at most about 1032 to 1 (plus a margin for small
    // pictures): a header promising more rows than the compressed data can
    // hold is a truncated or forged file, refused before allocating.
    uint64_t rawBytes = ((uint64_t(width) * uint64_t(bitDepth) * uint64_t(inputChannels) + 7) / 8 + 1) * height;
    if (rawBytes / 1100 > state->compressedBytes + 1024) png_error(png, "the file ends early");

    state->pixels = image_io::AllocatePixels(total);
    if (!state->pixels) png_error(png, "out of memory");
    state->width = int(width);
    state->height = int(height);
    state->bytesPerPixel = bytesPerPixel;

    float step = state->progress != 0.0f ? state->progress / float(height) / float(passes) : 0.0f;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 row = 0; row < height; ++row) {
            png_read_row(png, state->pixels + size_t(row) * rowBytes, nullptr);
            if (step != 0.0f) ProgressBar_Add(step);
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool EncodePng(PngWriteState* state)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, state, WriteError, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, state->file);
    png_set_compression_level(png, 1);
    // One filter for every row instead of libpng's per-row trial of all five:
    // on 16-bit heightmaps "up" gives files as small as the trial (17.5 MB
    // for a 4097 map) while writing about a third faster, and it is the
    // cheapest filter to undo when the file is read again.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_IHDR(png, info, png_uint_32(state->width), png_uint_32(state->height), state->bitDepth, state->pngColorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (state->bitDepth == 16) png_set_swap(png);

    size_t rowBytes = size_t(state->width) * size_t(state->bytesPerPixel);
    float step = state->progress != 0.0f ? state->progress / float(state->height) : 0.0f;
    for (int row = 0; row < state->height; ++row) {
        png_write_row(png, state->pixels + size_t(row) * rowBytes);
        if (step != 0.0f) ProgressBar_Add(step);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

const png_byte kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

} // namespace

bool Image::LoadPNG()
{
    image_io::FileBytes file;
    image_io::ReadStatus status = image_io::ReadWholeFile(m_fileName, file);
    if (status != image_io::ReadStatus::Ok) {
        // The pending progress is consumed whether or not the file opened.
        m_progressAmount = 0.0f;
        if (status != image_io::ReadStatus::CannotOpen) ShowErrorBox("Incorrect PNG: %s: cannot be read", m_fileName);
        return false;
    }
    return LoadPNG(file.data.get(), file.size);
}

bool Image::LoadPNG(const unsigned char* bytes, size_t size)
{
    PngReadState state;
    state.progress = m_progressAmount;
    m_progressAmount = 0.0f;
    if (size < 8 || std::memcmp(bytes, kSignature, 8) != 0) return false;

    state.bytes = bytes;
    state.size = size;
    state.force8Bit = m_force8Bit;
    state.compressedBytes = CompressedDataBytes(bytes, size);
    if (!DecodePng(&state)) {
        delete[] state.pixels;
        ShowErrorBox("Incorrect PNG: %s: %s", m_fileName ? m_fileName : "", state.message);
        return false;
    }
    Adopt(state.pixels, state.width, state.height, state.bytesPerPixel, 0, 0);
    return true;
}

bool Image::SavePNG()
{
    if (!m_fileName) return false;
    // A name already ending in ".png" in any case is kept: on a
    // case-sensitive file system "X.PNG" and "X.png" are different files.
    const char* dot = std::strrchr(m_fileName, '.');
    if (!image_io::HasExtension(m_fileName, ".png")) {
        size_t stem = dot ? size_t(dot - m_fileName) : std::strlen(m_fileName);
        char* name = new char[stem + 5];
        std::memcpy(name, m_fileName, stem);
        std::memcpy(name + stem, ".png", 5);
        delete[] m_fileName;
        m_fileName = name;
    }

    PngWriteState state;
    state.progress = m_progressAmount;
    m_progressAmount = 0.0f;

    // The colour type names the layout; a buffer whose pixel size does not
    // match it would be written short or read past its end.
    int channels = 0;
    switch (m_colorType) {
    case kGrey:
        state.pngColorType = PNG_COLOR_TYPE_GRAY, channels = 1;
        break;
    case kRgb:
        state.pngColorType = PNG_COLOR_TYPE_RGB, channels = 3;
        break;
    case kRgba:
        state.pngColorType = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4;
        break;
    default:
        return false;
    }
    state.bitDepth = GetBitDepthPerChannel();
    if ((state.bitDepth != 8 && state.bitDepth != 16) || channels * state.bitDepth / 8 != m_bytesPerPixel) return false;
    if (!m_data || m_compressedFormat != 0 || image_io::PixelBytes(m_width, m_height, m_bytesPerPixel) == 0) {
        return false;
    }
    state.pixels = m_data;
    state.width = m_width;
    state.height = m_height;
    state.bytesPerPixel = m_bytesPerPixel;

    state.file = std::fopen(m_fileName, "wb");
    if (!state.file) return false;
    bool ok = EncodePng(&state);
    if (std::fflush(state.file) != 0 || std::ferror(state.file)) ok = false;
    if (std::fclose(state.file) != 0) ok = false;
    // A half-written picture would later load as garbage or fail obscurely.
    if (!ok) std::remove(m_fileName);
    m_progressAmount = 0.0f;
    return ok;
}
