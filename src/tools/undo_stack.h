// UndoStack: the edit history of the open map.
//
// Every edit is recorded before it changes anything, as a copy of the
// rectangle it is about to change: heights with the lightmap under them for
// terraform strokes and plug-in runs, the detail masks for detail painting,
// the colour map for colour painting. A stroke is one entry however long it
// lasts: while it goes on, the entry's copy grows with the stroke's
// rectangle, keeping the values from before the stroke where it already
// had them. Undo writes the copy back; the state it replaces is copied at
// the first undo of the entry, so the entry can be redone.
//
// An entry grows only with the stroke that opened it: after an undo or a
// redo, or when a record of another kind or tool arrives, a continuing
// stroke opens a new entry instead of growing one whose copy would no
// longer hold the values from before its changes.
//
// At most kLimit entries are kept; the oldest goes first. Recording after
// an undo drops the undone entries. The history belongs to one heightfield:
// setHeightfield (on New and Load) empties it.
//
// The "Undo Redo" menu shows one item per entry, oldest first, with
// command identifier kMenuBaseId + i (1-based) and a check mark on undone
// entries; menuItems gives what to draw, jumpTo handles the command.
#pragma once

#include "shared/string.h"
#include "tools/grid_rect.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class Heightfield;

enum class UndoKind { Terrain = 0, Detail = 1, Colour = 2 };

struct UndoEntry {
    UndoKind kind = UndoKind::Terrain;
    // Terrain: the heights of rect, rows top to bottom.
    std::vector<float> heightsBefore;
    std::vector<float> heightsAfter;
    // Detail: detail mask 1; colour: the colour map (snapshots of rect).
    std::vector<uint8_t> layerBefore;
    std::vector<uint8_t> layerAfter;
    // Terrain: the lightmap over lightRect; detail in eight-detail mode:
    // detail mask 2 over rect. Empty otherwise.
    std::vector<uint8_t> secondBefore;
    std::vector<uint8_t> secondAfter;
    bool hasAfter = false;
    String name;
    // Heightfield vertices covered, inclusive.
    GridRect rect;
    // Terraform entries: the lightmap rectangle of the lightmap copies,
    // fixed when taken so a later change of light direction or shadow
    // distance cannot change it.
    GridRect lightRect;
};

class UndoStack {
public:
    static constexpr int kLimit = 30;
    // The greyed "Undo Redo" item of an empty history; entry i (1-based,
    // oldest first) has identifier kMenuBaseId + i.
    static constexpr int kMenuBaseId = 3000;

    UndoStack() = default;
    UndoStack(const UndoStack&) = delete;
    UndoStack& operator=(const UndoStack&) = delete;

    // The map the history edits (not owned; nullptr for none). Empties the
    // history: New and Load call it, with the same heightfield too.
    void setHeightfield(Heightfield* field);
    Heightfield* heightfield() const { return m_field; }

    // Called before the change they protect. rect in heightfield vertices
    // (terraform rectangles within [0, N-1], paint rectangles within
    // [0, N]); newStroke opens a new entry, otherwise the stroke's entry
    // grows to cover rect as well.
    void recordTerrain(const char* name, const GridRect& rect, bool newStroke);
    void recordDetail(const char* name, const GridRect& rect, bool newStroke);
    void recordColour(const char* name, const GridRect& rect, bool newStroke);

    // Undoes the current entry; nothing when none is applied. batch skips
    // the terrain refresh (the caller refreshes once for many entries).
    void undo(bool batch = false);
    // Redoes the entry after the current one; nothing when none is undone.
    void redo(bool batch = false);
    // The menu command: an applied entry is undone with every later one;
    // an undone entry is redone with every earlier one. The terrain is
    // refreshed once per run of overlapping rectangles.
    void jumpTo(int identifier);
    // Frees every entry.
    void clear();

    int count() const { return static_cast<int>(m_entries.size()); }
    // Number of applied entries, 0..count.
    int position() const { return m_position; }
    const UndoEntry& entry(int index) const { return *m_entries[static_cast<size_t>(index)]; }
    // The newest applied entry, or nullptr when everything is undone.
    const UndoEntry* current() const { return m_position > 0 ? &entry(m_position - 1) : nullptr; }

    // What the "Undo Redo" menu shows, oldest first.
    struct MenuItem {
        int identifier;
        const char* label;
        bool undone; // drawn with a check mark
    };
    std::vector<MenuItem> menuItems() const;
    // Changes whenever entries are added or removed, so a menu built from
    // menuItems knows when to rebuild (check marks change without it).
    unsigned revision() const { return m_revision; }

private:
    void record(UndoKind kind, const char* name, const GridRect& rect, bool newStroke);
    bool canGrow(UndoKind kind, const char* name) const;
    // The rectangle an entry of kind covers for rect; false when nothing
    // of it lies on the map.
    bool coverage(UndoKind kind, const GridRect& rect, GridRect& out) const;
    void takeBefore(UndoEntry& entry) const;
    void grow(UndoEntry& entry, const GridRect& rect) const;
    void takeAfter(UndoEntry& entry) const;
    void restore(const UndoEntry& entry, bool after);
    // Heights and lightmap textures after terrain entries were restored.
    void refreshTerrain(const GridRect& rect, const GridRect& lightRect);
    UndoEntry* undoOne();
    UndoEntry* redoOne();

    Heightfield* m_field = nullptr;
    std::deque<std::unique_ptr<UndoEntry>> m_entries;
    int m_position = 0;
    // The entry the ongoing stroke opened, while it may still grow.
    const UndoEntry* m_strokeEntry = nullptr;
    unsigned m_revision = 0;
};
