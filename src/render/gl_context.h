// The main window's GL context.
//
// SDL fixes a window's pixel format when the window is created, so the
// window and its context are made together: a compatibility context with
// a 24-bit depth and 8-bit stencil buffer, multisampled with 4, then 2,
// then 1 samples when the driver offers such a format, else the plain
// double-buffered format.
#pragma once

#include <SDL_video.h>

struct GlWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    int samples = 0;  // samples per pixel of the chosen format, 0 without multisampling
};

// flags are added to SDL_WINDOW_OPENGL; false when no format works (the
// caller shows "Could not active GL").
bool CreateContext(const char* title, int x, int y, int width, int height, Uint32 flags, GlWindow& out);
void DestroyContext(GlWindow& window);
