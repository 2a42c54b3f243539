#include "map/material.h"

namespace {
MaterialTextureLoader g_loader = nullptr;
}

void SetMaterialTextureLoader(MaterialTextureLoader loader) { g_loader = loader; }

GlTexture* LoadMaterialTexture(const char* name) { return g_loader ? g_loader(name) : nullptr; }
