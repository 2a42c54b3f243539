#include "texturing/gl_texture_uploader.h"

#include <GL/gl.h>

#include "texturing/texture_blur.h"

namespace {

GLenum FormatOf(int bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1:
        return GL_ALPHA;
    case 3:
        return GL_RGB;
    case 4:
        return GL_RGBA;
    default:
        return 0;
    }
}

} // namespace

TextureName GlTextureUploader::createTexture()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    return name;
}

void GlTextureUploader::deleteTexture(TextureName name)
{
    if (!name) return;
    GLuint texture = name;
    glDeleteTextures(1, &texture);
}

void GlTextureUploader::uploadTile(TextureName name, const uint8_t* pixels, int size, int bytesPerPixel)
{
    const GLenum format = FormatOf(bytesPerPixel);
    if (!name || !pixels || size <= 0 || !format) return;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), size, size, 0, format, GL_UNSIGNED_BYTE, pixels);
}

void GlTextureUploader::bindTexture(TextureName name)
{
    glBindTexture(GL_TEXTURE_2D, name);
}

bool GlTextureUploader::readBack(TextureName name, int size, int bytesPerPixel, uint8_t* destination)
{
    const GLenum format = FormatOf(bytesPerPixel);
    if (!name || !destination || size <= 0 || !format || !glIsTexture(name)) return false;
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    // A texture of another size would overrun the destination.
    if (width != size || height != size) return false;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, destination);
    return glGetError() == GL_NO_ERROR;
}

void GlTextureUploader::blurTexture(TextureName name, int size, float radius)
{
    if (name) BlurTexture(name, size, size, nullptr, 2, radius);
}

namespace {
GlTextureUploader g_glUploader;
}

void InstallGlTextureUploader(RenderTarget* blurFirst, RenderTarget* blurSecond)
{
    SetBlurTargets(blurFirst, blurSecond);
    SetTextureUploader(&g_glUploader);
}

void RemoveGlTextureUploader()
{
    if (&GetTextureUploader() == &g_glUploader) SetTextureUploader(nullptr);
    SetBlurTargets(nullptr, nullptr);
    ReleaseBlurProgram();
}
