// The GL scene drawer, installed with SetSceneDrawer once a context exists.
#pragma once

#include "objects/scene_draw.h"

class GlSceneDrawer : public SceneDrawer {
public:
    void drawObjectMarker(const SceneObject& object) override;
    void drawMesh(const Mesh& mesh, float frame, bool applyMaterials, float fade) override;

    // Textures switched off globally (the terrain's untextured view).
    bool texturesEnabled = true;
};
