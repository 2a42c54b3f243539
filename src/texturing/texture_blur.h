// BlurTexture: softens a texture on the GPU (the lightmap's display blur).
//
// Display code only: the definitions live in texture_blur_gl.cpp, which
// builds into the display library. Core code reaches the blur through
// TextureUploader::blurTexture, which the GL uploader forwards here.
//
// Two passes (or more) of four taps each, drawn by a small ARB fragment
// program into two render targets that the application owns; the result is
// copied back into the texture. Without fragment programs or without
// usable render targets nothing happens and the texture stays sharp.
#pragma once

class RenderTarget;

// A sub-rectangle of a texture in texels, {left, top, right, bottom}, right
// and bottom exclusive, with y counted downward from GL's last texel row (as
// in a window): the texels copied back are GL columns left..right-1 and GL
// rows height-bottom..height-top-1.
struct BlurRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The two render targets the blur draws into (owned by the application,
// created at start-up, destroyed at shutdown; nullptr to forget them).
// They are recreated at a texture's size when it differs from theirs.
void SetBlurTargets(RenderTarget* first, RenderTarget* second);

// Blurs texture (width x height texels) in place: pass p samples its source
// at four offsets of radius texels (scaled by p + 0.5 from the second pass
// on) and averages them. subRect limits the copy back into the texture;
// nullptr copies all of it.
void BlurTexture(unsigned int texture, int width, int height, const BlurRect* subRect, int passes, float radius);

// Deletes the blur program (made on first use); call while the context is
// still current, before it is destroyed.
void ReleaseBlurProgram();
