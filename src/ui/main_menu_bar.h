// The main menu bar, drawn every frame from the menu table; a chosen item
// is queued in the command list and runs after the frame.
#pragma once

// Extra items of a menu that are not in the fixed table (plug-in entries
// of "Generate", "Import" and "Export").
struct ExtraMenuItem {
    const char* menu;
    const char* text;
    int id;
};

class UndoStack;

// The edit history shown as the "Undo Redo" menu: one item per entry,
// undone entries checked; greyed while the history is empty.
void SetUndoMenuSource(const UndoStack* history);

// Call inside a user-interface frame. When the user opens a menu, every
// key counts as released (the menu takes the keyboard).
void DrawMainMenuBar(const ExtraMenuItem* extras = nullptr, int extraCount = 0);
