// LightSettings: the map's light, as the lightmap reads it.
//
// The values belong to the application (they are map keys `lightDirection`,
// `ambient` and `light`); the lightmap keeps a pointer to them and reads
// them whenever it computes texels, never caching them.
#pragma once

struct LightSettings {
    // Unit vector from the ground towards the light; y is up.
    float direction[3] = {0.0f, 0.4472136f, 0.8944272f};
    float ambient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    float light[4] = {0.8f, 0.8f, 0.8f, 1.0f};
};
