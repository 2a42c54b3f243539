// Reading the drawn frame back: the window as it is about to be shown.
#pragma once

#include <vector>

struct FramePixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom
};

// Reads the back buffer of the current context (call before swapping).
bool CaptureBackBuffer(int width, int height, FramePixels& out);
// Writes the pixels as an RGB PNG; false when the file cannot be written.
bool WriteFramePng(const FramePixels& frame, const char* path);
