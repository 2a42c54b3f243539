#include "texturing/texture_blur.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "render/arb_program.h"
#include "render/gl_caps.h"
#include "render/gl_entry_points.h"
#include "render/render_target.h"

namespace {

// Four taps of texture unit 0 at the coordinates of units 0..3, each
// weighted by local parameter 0.
constexpr const char* kBlurProgram =
    "!!ARBfp1.0 \nTEMP t0,t1,t2,t3,color;\nATTRIB texcoord0 = fragment.texcoord[0];\nATTRIB texcoord1 = "
    "fragment.texcoord[1];\nATTRIB texcoord2 = fragment.texcoord[2];\nATTRIB texcoord3 = "
    "fragment.texcoord[3];\nOUTPUT out = result.color;\nPARAM c0 = program.local[0];\nTEX t0,\ttexcoord0, "
    "texture[0], 2D;\nTEX t1,\ttexcoord1, texture[0], 2D;\nTEX t2,\ttexcoord2, texture[0], 2D;\nTEX t3,\ttexcoord3, "
    "texture[0], 2D;\nMUL color, c0, t0; \nMAD color, c0, t1, color; \nMAD color, c0, t2, color; \nMAD out, c0, t3, "
    "color; \nEND\n";

RenderTarget* g_targets[2] = {nullptr, nullptr};
ArbProgram* g_program = nullptr;
bool g_programFailed = false;

// The program, made on first use; nullptr when the driver refuses it.
ArbProgram* Program()
{
    if (g_program) return g_program;
    if (g_programFailed) return nullptr;
    auto* program = new ArbProgram;
    if (!program->LoadFragment(kBlurProgram)) {
        delete program;
        g_programFailed = true;
        return nullptr;
    }
    g_program = program;
    return g_program;
}

void SelectUnit(int unit)
{
    glext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
}

bool TargetsFit(int width, int height)
{
    RenderTarget* first = g_targets[0];
    RenderTarget* second = g_targets[1];
    if (!first || !second) return false;
    auto fits = [&](const RenderTarget* target) {
        return target->isValid() && target->width() == width && target->height() == height;
    };
    if (fits(first) && fits(second)) return true;
    // Both are made anew at the texture's size.
    const bool made = first->Create(width, height, false);
    return second->Create(width, height, false) && made;
}

} // namespace

void SetBlurTargets(RenderTarget* first, RenderTarget* second)
{
    g_targets[0] = first;
    g_targets[1] = second;
}

void ReleaseBlurProgram()
{
    delete g_program;
    g_program = nullptr;
    g_programFailed = false;
}

void BlurTexture(unsigned int texture, int width, int height, const BlurRect* subRect, int passes, float radius)
{
    if (!texture || width <= 0 || height <= 0 || passes <= 0 || !std::isfinite(radius)) return;
    const GlCaps& caps = Caps();
    // Four taps need four texture-coordinate sets.
    if (!caps.programs || !caps.multitexture || caps.maxTextureUnits < 4) return;
    ArbProgram* program = Program();
    if (!program) return;
    // Without render targets there is nothing to draw into and read from:
    // the texture stays sharp.
    if (!TargetsFit(width, height)) return;

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    // Units 0..3 sample left, up, down and right of the texel.
    const float offsets[4][2] = {{-radius, 0.0f}, {0.0f, -radius}, {0.0f, radius}, {radius, 0.0f}};
    RenderTarget* current = g_targets[0];
    current->MakeCurrent();
    for (int pass = 0; pass < passes; ++pass) {
        RenderTarget* source = nullptr;
        if (pass > 0) {
            source = current;
            current->Restore();
            current = g_targets[pass % 2];
            current->MakeCurrent();
        }
        const float k = (pass == 0 ? 1.0f : static_cast<float>(pass) + 0.5f) / static_cast<float>(width);
        for (int unit = 0; unit < 4; ++unit) {
            SelectUnit(unit);
            const GLfloat planeS[4] = {1.0f, 0.0f, 0.0f, k * offsets[unit][0]};
            const GLfloat planeT[4] = {0.0f, 1.0f, 0.0f, k * offsets[unit][1]};
            glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
            glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
            glTexGenfv(GL_S, GL_OBJECT_PLANE, planeS);
            glTexGenfv(GL_T, GL_OBJECT_PLANE, planeT);
            glEnable(GL_TEXTURE_GEN_S);
            glEnable(GL_TEXTURE_GEN_T);
        }
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glViewport(0, 0, current->width(), current->height());
        program->Bind();
        glext::glProgramLocalParameter4fARB(GL_FRAGMENT_PROGRAM_ARB, 0, 0.25f, 0.25f, 0.25f, 0.25f);

        SelectUnit(0);
        if (source) {
            source->BindAsTexture();
        } else {
            glBindTexture(GL_TEXTURE_2D, texture);
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBegin(GL_QUADS);
        glVertex2f(1.0f, 1.0f);
        glVertex2f(0.0f, 1.0f);
        glVertex2f(0.0f, 0.0f);
        glVertex2f(1.0f, 0.0f);
        glEnd();
        if (source) source->ReleaseTexture();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }

    // The last pass's picture back into the texture.
    SelectUnit(0);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (subRect) {
        const int left = std::clamp(subRect->left, 0, width);
        const int right = std::clamp(subRect->right, left, width);
        const int top = std::clamp(subRect->top, 0, height);
        const int bottom = std::clamp(subRect->bottom, top, height);
        if (right > left && bottom > top)
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, left, height - bottom, left, height - bottom, right - left,
                                bottom - top);
    } else {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    }

    // Back to the window: its framebuffer and viewport, no program, no
    // textures or coordinate generation on the four units.
    current->Restore();
    program->Unbind();
    for (int unit = 3; unit >= 0; --unit) {
        SelectUnit(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
    }
    glPopAttrib();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
}
