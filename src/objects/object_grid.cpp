#include "objects/object_grid.h"

#include <algorithm>
#include <cmath>

namespace {
ObjectGrid* g_current = nullptr;
}

ObjectGrid* CurrentObjectGrid() { return g_current; }

void SetCurrentObjectGrid(ObjectGrid* grid) { g_current = grid; }

ObjectGrid::ObjectGrid(int cellsPerSide)
    : m_cells(std::max(cellsPerSide, 1)), m_heads(static_cast<size_t>(m_cells) * static_cast<size_t>(m_cells), nullptr)
{
}

ObjectGrid::~ObjectGrid()
{
    for (ObjectListNode*& head : m_heads) {
        while (head) {
            ObjectListNode* node = head;
            head = node->next;
            node->next = nullptr;
            node->previous = nullptr;
            node->owner->m_grid = nullptr;
            node->owner->m_cell = -1;
        }
    }
    if (g_current == this) g_current = nullptr;
}

int ObjectGrid::cellOf(float x, float z) const
{
    // Truncation toward zero as the cell rule says, then clamped: an object
    // at -5 or beyond the far edge stands in the edge cell, not outside.
    auto clampIndex = [this](float v) {
        if (!(v > 0.0f)) return 0;  // negatives and NaN
        if (v >= static_cast<float>(m_cells)) return m_cells - 1;
        return std::min(static_cast<int>(v), m_cells - 1);
    };
    return clampIndex(z) * m_cells + clampIndex(x);
}

void ObjectGrid::file(SceneObject& object)
{
    int cell = cellOf(object.position[0], object.position[2]);
    if (object.m_grid == this && object.m_cell == cell) return;
    if (object.m_grid == this)
        unlink(object);
    else if (object.m_grid)
        object.m_grid->remove(object);
    ObjectListNode& node = object.m_node;
    node.previous = nullptr;
    node.next = m_heads[static_cast<size_t>(cell)];
    if (node.next) node.next->previous = &node;
    m_heads[static_cast<size_t>(cell)] = &node;
    object.m_grid = this;
    object.m_cell = cell;
    if (!object.m_everFiled) {
        object.m_everFiled = true;
        if (object.flags & SceneObject::kSpecialFlag) m_special.push_back(&object);
    }
}

void ObjectGrid::remove(SceneObject& object)
{
    if (object.m_grid != this) return;
    unlink(object);
    m_special.erase(std::remove(m_special.begin(), m_special.end(), &object), m_special.end());
}

void ObjectGrid::unlink(SceneObject& object)
{
    ObjectListNode& node = object.m_node;
    if (node.previous)
        node.previous->next = node.next;
    else
        m_heads[static_cast<size_t>(object.m_cell)] = node.next;
    if (node.next) node.next->previous = node.previous;
    node.next = nullptr;
    node.previous = nullptr;
    object.m_grid = nullptr;
    object.m_cell = -1;
}

std::vector<SceneObject*> ObjectGrid::objectsIn(int cell) const
{
    std::vector<SceneObject*> objects;
    if (cell < 0 || static_cast<size_t>(cell) >= m_heads.size()) return objects;
    for (ObjectListNode* node = m_heads[static_cast<size_t>(cell)]; node; node = node->next)
        objects.push_back(node->owner);
    return objects;
}
