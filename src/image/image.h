// Image: the in-memory picture shared by the whole program and its plug-ins.
//
// A pixel buffer with its size, pixel layout and file name. Reads BMP, TGA,
// PNG and DDS (DXT1/3/5 block data, kept compressed) and writes TGA and PNG.
//
// BINARY INTERFACE. Plug-ins construct this class on their own stack and
// call its exported members, so the field order, the field types and the
// order of the virtual functions (destructor, Set, Unload, Load) must not
// change. New members may only be non-virtual functions or statics.
//
// Memory layout of the pixels: rows top to bottom, each m_width *
// m_bytesPerPixel bytes without padding; channels R, G, B(, A); 16-bit
// samples little-endian. 1 or 2 bytes per pixel is grey, 3 or 6 RGB, 4 or
// 8 RGBA. For DDS data m_data holds the S3TC blocks of the whole mip chain
// (see GetDataSize) and m_compressedFormat is the GL format number.
//
// Ownership: the image owns m_data (new[]) and m_fileName and releases both
// in Unload and in the destructor. A caller that lends its own buffer sets
// m_data back to nullptr before the image is destroyed.
//
// Failures are reported by the bool results; corrupt files also show the
// reader's message (error box or "Error" message box). Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>

class Image {
public:
    // S3TC format numbers stored in m_compressedFormat.
    static constexpr int kFormatDxt1 = 0x83F1;
    static constexpr int kFormatDxt3 = 0x83F2;
    static constexpr int kFormatDxt5 = 0x83F3;

    // Colour types stored in m_colorType.
    static constexpr int kGrey = 0;
    static constexpr int kRgb = 1;
    static constexpr int kRgba = 2;

    Image();
    // Adopts pixels (allocated with new[]); copies fileName when given.
    Image(unsigned char* pixels, int width, int height, int bytesPerPixel, const char* fileName = nullptr);
    Image(const Image& other);
    Image& operator=(const Image& other);

    // Virtual slots in this order: destructor, Set, Unload, Load.
    virtual ~Image();
    // Adopts pixels without releasing a buffer already held (it may be a
    // lent one); replaces the name only when one is given.
    virtual void Set(unsigned char* pixels, int width, int height, int bytesPerPixel, const char* fileName = nullptr);
    // Releases pixels and name; the sizes stay.
    virtual void Unload();
    // Reads a .bmp, .tga, .png or .dds file (extension in any case).
    virtual bool Load(const char* fileName);

    // Decodes a file already in memory, exactly as Load would decode the
    // file of that name; the extension of fileName picks the format.
    bool LoadFromMemory(const void* bytes, size_t size, const char* fileName);

    // Writes m_fileName as .tga or .png; true only when the file was written.
    bool Save();

    void FlipVertical();
    // Nearest pixel with wrapping: column = trunc(x / scale) mod m_width.
    unsigned char* GetPixel(int x, int y, float scale);
    // Nearest pixel with wrapping: column = trunc(m_width * u / scale) mod m_width.
    unsigned char* GetPixelf(float u, float v, float scale);
    int GetBitDepthPerChannel();
    // Default true: 16-bit PNG samples are cut to 8 bits on load. Heightmaps
    // must call Force8BitDepth(false) before Load.
    void Force8BitDepth(bool force);
    // Arms the amount by which the next PNG load or save advances the
    // progress bar (replaces, does not add).
    void AddProgress(float amount);

    // Size in bytes of the buffer m_data holds: the whole mip chain for
    // compressed data, else width * height * bytes per pixel. 0 when empty.
    size_t GetDataSize() const;
    // Bytes of a DXT mip chain: levels halve down to 1 pixel, each level
    // ceil(w/4) * ceil(h/4) blocks of 8 (DXT1) or 16 bytes. mipMapCount 0 or 1
    // means one level; more levels than the chain has are not counted.
    // 0 for an unknown format or a size that is not positive.
    static uint64_t CompressedDataSize(int64_t width, int64_t height, int format, int mipMapCount);

    unsigned char* m_data;
    int m_width;
    int m_height;
    int m_bytesPerPixel;
    int m_colorType;
    char* m_fileName;
    int m_compressedFormat;
    int m_mipMapCount;
    bool m_force8Bit;

    static float m_progressAmount;

private:
    // Each reader with no arguments reads m_fileName; with bytes it decodes
    // memory. Only a successful decode changes the pixels and sizes.
    bool LoadBMP();
    bool LoadBMP(const unsigned char* bytes, size_t size);
    bool LoadTGA();
    bool LoadTGA(const unsigned char* bytes, size_t size);
    bool LoadPNG();
    bool LoadPNG(const unsigned char* bytes, size_t size);
    bool LoadDDS();
    bool LoadDDS(const unsigned char* bytes, size_t size);
    bool SaveTGA();
    bool SavePNG();
    void SetColorType();

    bool LoadByName(const unsigned char* bytes, size_t size);
    void Adopt(unsigned char* pixels, int width, int height, int bytesPerPixel, int compressedFormat, int mipMapCount);
};
