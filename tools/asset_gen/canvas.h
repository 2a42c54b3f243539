// Canvas: an RGBA picture the asset generator paints into, and its noise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

class Canvas {
public:
    Canvas(int width, int height, Rgba fill = {});

    int width() const { return m_width; }
    int height() const { return m_height; }
    Rgba& at(int x, int y) { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    const Rgba& at(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }

    // Source-over blending of colour with coverage in [0, 1]; outside the
    // canvas nothing happens.
    void blend(int x, int y, Rgba colour, float coverage = 1.0f);
    void fillRect(int x0, int y0, int x1, int y1, Rgba colour);
    // A rectangle with rounded corners (anti-aliased edges).
    void fillRoundRect(float x0, float y0, float x1, float y1, float radius, Rgba colour);
    void fillCircle(float cx, float cy, float radius, Rgba colour);
    // Text in the 5 x 7 font, each font pixel scale x scale pixels.
    void drawText(int x, int y, const char* text, int scale, Rgba colour);
    static int textWidth(const char* text, int scale);

    // 8-bit pixels, 4 bytes (RGBA) or 3 (RGB) each, rows top to bottom.
    std::vector<unsigned char> bytes(int bytesPerPixel) const;
    // Writes a PNG through the program's Image class; false on failure.
    bool savePng(const char* path, int bytesPerPixel) const;

private:
    int m_width;
    int m_height;
    std::vector<Rgba> m_pixels;
};

// Smooth value noise in [0, 1] and its fractal sum, deterministic.
float ValueNoise(float x, float y, uint32_t seed);
float FractalNoise(float x, float y, int octaves, uint32_t seed);
