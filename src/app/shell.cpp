#include "app/shell.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "app/editor_app.h"
#include "platform/main_window.h"
#include "render/resource_cache.h"
#include "shared/program_folder.h"

namespace {
EditorApp* g_app = nullptr;
bool g_shutdownDone = false;
}  // namespace

ShellState& Shell()
{
    static ShellState state;
    return state;
}

EditorApp* CurrentApp() { return g_app; }

void SetCurrentApp(EditorApp* app)
{
    g_app = app;
    if (app) g_shutdownDone = false;
}

bool WindowRectUsable(const int rect[4], const std::vector<ScreenRect>& screens)
{
    int left = rect[0];
    int top = rect[1];
    // Computed in 64 bits: the values come straight from a file.
    long long width = static_cast<long long>(rect[2]) - left;
    long long height = static_cast<long long>(rect[3]) - top;
    if (left < 0 || top < 0 || rect[2] <= 0 || rect[3] <= 0) return false;
    if (width <= 0 || height <= 0 || width > kMaxWindowSide || height > kMaxWindowSide) return false;
    if (screens.empty()) return true;
    // Enough of the window must show to grab it: 16 x 16 pixels of it on
    // one screen.
    const long long kGrip = 16;
    for (const ScreenRect& screen : screens) {
        long long x0 = std::max<long long>(left, screen.x);
        long long y0 = std::max<long long>(top, screen.y);
        long long x1 = std::min<long long>(left + width, static_cast<long long>(screen.x) + screen.width);
        long long y1 = std::min<long long>(top + height, static_cast<long long>(screen.y) + screen.height);
        if (x1 - x0 >= std::min(kGrip, width) && y1 - y0 >= std::min(kGrip, height)) return true;
    }
    return false;
}

void WindowRectFromGeometry(int x, int y, int width, int height, int rect[4])
{
    x = std::max(x, 0);
    y = std::max(y, 0);
    rect[0] = x;
    rect[1] = y;
    rect[2] = x + std::max(width, 0);
    rect[3] = y + std::max(height, 0);
}

bool OpensMaximized(int viewWidth, int viewHeight, int desktopWidth, int desktopHeight)
{
    return viewWidth >= desktopWidth && viewHeight + 74 >= desktopHeight;
}

String MapPathForSettings(const char* mapFolder, const char* mapFileName, const char* programFolder)
{
    String path(mapFolder);
    path += mapFileName ? mapFileName : "";
    size_t prefix = programFolder ? std::strlen(programFolder) : 0;
    // Only a leading program folder is taken off: the same text in the
    // middle of a path elsewhere is part of that path.
    if (prefix == 0 || std::strncmp(path.c_str(), programFolder, prefix) != 0) return path;
    const char* rest = path.c_str() + prefix;
    if (*rest == '\\' || *rest == '/') {
        ++rest;
        while (*rest && std::isspace(static_cast<unsigned char>(*rest))) ++rest;
    }
    return String(rest);
}

void Shutdown()
{
    Shell().fullscreen = false;
    // The application (its settings saved on the way) and every GL object
    // go while the context is still current: GL names can only be deleted
    // in their context.
    DestroyResourceCache();
    if (EditorApp* app = g_app) {
        g_app = nullptr;
        delete app;
    }
    if (MainWindow* window = GetMainWindow()) window->destroy();
    ChangeToProgramFolder();
    g_shutdownDone = true;
}

bool ShutdownDone() { return g_shutdownDone; }
