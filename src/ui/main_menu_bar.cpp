#include "ui/main_menu_bar.h"

#include <imgui.h>

#include <cstdio>
#include <cstring>

#include "app/command_ids.h"
#include "app/commands.h"
#include "shared/input_state.h"
#include "tools/undo_stack.h"

namespace {

bool g_menuWasOpen = false;
const UndoStack* g_history = nullptr;

void menuItem(const char* text, int id)
{
    CommandList& commands = Commands();
    if (ImGui::MenuItem(text, nullptr, commands.isChecked(id), commands.isEnabled(id))) commands.queue(id);
}

// Returns whether the popup is open.
bool undoMenu()
{
    if (!g_history || g_history->count() == 0) {
        ImGui::MenuItem("Undo Redo", nullptr, false, false);
        return false;
    }
    if (!ImGui::BeginMenu("Undo Redo")) return false;
    for (const UndoStack::MenuItem& item : g_history->menuItems()) {
        // The id after "##" keeps entries with equal names apart.
        char label[300];
        std::snprintf(label, sizeof label, "%s##undo%d", item.label, item.identifier);
        if (ImGui::MenuItem(label, nullptr, item.undone)) Commands().queue(item.identifier);
    }
    ImGui::EndMenu();
    return true;
}

}  // namespace

void SetUndoMenuSource(const UndoStack* history) { g_history = history; }

void DrawMainMenuBar(const ExtraMenuItem* extras, int extraCount)
{
    if (!ImGui::BeginMainMenuBar()) return;
    bool anyOpen = false;
    for (const MenuDef& menu : MainMenuTable()) {
        if (menu.directId == cmd::UndoRedo) {
            anyOpen |= undoMenu();
            continue;
        }
        if (menu.directId != 0) {
            menuItem(menu.title, menu.directId);
            continue;
        }
        int extrasHere = 0;
        for (int i = 0; i < extraCount; ++i)
            if (std::strcmp(extras[i].menu, menu.title) == 0) ++extrasHere;
        bool enabled = !menu.items.empty() || extrasHere > 0;
        if (!ImGui::BeginMenu(menu.title, enabled)) continue;
        anyOpen = true;
        for (const MenuItemDef& item : menu.items) {
            if (!item.text)
                ImGui::Separator();
            else
                menuItem(item.text, item.id);
        }
        for (int i = 0; i < extraCount; ++i)
            if (std::strcmp(extras[i].menu, menu.title) == 0) menuItem(extras[i].text, extras[i].id);
        ImGui::EndMenu();
    }
    ImGui::EndMainMenuBar();
    if (anyOpen && !g_menuWasOpen) Input().releaseAllKeys();
    g_menuWasOpen = anyOpen;
}
