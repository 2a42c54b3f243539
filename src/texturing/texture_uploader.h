// TextureUploader: the one seam through which texture-layer code reaches
// the GPU.
//
// Layer pixels always live in memory (painting, undo and plug-ins work on
// them); the GPU only ever receives copies. Core code calls the uploader
// installed here and never includes a GL header. Until the display layer
// installs a real uploader (and in batch runs and unit tests), the null
// uploader is in place: it hands out no texture names, uploads nothing and
// reads nothing back, so every caller keeps working on the memory copy.
//
// Texture name 0 means "no texture" everywhere.
#pragma once

#include <cstdint>

using TextureName = unsigned int;

class TextureUploader {
public:
    virtual ~TextureUploader() = default;

    // A fresh texture name, or 0 when none can be made.
    virtual TextureName createTexture() = 0;
    // Deleting name 0 does nothing.
    virtual void deleteTexture(TextureName name) = 0;

    // One level of size x size pixels, rows top to bottom, no padding;
    // bytesPerPixel 1 is stored as alpha, 3 as RGB, 4 as RGBA. Linear
    // filtering, clamp to edge, no mipmaps, so neighbouring tiles that share
    // their border pixels meet without a seam.
    virtual void uploadTile(TextureName name, const uint8_t* pixels, int size, int bytesPerPixel) = 0;

    // Binds the texture to the current texture unit.
    virtual void bindTexture(TextureName name) = 0;

    // Copies the texture's pixels (format by bytesPerPixel as above) into
    // destination of size x size x bytesPerPixel bytes. False when nothing
    // was read (no context, no texture); destination is then untouched.
    virtual bool readBack(TextureName name, int size, int bytesPerPixel, uint8_t* destination) = 0;

    // Softens the texture on the GPU (lightmap display only; the memory
    // copy stays sharp). radius is in texels; does nothing without support.
    virtual void blurTexture(TextureName name, int size, float radius) = 0;
};

// Does nothing; the uploader in place whenever no other is installed.
class NullTextureUploader final : public TextureUploader {
public:
    TextureName createTexture() override { return 0; }
    void deleteTexture(TextureName) override {}
    void uploadTile(TextureName, const uint8_t*, int, int) override {}
    void bindTexture(TextureName) override {}
    bool readBack(TextureName, int, int, uint8_t*) override { return false; }
    void blurTexture(TextureName, int, float) override {}
};

// Installs the uploader used from now on; nullptr restores the null
// uploader. The caller keeps ownership and uninstalls before destroying it.
void SetTextureUploader(TextureUploader* uploader);
TextureUploader& GetTextureUploader();
