#include "map/scene_settings.h"

namespace {

void setColour(float* colour, float r, float g, float b, float a)
{
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
    colour[3] = a;
}

}  // namespace

void LightAndFog::resetDefaults()
{
    // The unit vector of (0, 10, 20).
    lightDirection[0] = 0.0f;
    lightDirection[1] = 0.4472136f;
    lightDirection[2] = 0.8944272f;
    fogEnabled = true;
    setColour(fogColour, 0.8f, 0.8f, 0.8f, 1.0f);
    fogStart = 50.0f;
    fogEnd = 4000.0f;
    setColour(ambient, 0.3f, 0.3f, 0.3f, 1.0f);
    setColour(diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    background = Material(0.8f, 0.8f, 0.8f, 1.0f);
}

void WaterSettings::resetDefaults()
{
    enabled = false;
    height = 20.0f;
    scale = 100.0f;
    opacity = 0.75f;
    distortion = 0.5f;
    refraction = 0.5f;
    speed = 2.0f;
    setColour(colour, 170.0f / 255.0f, 218.0f / 255.0f, 1.0f, 1.0f);
}

void SkySettings::resetDefaults()
{
    for (Material& face : faces) face = Material();
}
