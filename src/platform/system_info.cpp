#include "platform/system_info.h"

#include <SDL.h>

#include <string>

uint64_t ReadPerformanceCounter() { return SDL_GetPerformanceCounter(); }

uint64_t PerformanceFrequency() { return SDL_GetPerformanceFrequency(); }

std::vector<ScreenRect> ScreenBounds()
{
    std::vector<ScreenRect> screens;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return screens;
    int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0) screens.push_back({bounds.x, bounds.y, bounds.w, bounds.h});
    }
    return screens;
}

bool DesktopSize(int& width, int& height)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    width = mode.w;
    height = mode.h;
    return true;
}

bool OpenFolderInBrowser(const char* folder)
{
    std::string url = "file://";
    url += folder ? folder : "";
    return SDL_OpenURL(url.c_str()) == 0;
}

bool OpenWebPage(const char* url) { return url && SDL_OpenURL(url) == 0; }
