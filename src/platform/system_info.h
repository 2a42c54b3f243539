// Small services of the desktop: the performance counter and the screens.
#pragma once

#include <cstdint>
#include <vector>

uint64_t ReadPerformanceCounter();
uint64_t PerformanceFrequency();

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Bounds of every connected display; empty when the video system is not up.
std::vector<ScreenRect> ScreenBounds();
// Size of the primary display's desktop mode; false when unknown.
bool DesktopSize(int& width, int& height);

// Opens a folder in the file browser or a web page in the browser.
bool OpenFolderInBrowser(const char* folder);
bool OpenWebPage(const char* url);
