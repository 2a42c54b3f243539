// ObjectGrid: the map's objects filed by the cell they stand in.
//
// A map of n cells per side has n x n cells; an object at (x, z) belongs to
// cell trunc(z) * n + trunc(x), clamped to the grid (an object beyond an
// edge is filed in the edge cell). The open map owns one grid and makes it
// current; objects moved while no grid is current are simply not filed.
#pragma once

#include <vector>

#include "objects/scene_object.h"

class ObjectGrid {
public:
    explicit ObjectGrid(int cellsPerSide);
    ~ObjectGrid();  // objects still filed are taken out (they outlive the map's grid)
    ObjectGrid(const ObjectGrid&) = delete;
    ObjectGrid& operator=(const ObjectGrid&) = delete;

    int cellsPerSide() const { return m_cells; }
    int cellOf(float x, float z) const;

    // Files object in the cell under its position: nothing when it is
    // already there, else out of its old cell and into the new one.
    void file(SceneObject& object);
    void remove(SceneObject& object);

    // Objects in one cell, most recently filed first.
    std::vector<SceneObject*> objectsIn(int cell) const;
    const std::vector<SceneObject*>& specialObjects() const { return m_special; }

private:
    void unlink(SceneObject& object);

    int m_cells;
    std::vector<ObjectListNode*> m_heads;
    std::vector<SceneObject*> m_special;
};

// The grid of the open map; nullptr when none is open.
ObjectGrid* CurrentObjectGrid();
void SetCurrentObjectGrid(ObjectGrid* grid);
