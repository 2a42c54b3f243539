#include "ui/file_dialog.h"

#include <cstring>
#include <imgui.h>

#include "platform/modal_loop.h"

namespace {

bool runFileDialog(const char* title, FileBrowser& browser, String& chosen)
{
    char nameBuffer[1024] = {};
    std::strncpy(nameBuffer, browser.name.c_str(), sizeof nameBuffer - 1);
    bool accepted = false;
    bool opened = false;
    bool shown = RunModalLoop([&] {
        if (!opened) {
            ImGui::OpenPopup(title);
            opened = true;
        }
        ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.5f), ImGuiCond_Appearing,
                                ImVec2(0.5f, 0.5f));
        ImGui::SetNextWindowSize(ImVec2(560, 420), ImGuiCond_Appearing);
        bool open = true;
        if (!ImGui::BeginPopupModal(title, nullptr, ImGuiWindowFlags_NoSavedSettings)) return false;
        ImGui::TextWrapped("%s", browser.folder().c_str());
        ImGui::Separator();
        float listHeight = ImGui::GetContentRegionAvail().y - ImGui::GetFrameHeightWithSpacing() * 2.5f;
        bool confirm = false;
        if (ImGui::BeginChild("entries", ImVec2(0, listHeight > 60 ? listHeight : 60), true)) {
            const BrowserEntry* clicked = nullptr;
            bool doubleClicked = false;
            for (const BrowserEntry& entry : browser.entries()) {
                std::string label = entry.folder ? "[" + entry.name + "]" : entry.name;
                bool selected = !entry.folder && browser.name == entry.name;
                if (ImGui::Selectable(label.c_str(), selected, ImGuiSelectableFlags_AllowDoubleClick)) {
                    clicked = &entry;
                    doubleClicked = ImGui::IsMouseDoubleClicked(0);
                }
            }
            if (clicked) {
                BrowserEntry entry = *clicked;
                browser.pick(entry);
                std::strncpy(nameBuffer, browser.name.c_str(), sizeof nameBuffer - 1);
                if (!entry.folder && doubleClicked) confirm = true;
            }
        }
        ImGui::EndChild();
        ImGui::SetNextItemWidth(-1);
        if (ImGui::InputText("##name", nameBuffer, sizeof nameBuffer, ImGuiInputTextFlags_EnterReturnsTrue))
            confirm = true;
        browser.name = nameBuffer;
        ImGui::TextDisabled("%s", browser.filter().description.c_str());
        ImGui::SameLine(ImGui::GetWindowWidth() - 180);
        if (ImGui::Button("OK", ImVec2(80, 0))) confirm = true;
        ImGui::SameLine();
        if (ImGui::Button("Cancel", ImVec2(80, 0)) || ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_Escape), false))
            open = false;
        if (confirm) {
            std::string path = browser.accept();
            std::strncpy(nameBuffer, browser.name.c_str(), sizeof nameBuffer - 1);
            if (!path.empty()) {
                chosen = path.c_str();
                accepted = true;
                open = false;
            }
        }
        if (!open) ImGui::CloseCurrentPopup();
        ImGui::EndPopup();
        return open;
    });
    return shown && accepted;
}

}  // namespace

bool ShowOpenFileDialog(const FileFilter& filter, const char* startFolder, String& chosen)
{
    FileBrowser browser(filter, startFolder ? startFolder : "", false);
    return runFileDialog("Open###openfile", browser, chosen);
}

bool ShowSaveFileDialog(const FileFilter& filter, const char* startFolder, const char* initialName, String& chosen)
{
    FileBrowser browser(filter, startFolder ? startFolder : "", true);
    browser.name = initialName ? initialName : "";
    return runFileDialog("Save As###savefile", browser, chosen);
}
