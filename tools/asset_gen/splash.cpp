// The splash picture: layered mountain ridges under an evening sky, with
// the program's name.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "canvas.h"

namespace {

Rgba mix(Rgba a, Rgba b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, 1.0f};
}

}  // namespace

bool WriteSplash(const std::string& path)
{
    const int width = 480;
    const int height = 270;
    Canvas canvas(width, height);
    const Rgba zenith{0.16f, 0.28f, 0.52f, 1};
    const Rgba horizon{0.96f, 0.80f, 0.58f, 1};
    const float sunX = 340.0f;
    const float sunY = 150.0f;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgba sky = mix(zenith, horizon, std::pow(static_cast<float>(y) / 170.0f, 1.4f));
            float dx = static_cast<float>(x) - sunX;
            float dy = static_cast<float>(y) - sunY;
            float glow = std::exp(-(dx * dx + dy * dy) / (2.0f * 40.0f * 40.0f));
            canvas.at(x, y) = mix(sky, Rgba{1.0f, 0.95f, 0.80f, 1}, glow * 0.8f);
        }
    }
    canvas.fillCircle(sunX, sunY, 14.0f, Rgba{1.0f, 0.97f, 0.88f, 1});

    // Far ridges first; nearer ones are darker, greener and rougher.
    struct Ridge {
        float base, amplitude, frequency;
        Rgba colour;
    };
    const Ridge ridges[] = {
        {150, 70, 0.006f, {0.55f, 0.60f, 0.72f, 1}},
        {175, 60, 0.009f, {0.40f, 0.48f, 0.58f, 1}},
        {205, 55, 0.012f, {0.25f, 0.36f, 0.34f, 1}},
        {240, 45, 0.016f, {0.16f, 0.25f, 0.18f, 1}},
    };
    for (int layer = 0; layer < 4; ++layer) {
        const Ridge& ridge = ridges[layer];
        uint32_t seed = 71u + static_cast<uint32_t>(layer) * 977u;
        for (int x = 0; x < width; ++x) {
            // Ridged noise: sharp crests, rounded valleys.
            auto ridgeAt = [&](float px) {
                float n = FractalNoise(px * ridge.frequency, static_cast<float>(layer) * 3.7f, 5, seed);
                float crest = 1.0f - std::fabs(2.0f * n - 1.0f);
                return ridge.base - ridge.amplitude * crest * crest * 1.3f;
            };
            float top = ridgeAt(static_cast<float>(x));
            // Slopes facing the sun (to the right) catch its light near the crest.
            float slope = (ridgeAt(static_cast<float>(x) + 3.0f) - ridgeAt(static_cast<float>(x) - 3.0f)) / 6.0f;
            float light = std::clamp(-slope * 1.5f, -0.5f, 1.0f);
            for (int y = static_cast<int>(std::floor(top)); y < height; ++y) {
                float coverage = std::clamp(static_cast<float>(y) + 1.0f - top, 0.0f, 1.0f);
                float fade = std::clamp(1.0f - (static_cast<float>(y) - top) / 25.0f, 0.0f, 1.0f);
                Rgba colour = light >= 0.0f ? mix(ridge.colour, Rgba{1.0f, 0.9f, 0.75f, 1}, light * 0.25f * fade)
                                            : mix(ridge.colour, Rgba{0, 0, 0, 1}, -light * 0.3f * fade);
                canvas.blend(x, y, colour, coverage);
            }
        }
    }

    const char* title = "GLEBORA";
    int titleX = (width - Canvas::textWidth(title, 7)) / 2;
    canvas.drawText(titleX + 3, 43, title, 7, Rgba{0, 0, 0, 0.45f});
    canvas.drawText(titleX, 40, title, 7, Rgba{1, 1, 1, 1});
    const char* subtitle = "TERRAIN EDITOR 1.05";
    canvas.drawText((width - Canvas::textWidth(subtitle, 2)) / 2, 100, subtitle, 2, Rgba{1, 1, 1, 0.9f});

    // A thin frame keeps the picture apart from the scene behind it.
    canvas.fillRect(0, 0, width, 2, Rgba{0.1f, 0.1f, 0.12f, 1});
    canvas.fillRect(0, height - 2, width, height, Rgba{0.1f, 0.1f, 0.12f, 1});
    canvas.fillRect(0, 0, 2, height, Rgba{0.1f, 0.1f, 0.12f, 1});
    canvas.fillRect(width - 2, 0, width, height, Rgba{0.1f, 0.1f, 0.12f, 1});
    return canvas.savePng(path.c_str(), 3);
}
