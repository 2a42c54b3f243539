#include "ui/new_map_dialog.h"

#include <imgui.h>

#include "platform/modal_loop.h"

namespace {

bool combo(const char* label, int& index, const char* const* items, int count)
{
    return ImGui::Combo(label, &index, items, count);
}

}  // namespace

bool ShowNewMapDialog(int maxTextureSize, int textureUnits, NewMapParameters& params)
{
    static const char* const kMapSizes[] = {"65x65", "129x129", "257x257", "513x513", "1025x1025", "2049x2049",
                                            "4097x4097"};
    static const char* const kTextureSizes[] = {"128x128", "256x256", "512x512", "1024x1024", "2048x2048",
                                                "4096x4096"};
    static const char* const kSplitting[] = {"none", "1", "2"};
    static const char* const kDetails[] = {"4", "8"};
    static const char* const kYesNo[] = {"no", "yes"};
    static const char* const kLayerLabels[] = {"Colormap", "Detailmap", "Lightmap"};

    NewMapChoices choices(maxTextureSize, textureUnits);
    bool accepted = false;
    bool opened = false;
    bool shown = RunModalLoop([&] {
        const char* title = "New###newmap";
        if (!opened) {
            ImGui::OpenPopup(title);
            opened = true;
        }
        ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Appearing,
                                ImVec2(0.5f, 0.5f));
        if (!ImGui::BeginPopupModal(title, nullptr,
                                    ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings))
            return false;
        bool open = true;
        ImGui::PushItemWidth(140);
        int index = choices.mapSizeIndex();
        if (combo("Map Size", index, kMapSizes, NewMapChoices::kMapSizes)) choices.chooseMapSize(index);
        for (int layer = 0; layer < 3; ++layer) {
            index = choices.textureSizeIndex(layer);
            if (combo(kLayerLabels[layer], index, kTextureSizes, choices.textureSizesOffered()))
                choices.chooseTextureSize(layer, index);
        }
        index = choices.splittingIndex();
        if (combo("Texture Spllitting", index, kSplitting, 3)) choices.chooseSplitting(index);
        index = choices.detailCountIndex();
        if (combo("Detail Textures", index, kDetails, 2)) choices.chooseDetailCount(index);
        index = choices.rgbLightmap() ? 1 : 0;
        if (combo("RGB Lightinmap", index, kYesNo, 2)) choices.chooseRgbLightmap(index == 1);
        ImGui::PopItemWidth();
        if (!choices.note().empty()) ImGui::TextColored(ImVec4(0.8f, 0.2f, 0.1f, 1.0f), "%s", choices.note().c_str());
        ImGui::Spacing();
        if (ImGui::Button("OK", ImVec2(80, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Enter), false)) {
            accepted = true;
            open = false;
        }
        ImGui::SameLine();
        if (ImGui::Button("Cancel", ImVec2(80, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false))
            open = false;
        if (!open) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
        return open;
    });
    if (shown && accepted) params = choices.parameters();
    return shown && accepted;
}
