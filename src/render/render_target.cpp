#include "render/render_target.h"

#include "render/gl_caps.h"
#include "render/gl_entry_points.h"

RenderTarget::~RenderTarget() { Destroy(); }

bool RenderTarget::Create(int width, int height, bool mipmapped)
{
    Destroy();
    if (!Caps().pbuffers || width <= 0 || height <= 0 || width > Caps().maxTextureSize ||
        height > Caps().maxTextureSize)
        return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    GLint previousFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);

    glGenTextures(1, &m_texture);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (mipmapped) glext::glGenerateMipmap(GL_TEXTURE_2D);

    glext::glGenRenderbuffers(1, &m_depthBuffer);
    glext::glBindRenderbuffer(GL_RENDERBUFFER, m_depthBuffer);
    glext::glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glext::glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glext::glGenFramebuffers(1, &m_framebuffer);
    glext::glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glext::glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_texture, 0);
    glext::glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depthBuffer);
    GLenum status = glext::glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glext::glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousTexture));

    m_width = width;
    m_height = height;
    m_mipmapped = mipmapped;
    if (status != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
        Destroy();
        return false;
    }
    return true;
}

void RenderTarget::Destroy()
{
    if (m_current) Restore();
    if (m_framebuffer) glext::glDeleteFramebuffers(1, &m_framebuffer);
    if (m_depthBuffer) glext::glDeleteRenderbuffers(1, &m_depthBuffer);
    if (m_texture) glDeleteTextures(1, &m_texture);
    m_framebuffer = 0;
    m_depthBuffer = 0;
    m_texture = 0;
    m_width = 0;
    m_height = 0;
}

bool RenderTarget::MakeCurrent()
{
    if (!m_framebuffer || m_current) return false;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &m_savedFramebuffer);
    glGetIntegerv(GL_VIEWPORT, m_savedViewport);
    glext::glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glViewport(0, 0, m_width, m_height);
    m_current = true;
    return true;
}

void RenderTarget::Restore()
{
    if (!m_current) return;
    glext::glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(m_savedFramebuffer));
    glViewport(m_savedViewport[0], m_savedViewport[1], m_savedViewport[2], m_savedViewport[3]);
    m_current = false;
}

bool RenderTarget::BindAsTexture()
{
    if (!m_framebuffer) return false;
    glBindTexture(GL_TEXTURE_2D, m_texture);
    if (m_mipmapped) glext::glGenerateMipmap(GL_TEXTURE_2D);
    return true;
}

bool RenderTarget::ReleaseTexture()
{
    if (!m_framebuffer) return false;
    glBindTexture(GL_TEXTURE_2D, 0);
    return true;
}
