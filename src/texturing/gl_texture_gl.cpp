#include "texturing/gl_texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "render/gl_caps.h"
#include "render/gl_entry_points.h"
#include "shared/message_box.h"

TextureFiltering& TextureFilteringSettings()
{
    static TextureFiltering settings;
    return settings;
}

GlTexture::~GlTexture() { releaseTexture(); }

void GlTexture::releaseTexture()
{
    if (textureName) {
        GLuint name = textureName;
        glDeleteTextures(1, &name);
        textureName = 0;
    }
}

bool GlTexture::loadFile(const char* path, int flags)
{
    if (!Load(path)) return false;
    return createTexture(flags);
}

bool GlTexture::createTexture(int flags)
{
    createFlags = flags;
    releaseTexture();
    if (!m_data) return false;
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name) return false;
    textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);

    GLenum format = 0;
    switch (m_bytesPerPixel) {
    case 1: format = GL_ALPHA; break;
    case 3: format = GL_RGB; break;
    case 4: format = GL_RGBA; break;
    default: break;
    }
    if (format == 0) {
        ShowErrorBox("Pixel Format of %i in %s is incorrect", m_bytesPerPixel, m_fileName ? m_fileName : "");
        releaseTexture();
        return false;
    }
    GLint wrap = (flags & ClampToEdge) ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    if (m_compressedFormat != 0) {
        const GlCaps& caps = Caps();
        if (!caps.compression || !caps.s3tc) {
            releaseTexture();
            return false;
        }
        int blockBytes = m_compressedFormat == kFormatDxt1 ? 8 : 16;
        int levels = std::max(m_mipMapCount, 1);
        size_t available = GetDataSize();
        size_t offset = 0;
        int w = m_width;
        int h = m_height;
        int uploaded = 0;
        for (int level = 0; level < levels; ++level) {
            size_t size = static_cast<size_t>((w + 3) / 4) * static_cast<size_t>((h + 3) / 4) *
                          static_cast<size_t>(blockBytes);
            if (offset + size > available) break;
            glext::glCompressedTexImage2DARB(GL_TEXTURE_2D, level, static_cast<GLenum>(m_compressedFormat), w, h, 0,
                                             static_cast<GLsizei>(size), m_data + offset);
            offset += size;
            ++uploaded;
            if (w == 1 && h == 1) break;
            w = std::max(w / 2, 1);
            h = std::max(h / 2, 1);
        }
        if (uploaded == 0 || glGetError() != GL_NO_ERROR) {
            releaseTexture();
            return false;
        }
        // A chain that stops early is still complete: sampling uses the
        // levels that exist, and one level needs no mipmap filter at all.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, uploaded - 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, uploaded > 1 ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR);
        return true;
    }

    if (flags & NoMipmaps) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), m_width, m_height, 0, format, GL_UNSIGNED_BYTE,
                     m_data);
        return true;
    }
    const TextureFiltering& filtering = TextureFilteringSettings();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    filtering.trilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST);
    if (filtering.anisotropic && Caps().maxAnisotropy > 1.0f)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                        std::min(filtering.anisotropyLevel, Caps().maxAnisotropy));
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), m_width, m_height, format, GL_UNSIGNED_BYTE, m_data);
    return true;
}

void GlTexture::drawCentred(float width, float height)
{
    bind();
    float w = width * 0.5f;
    float h = height * 0.5f;
    glBegin(GL_QUADS);
    glTexCoord2f(1, 0);
    glVertex2f(w, h);
    glTexCoord2f(0, 0);
    glVertex2f(-w, h);
    glTexCoord2f(0, 1);
    glVertex2f(-w, -h);
    glTexCoord2f(1, 1);
    glVertex2f(w, -h);
    glEnd();
}

void GlTexture::drawSquare(float half) { drawCentred(half * 2.0f, half * 2.0f); }

void GlTexture::bindOnUnit(int unit)
{
    glext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
    bind();
}

void GlTexture::bind() { glBindTexture(GL_TEXTURE_2D, textureName); }

void GlTexture::unbindOnUnit(int unit)
{
    glext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
    unbind();
}

void GlTexture::unbind() { glBindTexture(GL_TEXTURE_2D, 0); }
