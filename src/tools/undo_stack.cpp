#include "tools/undo_stack.h"

#include "terrain/heightfield.h"
#include "texturing/texture_layers.h"

#include <algorithm>
#include <cstring>

namespace {

GridRect Bounding(const GridRect& a, const GridRect& b)
{
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool Inside(const GridRect& inner, const GridRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const GridRect& a, const GridRect& b)
{
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

size_t Area(const GridRect& rect)
{
    return static_cast<size_t>(rect.width()) * static_cast<size_t>(rect.height());
}

// The heights of rect (inside the grid), rows top to bottom.
std::vector<float> CopyHeights(const Heightfield& field, const GridRect& rect)
{
    std::vector<float> copy(Area(rect));
    const size_t width = static_cast<size_t>(rect.width());
    for (int z = rect.top; z <= rect.bottom; ++z)
        std::memcpy(copy.data() + static_cast<size_t>(z - rect.top) * width,
                    field.heights() + static_cast<size_t>(z) * field.size() + rect.left, width * sizeof(float));
    return copy;
}

} // namespace

void UndoStack::setHeightfield(Heightfield* field)
{
    m_field = field;
    clear();
}

void UndoStack::clear()
{
    m_entries.clear();
    m_position = 0;
    m_strokeEntry = nullptr;
    ++m_revision;
}

void UndoStack::recordTerrain(const char* name, const GridRect& rect, bool newStroke)
{
    record(UndoKind::Terrain, name, rect, newStroke);
}

void UndoStack::recordDetail(const char* name, const GridRect& rect, bool newStroke)
{
    record(UndoKind::Detail, name, rect, newStroke);
}

void UndoStack::recordColour(const char* name, const GridRect& rect, bool newStroke)
{
    record(UndoKind::Colour, name, rect, newStroke);
}

bool UndoStack::coverage(UndoKind kind, const GridRect& rect, GridRect& out) const
{
    const int n = m_field ? m_field->size() : 0;
    if (n < 2) return false;
    if (kind == UndoKind::Terrain) {
        out = clampRect(rect, n - 1, 0);
    } else {
        const TextureLayers& layers = m_field->layers();
        const TextureLayer& layer = kind == UndoKind::Colour ? layers.colourMap : layers.detailMask1;
        if (!layer.hasTiles() || layer.layerSize() < 1) return false;
        // A painter maps a vertex rectangle to pixels tile by tile (T/P per
        // cell), the snapshot maps it through the whole layer (S/N); the two
        // can disagree by a pixel at either end. A margin of more than one
        // pixel's worth of vertices catches every pixel a stroke can touch.
        const int pad = (n + layer.layerSize() - 1) / layer.layerSize() + 1;
        out = clampRect(inflate(rect, pad), n, 0);
    }
    return out.left <= out.right && out.top <= out.bottom;
}

bool UndoStack::canGrow(UndoKind kind, const char* name) const
{
    const UndoEntry* open = current();
    return open && open == m_strokeEntry && open->kind == kind && std::strcmp(open->name.c_str(), name) == 0;
}

void UndoStack::record(UndoKind kind, const char* name, const GridRect& rect, bool newStroke)
{
    if (!name) name = "";
    GridRect cover;
    if (!coverage(kind, rect, cover)) return;
    if (!newStroke && canGrow(kind, name)) {
        UndoEntry& open = *m_entries[static_cast<size_t>(m_position - 1)];
        if (!Inside(cover, open.rect)) grow(open, cover);
        return;
    }
    // A new entry (a stroke that continues after an undo, or under another
    // tool, starts one too: growing the current entry would take values the
    // stroke already changed for its "before").
    auto added = std::make_unique<UndoEntry>();
    added->kind = kind;
    added->name = name;
    added->rect = cover;
    takeBefore(*added);

    m_entries.erase(m_entries.begin() + m_position, m_entries.end());
    if (static_cast<int>(m_entries.size()) >= kLimit) {
        m_entries.pop_front();
        --m_position;
    }
    m_entries.push_back(std::move(added));
    m_position = count();
    m_strokeEntry = m_entries.back().get();
    ++m_revision;
}

void UndoStack::takeBefore(UndoEntry& entry) const
{
    TextureLayers& layers = m_field->layers();
    switch (entry.kind) {
    case UndoKind::Terrain:
        entry.heightsBefore = CopyHeights(*m_field, entry.rect);
        entry.lightRect = entry.rect;
        layers.lightmap.ExtendForShadowsPadded(entry.lightRect);
        entry.secondBefore = layers.lightmap.snapshot(entry.lightRect);
        break;
    case UndoKind::Detail:
        entry.layerBefore = layers.detailMask1.snapshot(entry.rect);
        if (layers.eightDetails && layers.detailMask2.hasTiles())
            entry.secondBefore = layers.detailMask2.snapshot(entry.rect);
        break;
    case UndoKind::Colour:
        entry.layerBefore = layers.colourMap.snapshot(entry.rect);
        break;
    }
}

void UndoStack::grow(UndoEntry& entry, const GridRect& rect) const
{
    TextureLayers& layers = m_field->layers();
    const GridRect both = Bounding(entry.rect, rect);
    switch (entry.kind) {
    case UndoKind::Terrain: {
        // Values from before the stroke inside the old rectangle, the
        // present ones (not yet touched by the stroke) elsewhere.
        std::vector<float> heights = CopyHeights(*m_field, both);
        const size_t oldWidth = static_cast<size_t>(entry.rect.width());
        const size_t width = static_cast<size_t>(both.width());
        if (entry.heightsBefore.size() == Area(entry.rect)) {
            for (int z = entry.rect.top; z <= entry.rect.bottom; ++z)
                std::memcpy(heights.data() + static_cast<size_t>(z - both.top) * width + (entry.rect.left - both.left),
                            entry.heightsBefore.data() + static_cast<size_t>(z - entry.rect.top) * oldWidth,
                            oldWidth * sizeof(float));
        }
        entry.heightsBefore = std::move(heights);
        GridRect light = both;
        layers.lightmap.ExtendForShadowsPadded(light);
        light = Bounding(light, entry.lightRect);
        entry.secondBefore = layers.lightmap.growSnapshot(light, entry.lightRect, std::move(entry.secondBefore));
        entry.lightRect = light;
        break;
    }
    case UndoKind::Detail:
        entry.layerBefore = layers.detailMask1.growSnapshot(both, entry.rect, std::move(entry.layerBefore));
        if (!entry.secondBefore.empty())
            entry.secondBefore = layers.detailMask2.growSnapshot(both, entry.rect, std::move(entry.secondBefore));
        break;
    case UndoKind::Colour:
        entry.layerBefore = layers.colourMap.growSnapshot(both, entry.rect, std::move(entry.layerBefore));
        break;
    }
    entry.rect = both;
}

void UndoStack::takeAfter(UndoEntry& entry) const
{
    TextureLayers& layers = m_field->layers();
    switch (entry.kind) {
    case UndoKind::Terrain:
        entry.heightsAfter = CopyHeights(*m_field, entry.rect);
        entry.secondAfter = layers.lightmap.snapshot(entry.lightRect);
        break;
    case UndoKind::Detail:
        entry.layerAfter = layers.detailMask1.snapshot(entry.rect);
        if (!entry.secondBefore.empty()) entry.secondAfter = layers.detailMask2.snapshot(entry.rect);
        break;
    case UndoKind::Colour:
        entry.layerAfter = layers.colourMap.snapshot(entry.rect);
        break;
    }
    entry.hasAfter = true;
}

void UndoStack::restore(const UndoEntry& entry, bool after)
{
    TextureLayers& layers = m_field->layers();
    const std::vector<uint8_t>& layer = after ? entry.layerAfter : entry.layerBefore;
    const std::vector<uint8_t>& second = after ? entry.secondAfter : entry.secondBefore;
    switch (entry.kind) {
    case UndoKind::Terrain: {
        const std::vector<float>& heights = after ? entry.heightsAfter : entry.heightsBefore;
        const int n = m_field->size();
        // A copy only fits the grid it was taken from.
        if (heights.size() == Area(entry.rect) && entry.rect.right < n && entry.rect.bottom < n) {
            const float* in = heights.data();
            for (int z = entry.rect.top; z <= entry.rect.bottom; ++z)
                for (int x = entry.rect.left; x <= entry.rect.right; ++x)
                    m_field->setHeight(x, z, *in++);
        }
        layers.lightmap.restore(entry.lightRect, second);
        break;
    }
    case UndoKind::Detail:
        layers.detailMask1.restore(entry.rect, layer);
        if (!second.empty()) layers.detailMask2.restore(entry.rect, second);
        break;
    case UndoKind::Colour:
        layers.colourMap.restore(entry.rect, layer);
        break;
    }
}

void UndoStack::refreshTerrain(const GridRect& rect, const GridRect& lightRect)
{
    const int n = m_field->size();
    const GridRect r = clampRect(inflate(rect, 1), n - 1, 0);
    m_field->UpdateRegion(r.left, r.top, r.right, r.bottom);
    m_field->UpdateErrors(r.left, r.top, r.right, r.bottom);
    m_field->layers().lightmap.RefreshTiles(lightRect);
}

UndoEntry* UndoStack::undoOne()
{
    if (!m_field || m_position == 0) return nullptr;
    UndoEntry& entry = *m_entries[static_cast<size_t>(m_position - 1)];
    if (!entry.hasAfter) takeAfter(entry);
    restore(entry, false);
    --m_position;
    m_strokeEntry = nullptr;
    return &entry;
}

UndoEntry* UndoStack::redoOne()
{
    if (!m_field || m_position >= count()) return nullptr;
    UndoEntry& entry = *m_entries[static_cast<size_t>(m_position)];
    ++m_position;
    m_strokeEntry = nullptr;
    if (entry.hasAfter) restore(entry, true);
    return &entry;
}

void UndoStack::undo(bool batch)
{
    const UndoEntry* entry = undoOne();
    if (entry && entry->kind == UndoKind::Terrain && !batch) refreshTerrain(entry->rect, entry->lightRect);
}

void UndoStack::redo(bool batch)
{
    const UndoEntry* entry = redoOne();
    if (entry && entry->kind == UndoKind::Terrain && !batch) refreshTerrain(entry->rect, entry->lightRect);
}

void UndoStack::jumpTo(int identifier)
{
    const int target = identifier - kMenuBaseId;
    if (m_entries.empty() || target < 1 || target > count()) return;
    // Terrain entries passed are refreshed together while their rectangles
    // overlap.
    bool pending = false;
    GridRect rect, lightRect;
    auto passed = [&](const UndoEntry* entry) {
        if (!entry || entry->kind != UndoKind::Terrain) return;
        if (pending && Overlap(rect, entry->rect)) {
            rect = Bounding(rect, entry->rect);
            lightRect = Bounding(lightRect, entry->lightRect);
            return;
        }
        if (pending) refreshTerrain(rect, lightRect);
        rect = entry->rect;
        lightRect = entry->lightRect;
        pending = true;
    };
    if (m_position < target) {
        while (m_position < target)
            passed(redoOne());
    } else {
        while (m_position >= target)
            passed(undoOne());
    }
    if (pending) refreshTerrain(rect, lightRect);
}

std::vector<UndoStack::MenuItem> UndoStack::menuItems() const
{
    std::vector<MenuItem> items;
    items.reserve(m_entries.size());
    for (int i = 0; i < count(); ++i)
        items.push_back({kMenuBaseId + i + 1, entry(i).name.c_str(), i >= m_position});
    return items;
}
