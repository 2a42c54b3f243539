// GlTextureUploader: the texture layers' uploads done with OpenGL.
//
// Install it (SetTextureUploader) once a GL context is current and remove
// it before the context goes. Tiles become single-level textures with
// linear filtering and clamped edges, so neighbouring tiles meet without a
// seam; the lightmap's blur goes to BlurTexture with two passes.
#pragma once

#include "texturing/texture_uploader.h"

class GlTextureUploader final : public TextureUploader {
public:
    TextureName createTexture() override;
    void deleteTexture(TextureName name) override;
    void uploadTile(TextureName name, const uint8_t* pixels, int size, int bytesPerPixel) override;
    void bindTexture(TextureName name) override;
    bool readBack(TextureName name, int size, int bytesPerPixel, uint8_t* destination) override;
    void blurTexture(TextureName name, int size, float radius) override;
};

class RenderTarget;

// Installs the one GL uploader, with the two render targets the lightmap's
// blur draws into (owned by the application). Call once the GL context is
// current.
void InstallGlTextureUploader(RenderTarget* blurFirst, RenderTarget* blurSecond);
// Puts the null uploader back, forgets the targets and deletes the blur
// program; call while the context is still current.
void RemoveGlTextureUploader();
