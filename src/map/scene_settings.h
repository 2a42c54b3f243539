// The environment values a map stores besides its terrain: light, fog and
// background (owned by the GL application), water (owned by the water
// object) and the sky box faces (owned by the sky). They are plain data so
// the map document can register, reset, read and write them without a
// display; the drawing code reads them every frame.
#pragma once

#include "map/material.h"

struct LightAndFog {
    LightAndFog() { resetDefaults(); }
    void resetDefaults();

    float lightDirection[3];
    bool fogEnabled;
    float fogColour[4];
    float fogStart;
    float fogEnd;
    float ambient[4];
    float diffuse[4];
    Material background;
};

struct WaterSettings {
    WaterSettings() { resetDefaults(); }
    void resetDefaults();

    bool enabled;
    float height;
    float scale;
    float opacity;
    float distortion;
    float refraction;
    float speed;
    float colour[4];
};

struct SkySettings {
    // Storage order of the faces, which is also the order of their keys.
    enum Face { Back, Down, Front, Left, Right, Up, FaceCount };
    static constexpr const char* kFaceKeys[FaceCount] = {"SkyBoxBack",  "SkyBoxDown",  "SkyBoxFront",
                                                         "SkyBoxLeft", "SkyBoxRight", "SkyBoxUp"};
    void resetDefaults();

    Material faces[FaceCount];
};
