// Material: a colour with an optional texture (value kind 9 of the
// property table). The texture belongs to the resource cache; a material
// only points at it.
#pragma once

#include "shared/string.h"

class GlTexture;

struct Material {
    Material() = default;
    Material(float r, float g, float b, float a) : colour{r, g, b, a} {}

    int hasTexture = 0;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GlTexture* texture = nullptr;  // not owned
    String textureName;            // exactly as written in the file
};

// Loads the texture named in a material line. Installed by the resource
// cache (and while a map is open, by the map document); until then
// materials keep their names and get no texture.
using MaterialTextureLoader = GlTexture* (*)(const char* name);
void SetMaterialTextureLoader(MaterialTextureLoader loader);
GlTexture* LoadMaterialTexture(const char* name);
