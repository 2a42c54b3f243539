#include "app/screen_capture.h"

#include <GL/gl.h>

#include <cstring>

#include "image/image.h"

bool CaptureBackBuffer(int width, int height, FramePixels& out)
{
    if (width <= 0 || height <= 0) return false;
    size_t row = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(row * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    if (glGetError() != GL_NO_ERROR) return false;
    out.width = width;
    out.height = height;
    out.rgb.resize(bottomUp.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&out.rgb[static_cast<size_t>(y) * row], &bottomUp[static_cast<size_t>(height - 1 - y) * row], row);
    return true;
}

bool WriteFramePng(const FramePixels& frame, const char* path)
{
    if (frame.rgb.empty() || !path) return false;
    auto* pixels = new unsigned char[frame.rgb.size()];
    std::memcpy(pixels, frame.rgb.data(), frame.rgb.size());
    Image image(pixels, frame.width, frame.height, 3, path);
    return image.Save();
}
