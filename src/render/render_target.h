// RenderTarget: an off-screen picture that can be drawn into and then
// used as a texture: a framebuffer object with a colour texture and a
// depth buffer. Inert (every call does nothing, results false) when the
// driver has no render targets or Create was not called.
//
// MakeCurrent and Restore come in pairs and do not nest: each target
// remembers one previous binding and viewport.
#pragma once

class RenderTarget {
public:
    RenderTarget() = default;
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Replaces any earlier target; false when no render targets exist or
    // the driver refuses the size.
    bool Create(int width, int height, bool mipmapped);
    void Destroy();
    bool isValid() const { return m_framebuffer != 0; }

    // Draws into the target from now on, with a viewport of its size.
    bool MakeCurrent();
    // Back to the binding and viewport that were current before.
    void Restore();
    // Binds the target's picture as a texture on the current unit (its
    // mipmaps rebuilt first when it has them).
    bool BindAsTexture();
    bool ReleaseTexture();

    int width() const { return m_width; }
    int height() const { return m_height; }
    unsigned int texture() const { return m_texture; }

private:
    unsigned int m_framebuffer = 0;
    unsigned int m_depthBuffer = 0;
    unsigned int m_texture = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_mipmapped = false;
    bool m_current = false;
    int m_savedFramebuffer = 0;
    int m_savedViewport[4] = {0, 0, 0, 0};
};
