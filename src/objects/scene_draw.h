// The drawing side of scene objects. Objects live in the headless core;
// the GL layer installs a drawer that puts them on screen. Without one
// (tests, batch runs) drawing does nothing.
#pragma once

class SceneObject;
class Mesh;

class SceneDrawer {
public:
    virtual ~SceneDrawer() = default;
    // The base object's look: a wire sphere of its radius and an axis marker.
    virtual void drawObjectMarker(const SceneObject& object) = 0;
    // A mesh at a (fractional) frame; fade scales the parts' alpha.
    virtual void drawMesh(const Mesh& mesh, float frame, bool applyMaterials, float fade) = 0;
};

void SetSceneDrawer(SceneDrawer* drawer);
SceneDrawer* GetSceneDrawer();
