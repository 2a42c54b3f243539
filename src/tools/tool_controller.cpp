#include "tools/tool_controller.h"

#include <cmath>
#include <cstdio>

#include "camera/camera.h"
#include "map/property_table.h"
#include "shared/message_box.h"

const char* const kTerraformToolNames[kTerraformToolCount] = {"raise", "lower", "level", "grab",
                                                              "smooth", "erode", "push", "ramp"};

namespace {

void registerBrush(PropertyTable& settings, const char* family, BrushSettings& brush)
{
    char key[64];
    std::snprintf(key, sizeof key, "%s_%s_radius", family, brush.name.c_str());
    settings.add(key, brush.radius);
    std::snprintf(key, sizeof key, "%s_%s_strength", family, brush.name.c_str());
    settings.add(key, brush.strength);
    std::snprintf(key, sizeof key, "%s_%s_softness", family, brush.name.c_str());
    settings.add(key, brush.softness);
}

bool finite(float value) { return std::isfinite(value); }

// Keeps value when it is finite and within [low, high], else the default.
void keepWithin(float& value, float low, float high, float fallback)
{
    if (!finite(value) || value < low || value > high) value = fallback;
}

}  // namespace

ToolController::ToolController(PropertyTable& settings, Camera& camera) : m_camera(camera)
{
    for (int i = 0; i < kTerraformToolCount; ++i) terraformBrushes[i].name = kTerraformToolNames[i];
    for (int i = 0; i < kDetailSlotCount; ++i) detailBrushes[i].name.format("Detail%d", i + 1);
    for (int i = 0; i < kColourSlotCount; ++i) colourBrushes[i].name.format("Color%d", i + 1);

    settings.registerEntry("toolbarPosition", PropertyKind::Int2, &toolbarPosition);
    settings.registerEntry("controlPosition", PropertyKind::Int2, &controlPosition);
    settings.registerEntry("materialPosition", PropertyKind::Int2, &materialPosition);
    settings.registerEntry("palettePosition", PropertyKind::Int2, &palettePosition);
    settings.add("LOD", lodSetting);
    settings.add("maxTerrainHeight", maxTerrainHeight);
    settings.add("maxClippingPlane", maxClippingPlane);
    settings.add("toolMaxRadius", toolMaxRadius);
    settings.add("terraformStrengthMultiplier", terraformStrengthMultiplier);
    settings.add("enableDetail", enableDetail);
    settings.add("enableColorMap", enableColorMap);
    settings.add("enableLightMap", enableLightMap);
    settings.add("wasdControls", m_camera.wasdMode);
    settings.add("cameraSpeed", m_camera.speedFactor);
    settings.add("reverseMouse", m_camera.reverseMouse);

    for (BrushSettings& brush : terraformBrushes) registerBrush(settings, "terraform", brush);
    for (BrushSettings& brush : detailBrushes) registerBrush(settings, "detail", brush);
    for (BrushSettings& brush : colourBrushes) registerBrush(settings, "color", brush);

    for (int i = 0; i < kPaletteSize; ++i) {
        char key[32];
        std::snprintf(key, sizeof key, "palleteItem%d", i);
        settings.registerEntry(key, PropertyKind::MaterialKind, &palette[i]);
    }
}

void ToolController::sanitizeSettings()
{
    const BrushSettings defaults;
    if (lodSetting < 4 || lodSetting > 40) lodSetting = 8;
    // The sliders run from 1 (height, radius) or 0 (clipping) up to these.
    keepWithin(maxTerrainHeight, 1.0f, 1e7f, 300.0f);
    keepWithin(maxClippingPlane, 1.0f, 1e7f, 2000.0f);
    keepWithin(toolMaxRadius, 1.0f, 1e5f, 100.0f);
    keepWithin(terraformStrengthMultiplier, 1e-6f, 1e7f, 100.0f);
    keepWithin(m_camera.speedFactor, 1e-3f, 1e3f, 1.0f);

    auto sanitizeBrushes = [&](BrushSettings* brushes, int count) {
        for (int i = 0; i < count; ++i) {
            BrushSettings& brush = brushes[i];
            if (!finite(brush.radius) || brush.radius <= 0.0f) brush.radius = defaults.radius;
            keepWithin(brush.strength, 0.0f, 1.0f, defaults.strength);
            keepWithin(brush.softness, 0.0f, 1.0f, defaults.softness);
        }
    };
    sanitizeBrushes(terraformBrushes, kTerraformToolCount);
    sanitizeBrushes(detailBrushes, kDetailSlotCount);
    sanitizeBrushes(colourBrushes, kColourSlotCount);
}

bool ToolController::canClose()
{
    if (!mapModified) return true;
    MessageAnswer answer = ShowMessageBox("Loamforge", "Map Has Changed.\n\nSave Map?", MessageIcon::Warning,
                                          MessageButtons::YesNoCancel);
    switch (answer) {
    case MessageAnswer::Yes:
        // Save may fall back to Save As, which the user can cancel: only a
        // save that really happened lets the program move on.
        if (saveMap) saveMap();
        return !mapModified;
    case MessageAnswer::No: return true;
    default: return false;
    }
}
