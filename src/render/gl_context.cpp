#include "render/gl_context.h"

#include <SDL.h>

namespace {

struct PixelFormat {
    int samples;
    int depth;
    int stencil;
};

void requestFormat(const PixelFormat& format)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.samples > 0 ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencil);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples);
}

}  // namespace

bool CreateContext(const char* title, int x, int y, int width, int height, Uint32 flags, GlWindow& out)
{
    static const PixelFormat kFormats[] = {{4, 24, 8}, {2, 24, 8}, {1, 24, 8}, {0, 24, 8}, {0, 16, 0}};
    for (const PixelFormat& format : kFormats) {
        requestFormat(format);
        SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_OPENGL);
        if (!window) continue;
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (!context) {
            SDL_DestroyWindow(window);
            continue;
        }
        if (SDL_GL_MakeCurrent(window, context) != 0) {
            SDL_GL_DeleteContext(context);
            SDL_DestroyWindow(window);
            continue;
        }
        int sampleBuffers = 0;
        int samples = 0;
        SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &sampleBuffers);
        SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
        out.window = window;
        out.context = context;
        out.samples = sampleBuffers > 0 ? samples : 0;
        return true;
    }
    return false;
}

void DestroyContext(GlWindow& window)
{
    if (window.context) {
        SDL_GL_MakeCurrent(window.window, nullptr);
        SDL_GL_DeleteContext(window.context);
        window.context = nullptr;
    }
    if (window.window) {
        SDL_DestroyWindow(window.window);
        window.window = nullptr;
    }
}
