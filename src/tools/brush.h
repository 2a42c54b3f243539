// BrushSettings: one brush's parameters, and the falloff every brush uses.
//
// The terraform tools read radius, strength and softness; the painters
// also read the noise, scale, height band and slope band fields. The field
// order is fixed (the tool panels and the settings file walk it).
#pragma once

#include "shared/string.h"

#include <cmath>

struct BrushSettings {
    String name = "unknown"; // tool name ("raise" ...), "Detail%d" or "Color%d"
    float radius = 20.0f;    // grid cells
    float strength = 0.5f;   // 0..1
    float softness = 1.0f;   // 0..1, shape of the falloff
    float noise = 0.0f;      // paint only
    float scale = 1.0f;      // paint only: detail tiling or paint texture repeat
    bool heightEnabled = false;
    float height = 50.0f;      // centre of the height band
    float heightRange = 10.0f; // half-width of the height band
    bool slopeEnabled = false;
    float slopeAngle = 45.0f; // not read by the painters
    float slopeWidth = 15.0f;
    float band1Min = -1.0f;
    float band1Max = -1.0f;
    float band2Min = -1.0f;
    float band2Max = -1.0f;
    bool slopeButtons[4] = {false, false, false, false};
};

// Weight of a cell at distance d <= r from the brush centre: 1 everywhere
// on the disc with softness 0; from 1 at the centre to 0 at the rim with
// softness 1. The constant is pi/2 as the stored brushes were made with it.
inline float BrushWeight(float d, float r, float softness)
{
    return std::sin((1.0f - softness * d / r) * 1.5707964f);
}
