// GlApp: the GL application base class.
//
// Light, fog, background, the camera, the window title and the per-frame
// hooks. The virtual operations keep a fixed order (the slots the shell
// calls): destructor, init, GL state set-up, fog range, update, render,
// reset lighting defaults, reshape, fog switch, set title, full-screen
// texture pass, canClose.
#pragma once

#include <memory>

#include "map/material.h"
#include "map/scene_settings.h"
#include "shared/string.h"

class Camera;
class GlTexture;

// The light, fog and background fields (LightAndFog) are the ones a map
// stores; the map document registers their addresses.
class GlApp : public LightAndFog {
public:
    GlApp();
    virtual ~GlApp();
    GlApp(const GlApp&) = delete;
    GlApp& operator=(const GlApp&) = delete;

    // Reshapes to the current view and sets the GL state; true.
    virtual bool init();
    virtual void setupGlState();
    virtual void applyFogRange();
    // Camera movement.
    virtual void update();
    // The state every frame ends with: lighting off, textures and blending
    // on, white, fog as configured, light 0 placed and coloured.
    virtual void render();
    virtual void resetLighting();
    // A height of 0 becomes 1; the projection follows the new size.
    virtual void reshape(int width, int height);
    virtual void applyFogSwitch();
    virtual void setTitle(const char* text);
    // Draws fullScreenTexture over the whole viewport, when set.
    virtual void drawFullScreenTexture(int width, int height, bool flip);
    virtual bool canClose();

    Camera& camera() { return *m_camera; }

    GlTexture* fullScreenTexture = nullptr;  // not owned
    String title;
    int triangleCount = 0;
    bool showStatistics = false;

protected:
    int viewWidth() const { return m_viewWidth; }
    int viewHeight() const { return m_viewHeight; }

private:
    std::unique_ptr<Camera> m_camera;
    int m_viewWidth = 640;
    int m_viewHeight = 480;
};
