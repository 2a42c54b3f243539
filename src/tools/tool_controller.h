// ToolController: the active tool, the brush records and the tool windows.
//
// It is also the tool-window manager: constructing it registers, in the
// application's settings table, the tool-window positions, the terrain
// panel limits and switches, the camera options, every brush record's
// radius, strength and softness, and the 28 palette entries, in the order
// Glebora.ini stores them.
#pragma once

#include <functional>

#include "map/material.h"
#include "tools/brush.h"
#include "tools/undo_stack.h"
#include "shared/string.h"

class Camera;
class PropertyTable;

enum class ToolMode { Terrain = 0, Terraform = 1, PaintColor = 2, PaintDetail = 3, Lighting = 4, Water = 5 };

constexpr int kTerraformToolCount = 8;
constexpr int kDetailSlotCount = 8;
constexpr int kColourSlotCount = 6;
constexpr int kPaletteSize = 28;

// Lower-case tool names as used in settings keys and undo entries.
extern const char* const kTerraformToolNames[kTerraformToolCount];

// A tool window's position in client coordinates of the main window.
struct WindowPosition {
    int x = 0;
    int y = 0;
};

class ToolController {
public:
    // Registers every setting of the tool windows and brushes in settings;
    // the camera's options are registered with the camera's own fields.
    ToolController(PropertyTable& settings, Camera& camera);
    ToolController(const ToolController&) = delete;
    ToolController& operator=(const ToolController&) = delete;

    // Replaces values read from Glebora.ini that make no sense for their
    // setting (a radius of 0, a maximum below its minimum, NaN) by their
    // defaults, so nothing downstream divides by them.
    void sanitizeSettings();

    // The save-changes prompt: true when the program may drop the open map.
    bool canClose();
    // Saves the open map (bound by the map commands); clears mapModified on success.
    std::function<void()> saveMap;

    ToolMode mode = ToolMode::Terrain;
    bool mapModified = false;

    BrushSettings terraformBrushes[kTerraformToolCount];
    BrushSettings detailBrushes[kDetailSlotCount];
    BrushSettings colourBrushes[kColourSlotCount];
    Material palette[kPaletteSize];

    // Tool windows, in the order they are created.
    WindowPosition controlPosition;
    WindowPosition materialPosition;
    WindowPosition toolbarPosition;
    WindowPosition palettePosition;

    // Terrain panel.
    int lodSetting = 8;
    float maxTerrainHeight = 300.0f;
    float maxClippingPlane = 2000.0f;
    bool enableDetail = true;
    bool enableColorMap = true;
    bool enableLightMap = true;

    // Brush limits.
    float toolMaxRadius = 100.0f;
    float terraformStrengthMultiplier = 100.0f;

    // The edit history of the open map; the application points it at each
    // new or loaded map's heightfield, which empties it.
    UndoStack undoStack;

private:
    Camera& m_camera;
};
