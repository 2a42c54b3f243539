#include "objects/scene_draw.h"

namespace {
SceneDrawer* g_drawer = nullptr;
}

void SetSceneDrawer(SceneDrawer* drawer) { g_drawer = drawer; }

SceneDrawer* GetSceneDrawer() { return g_drawer; }
