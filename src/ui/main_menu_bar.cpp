#include "ui/main_menu_bar.h"

#include <imgui.h>

#include <cstring>

#include "app/commands.h"
#include "shared/input_state.h"

namespace {

bool g_menuWasOpen = false;

void menuItem(const char* text, int id)
{
    CommandList& commands = Commands();
    if (ImGui::MenuItem(text, nullptr, commands.isChecked(id), commands.isEnabled(id))) commands.queue(id);
}

}  // namespace

void DrawMainMenuBar(const ExtraMenuItem* extras, int extraCount)
{
    if (!ImGui::BeginMainMenuBar()) return;
    bool anyOpen = false;
    for (const MenuDef& menu : MainMenuTable()) {
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
