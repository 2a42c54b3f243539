// Process-wide state of the shell: the main window's geometry and flags,
// the running application, and the shutdown sequence.
#pragma once

#include <vector>

#include "platform/system_info.h"
#include "shared/string.h"

class EditorApp;
class MainWindow;

struct ShellState {
    // Main window: position of its top-left corner and size of the 3D view.
    int windowX = 0;
    int windowY = 0;
    int viewWidth = 640;
    int viewHeight = 480;
    int desktopWidth = 800;  // until the display has been asked
    int desktopHeight = 600;
    bool fullscreen = false;
    bool wireframe = false;
    bool maximized = false;
    bool keyControlsShown = false;
};

ShellState& Shell();

// The application object while it exists.
EditorApp* CurrentApp();
void SetCurrentApp(EditorApp* app);

// --- Window rectangle rules ------------------------------------------------
// Glebora.ini stores the window as {left, top, right, bottom} = position
// and position + view size, and reads it back as exactly that, so a window
// keeps its size from run to run.

constexpr int kMaxWindowSide = 16384;

// A stored rectangle is used only when it has a positive size no larger
// than kMaxWindowSide, a non-negative left and top, and (when the screens
// are known) overlaps some screen by at least a corner's worth of pixels.
bool WindowRectUsable(const int rect[4], const std::vector<ScreenRect>& screens);
// The rectangle written at exit for the given geometry; a negative left or
// top becomes 0.
void WindowRectFromGeometry(int x, int y, int width, int height, int rect[4]);
// A view at least as wide as the desktop and within 74 pixels of its
// height opens maximized.
bool OpensMaximized(int viewWidth, int viewHeight, int desktopWidth, int desktopHeight);

// The `map` setting for a map file: a map inside the program folder is
// stored relative to it, any other keeps its full path.
String MapPathForSettings(const char* mapFolder, const char* mapFileName, const char* programFolder);

// --- Shutdown --------------------------------------------------------------
// Releases the GL resources, saves the settings (by destroying the
// application), closes the window and returns to the program folder. Each
// step releases only what is still held, so running it twice is harmless.
void Shutdown();
// Whether the shutdown sequence has run (the loop then ends).
bool ShutdownDone();
