// SceneObject: the base of everything placed in the 3D scene.
//
// A position, a bounding radius and a 4 x 4 matrix (column-major as GL
// keeps it: m[0..2] the first column, the position repeated in m[12..14]),
// with virtual operations to move, orient, clone, draw and read or write
// itself as text. Copies (Clone) are registered in a global table under a
// 16-bit id; objects placed in a map are filed in the map's grid of cells
// (object_grid.h) for lookup by position.
//
// The virtual operations keep this order: destructor, Clone, SetPosition,
// SetDirection, SetAngles, OnAttach, Draw, OnFrame, OnFade, Write,
// ReadProperty, GetPosition, GetTop.
#pragma once

#include <cstdint>
#include <cstdio>

struct LineRecord;
class ObjectGrid;
class SceneObject;

// How an object sits in a cell's list.
struct ObjectListNode {
    ObjectListNode* next = nullptr;
    ObjectListNode* previous = nullptr;
    SceneObject* owner = nullptr;
};

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

class SceneObject {
public:
    // Objects that also go in the map's list of special objects when first filed.
    static constexpr int kSpecialFlag = 0x8;
    static constexpr int kMaxObjects = 32767;

    SceneObject();
    // Copies position, radius, matrix and active; clears the flags; takes
    // the next id; starts in no cell.
    SceneObject(const SceneObject& other);
    SceneObject& operator=(const SceneObject&) = delete;
    virtual ~SceneObject();

    virtual SceneObject* Clone() const;
    virtual void SetPosition(float x, float y, float z);
    // Turns the matrix so that its third axis points along direction, with
    // (0, 1, 0) as up; the translation stays.
    virtual void SetDirection(const Vec3& direction);
    // Rotation from three angles in degrees; the translation stays.
    virtual void SetAngles(float a, float b, float c);
    virtual void OnAttach() {}
    virtual void Draw();
    virtual void OnFrame() {}
    virtual void OnFade() {}
    // "position x y z" and "angles a b c" lines.
    virtual void Write(FILE* file) const;
    // "radius", "position" and "angles"; false for any other key.
    virtual bool ReadProperty(const LineRecord& line);
    virtual Vec3 GetPosition() const { return {position[0], position[1], position[2]}; }
    virtual Vec3 GetTop() const { return {position[0], position[1] + radius, position[2]}; }

    // The three angles Write stores, in degrees in [0, 360).
    void ExtractAngles(float angles[3]) const;

    int16_t id() const { return m_id; }
    ObjectGrid* grid() const { return m_grid; }
    int cell() const { return m_cell; }

    float position[3] = {0.0f, 0.0f, 0.0f};
    float radius = 0.25f;
    float matrix[16];
    int flags = 0;
    bool active = true;

private:
    friend class ObjectGrid;
    ObjectGrid* m_grid = nullptr;  // the grid the object is filed in, if any
    int m_cell = -1;               // its cell there
    ObjectListNode m_node;
    int16_t m_id = -1;
    bool m_everFiled = false;
};

// The object registered under id, or nullptr.
SceneObject* FindSceneObject(int id);
