// NewMapParameters: what the new-map dialog hands to the map document,
// which passes it on to the heightfield and the texture layers.
#pragma once

#include "shared/string.h"

class Image;

struct NewMapParameters {
    String name = "untitled map";
    int size = 513;         // samples per side, 2^k + 1
    int divisions = 0;      // log2 of patches (and layer tiles) per side: 0, 1 or 2
    int colorMapSize = 512; // texture-layer sizes in pixels
    int detailMapSize = 512;
    int lightMapSize = 512;
    int detailCount = 4; // 4 or 8 detail textures
    bool colorLightmap = false;
    // Optional picture whose first channel becomes the heights; not owned.
    const Image* source = nullptr;
};
