// GlTexture: a picture together with its GL texture.
//
// The pixels stay in memory after upload (painting with a texture reads
// them), so the same object serves the painters in the core and the
// drawing code. Uploading needs a GL context; a texture made before one
// exists waits for ResourceCache::UploadPendingTextures.
//
// Virtual operations after those of Image, in this order: drawCentred,
// drawSquare, isValid, bindOnUnit, bind, unbindOnUnit, unbind.
#pragma once

#include "image/image.h"

class GlTexture : public Image {
public:
    enum Flags {
        NoMipmaps = 2,      // linear filtering, one level
        ClampToEdge = 4,    // else repeat
    };

    GlTexture() = default;
    ~GlTexture() override;

    // A quad from (-width/2, -height/2) to (width/2, height/2) in the
    // current matrices, textured with this texture.
    virtual void drawCentred(float width, float height);
    virtual void drawSquare(float half);
    virtual bool isValid() const { return textureName != 0; }
    virtual void bindOnUnit(int unit);
    virtual void bind();
    virtual void unbindOnUnit(int unit);
    virtual void unbind();

    // Loads the picture, then makes its texture; false when either fails.
    bool loadFile(const char* path, int flags);
    // Makes (or remakes) the GL texture from the pixels held. Fails with a
    // message on a pixel layout GL cannot take, and on compressed pictures
    // without compression support.
    bool createTexture(int flags);
    // Deletes the GL texture (the pixels stay).
    void releaseTexture();

    unsigned int textureName = 0;
    int createFlags = 0;  // the flags of the last createTexture
};

// How mipmapped textures are filtered.
struct TextureFiltering {
    bool trilinear = true;
    bool anisotropic = false;
    float anisotropyLevel = 4.0f;  // capped by the driver's maximum
};
TextureFiltering& TextureFilteringSettings();
