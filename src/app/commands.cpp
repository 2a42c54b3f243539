#include "app/commands.h"

#include <algorithm>

#include "app/command_ids.h"
#include "shared/input_state.h"

const std::vector<MenuDef>& MainMenuTable()
{
    static const std::vector<MenuDef> table = {
        {"File", {{"New", cmd::New}, {"Load", cmd::Load}, {"Save", cmd::Save}, {"Save As..", cmd::SaveAs}}},
        {"Utility",
         {{"Anti Aliasing", cmd::AntiAliasing},
          {"Show Stats", cmd::ShowStats},
          {"Screenshot", cmd::Screenshot},
          {"Arange Windows", cmd::ArrangeWindows},
          {"Hide Windows", cmd::HideWindows},
          {"Map Info", cmd::MapInfo},
          {"Explore", cmd::Explore},
          {"Smooth Textures", cmd::SmoothTextures},
          {nullptr, 0},
          {"Reload Textures", cmd::ReloadTextures},
          {"Reload Heightmap", cmd::ReloadHeightmap}}},
        {"Import", {{"Heightmap image", cmd::ImportHeightmap}}},
        {"Export", {{"Heightmap Image", cmd::ExportHeightmap}}},
        {"Generate", {}},
        {"Camera",
         {{"Fast", cmd::CameraFast},
          {"Normal", cmd::CameraNormal},
          {"Slow", cmd::CameraSlow},
          {nullptr, 0},
          {"Home Position", cmd::HomePosition},
          {"Overhead Position", cmd::OverheadPosition},
          {"Stick to Ground", cmd::StickToGround},
          {nullptr, 0},
          {"Set Keys", cmd::SetKeys},
          {"WASD keys", cmd::WasdKeys},
          {"Reverse Mouse", cmd::ReverseMouse}}},
        {"Undo/Redo", {}, cmd::UndoRedo},
        {"Help",
         {{"Key Controls F1", cmd::KeyControls},
          {"Video Driver", cmd::VideoDriver},
          {"Manual", cmd::Manual},
          {"Glebora on the Web", cmd::WebSite},
          {nullptr, 0},
          {"About", cmd::About}}},
    };
    return table;
}

const CommandList::Entry* CommandList::find(int id) const
{
    for (const Entry& entry : m_entries)
        if (entry.id == id) return &entry;
    return nullptr;
}

void CommandList::bind(int id, CommandHandler handler)
{
    for (Entry& entry : m_entries) {
        if (entry.id == id) {
            entry.handler = std::move(handler);
            return;
        }
    }
    m_entries.push_back({id, std::move(handler), true});
}

void CommandList::setAvailable(int id, bool available)
{
    for (Entry& entry : m_entries)
        if (entry.id == id) entry.available = available;
}

bool CommandList::isBound(int id) const
{
    const Entry* entry = find(id);
    return entry && entry->handler;
}

bool CommandList::isEnabled(int id) const
{
    const Entry* entry = find(id);
    return entry && entry->handler && entry->available;
}

bool CommandList::run(int id)
{
    const Entry* entry = find(id);
    if (!entry || !entry->handler) return false;
    // A command arrives while keys may be down; their releases would be
    // lost to the menu, so every key counts as released.
    Input().releaseAllKeys();
    CommandHandler handler = entry->handler;  // the handler may rebind itself
    handler(id);
    return true;
}

void CommandList::setChecked(int id, bool checked)
{
    auto it = std::find(m_checked.begin(), m_checked.end(), id);
    if (checked && it == m_checked.end()) m_checked.push_back(id);
    if (!checked && it != m_checked.end()) m_checked.erase(it);
}

bool CommandList::isChecked(int id) const
{
    return std::find(m_checked.begin(), m_checked.end(), id) != m_checked.end();
}

int CommandList::runQueued()
{
    std::vector<int> queued;
    queued.swap(m_queued);
    int ran = 0;
    for (int id : queued)
        if (isEnabled(id) && run(id)) ++ran;
    return ran;
}

void CommandList::clear()
{
    m_entries.clear();
    m_checked.clear();
    m_queued.clear();
}

CommandList& Commands()
{
    static CommandList list;
    return list;
}
