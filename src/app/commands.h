// The command list: menu commands bound by id to their handlers, and the
// main menu's item states (check marks, availability).
//
// Menu clicks are queued while a frame is drawn and run between frames,
// where a handler may block in a dialog of its own.
#pragma once

#include <functional>
#include <vector>

using CommandHandler = std::function<void(int id)>;

struct MenuItemDef {
    const char* text;  // nullptr for a separator
    int id;
};

struct MenuDef {
    const char* title;
    std::vector<MenuItemDef> items;
    int directId = 0;  // a top-level item that runs a command itself (no popup)
};

// The main menu, in order.
const std::vector<MenuDef>& MainMenuTable();

class CommandList {
public:
    // A later binding of the same id replaces the earlier one.
    void bind(int id, CommandHandler handler);
    // Items whose command needs something that is not there (an open map)
    // can be greyed out without unbinding them.
    void setAvailable(int id, bool available);
    bool isBound(int id) const;
    bool isEnabled(int id) const;
    // Runs the handler of id; false when none is bound.
    bool run(int id);

    void setChecked(int id, bool checked);
    bool isChecked(int id) const;

    void queue(int id) { m_queued.push_back(id); }
    // Runs and clears the queued commands; returns how many ran.
    int runQueued();

    void clear();

private:
    struct Entry {
        int id;
        CommandHandler handler;
        bool available = true;
    };
    const Entry* find(int id) const;

    std::vector<Entry> m_entries;
    std::vector<int> m_checked;
    std::vector<int> m_queued;
};

CommandList& Commands();
