#include "app/splash.h"

#include <GL/gl.h>

#include "image/image.h"

SplashPicture::~SplashPicture()
{
    if (m_texture) glDeleteTextures(1, &m_texture);
}

bool SplashPicture::load()
{
    Image picture;
    if (!picture.Load(kFileName) || !picture.m_data || picture.m_compressedFormat != 0) return false;
    GLenum format = picture.m_bytesPerPixel == 4 ? GL_RGBA : picture.m_bytesPerPixel == 3 ? GL_RGB : 0;
    if (format == 0) return false;
    glGenTextures(1, &m_texture);
    if (!m_texture) return false;
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), picture.m_width, picture.m_height, 0, format,
                 GL_UNSIGNED_BYTE, picture.m_data);
    glBindTexture(GL_TEXTURE_2D, 0);
    m_width = picture.m_width;
    m_height = picture.m_height;
    return true;
}

void SplashPicture::draw(int viewWidth, int viewHeight) const
{
    if (!m_texture || viewWidth <= 0 || viewHeight <= 0) return;
    glPushAttrib(GL_ENABLE_BIT | GL_POLYGON_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewWidth, viewHeight, 0, -1, 1);  // y downward, like window coordinates
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glColor4f(1, 1, 1, 1);
    float x0 = static_cast<float>((viewWidth - m_width) / 2);
    float y0 = static_cast<float>((viewHeight - m_height) / 2);
    float x1 = x0 + static_cast<float>(m_width);
    float y1 = y0 + static_cast<float>(m_height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
