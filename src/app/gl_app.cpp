#include "app/gl_app.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/shell.h"
#include "camera/camera.h"
#include "platform/main_window.h"
#include "render/resource_cache.h"
#include "texturing/gl_texture.h"

GlApp::GlApp() : m_camera(std::make_unique<Camera>())
{
    CreateResourceCache();
    resetLighting();
}

GlApp::~GlApp() = default;

bool GlApp::init()
{
    reshape(Shell().viewWidth, Shell().viewHeight);
    return true;
}

void GlApp::setupGlState()
{
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glFrontFace(GL_CCW);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glClearColor(background.colour[0], background.colour[1], background.colour[2], 1.0f);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glDisable(GL_ALPHA_TEST);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glDepthMask(GL_TRUE);
    glClearStencil(0);
    glLineWidth(3.0f);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    const GLfloat fog[4] = {fogColour[0], fogColour[1], fogColour[2], 0.0f};
    glFogfv(GL_FOG_COLOR, fog);
    glFogf(GL_FOG_DENSITY, 0.594f);
    applyFogSwitch();
    fogEnd = m_camera->farDistance - 100.0f;
    applyFogRange();
}

void GlApp::applyFogRange()
{
    glFogf(GL_FOG_START, fogStart);
    glFogf(GL_FOG_END, fogEnd);
}

void GlApp::update() {}

void GlApp::render()
{
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    applyFogSwitch();
    applyFogRange();
    const GLfloat position[4] = {lightDirection[0], lightDirection[1], lightDirection[2], 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

void GlApp::resetLighting() { resetDefaults(); }

void GlApp::reshape(int width, int height)
{
    if (height <= 0) height = 1;
    if (width <= 0) width = 1;
    m_viewWidth = width;
    m_viewHeight = height;
    m_camera->viewWidth = width;
    m_camera->viewHeight = height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(m_camera->fieldOfView, static_cast<double>(width) / height, m_camera->nearDistance,
                   m_camera->farDistance);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    setupGlState();
}

void GlApp::applyFogSwitch()
{
    if (fogEnabled)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
}

void GlApp::setTitle(const char* text)
{
    title = text;
    if (MainWindow* window = GetMainWindow()) window->setTitle(title.c_str());
}

void GlApp::drawFullScreenTexture(int width, int height, bool flip)
{
    if (!fullScreenTexture || width <= 0 || height <= 0) return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    fullScreenTexture->bind();
    float top = flip ? 1.0f : 0.0f;
    float bottom = flip ? 0.0f : 1.0f;
    float w = static_cast<float>(width);
    float h = static_cast<float>(height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, bottom);
    glVertex2f(0, 0);
    glTexCoord2f(1, bottom);
    glVertex2f(w, 0);
    glTexCoord2f(1, top);
    glVertex2f(w, h);
    glTexCoord2f(0, top);
    glVertex2f(0, h);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

bool GlApp::canClose() { return true; }
