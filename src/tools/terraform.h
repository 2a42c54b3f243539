// Terraform tools: the algorithms that change heights under a brush.
//
// Each tool is one call per brush application with the brush point p
// (x = column, z = row, y = height), the radius r in cells, the softness s
// and an amount that the caller derives from strength and frame time. The
// tools work in place on the live height grid, row by row and left to
// right, so a cell sees the new heights of the cells before it in the same
// pass; then they refresh the heightfield over their rectangle inflated by
// one (UpdateRegion, then UpdateErrors from the top level).
//
// Brush points outside [0, N - 1] on x or z are ignored, as is a radius
// that is not positive. Erode draws from the C library's rand(); the
// editor seeds it once at start-up so that strokes replay identically.
//
// Push keeps state between the applications of a stroke: the caller owns a
// PushState and calls ResetPush when the button is released.
#pragma once

#include "shared/vec3.h"
#include "tools/grid_rect.h"

#include <vector>

class Heightfield;

// Raise (a > 0), Lower (a < 0) and Grab: adds weight x a to every vertex
// within r of p in three dimensions (p.y is set to the terrain height
// first), clamped to [0, height scale].
void Raise(Heightfield& field, Vec3& p, float r, float s, float a);
// Moves heights within r of p (horizontally) toward p.y by weight x a.
void Level(Heightfield& field, Vec3& p, float r, float s, float a);
// Moves heights toward the average of their 3 x 3 neighbourhood.
void Smooth(Heightfield& field, Vec3& p, float r, float s, float a);
// Randomised drop erosion: one drop per cell of the rectangle, eight steps
// at most, carrying material downhill. A drop can walk kErodeReach cells
// beyond brushRect(p, r): whoever saves heights before an Erode (undo)
// must widen the brush rectangle by that much.
void Erode(Heightfield& field, Vec3& p, float r, float s, float a);
constexpr int kErodeReach = 8;

struct PushState {
    Vec3 lastPos = {-100.0f, -100.0f, -100.0f};
    // Heights captured around lastPos, addressed relative to the unclamped
    // brush square there (origin originX, originZ; row length stride).
    std::vector<float> buffer;
    // Size of the clamped rectangle around the stroke's brush point; a
    // change resets the state, as a radius change does.
    int width = 0;
    int height = 0;
    int stride = 0;
    int originX = 0;
    int originZ = 0;
    // The part of the buffer that holds captured heights (relative to the
    // origin, inclusive); cells near the map edge may have no source.
    GridRect captured;
};
// Drags the terrain under the brush along the path from the last position
// toward p, blending the captured heights in with the falloff; a = 0.75 x
// strength + 0.25. The first call of a stroke only captures.
void Push(Heightfield& field, PushState& state, Vec3& p, float r, float s, float a);
void ResetPush(PushState& state);

// Lays a straight slope from a (height a.y) to b (height b.y) over a
// corridor of half-width r; softness fades it toward the sides, strength
// blends it with the old heights. Only cells whose foot on the centre line
// lies strictly between a and b change, so the ends are square.
void Ramp(Heightfield& field, Vec3& a, Vec3& b, float r, float s, float strength);

// Adds a to the one vertex at the snapped position (p.x, p.z integers),
// clamped to [0, height scale].
void Point(Heightfield& field, Vec3& p, float a);

// The rectangle a tool works on: brushRect(p, r) kept `margin` vertices
// inside the grid of side n.
GridRect TerraformWorkRect(Vec3 p, float r, int n, int margin);

// The vertices an application may change, for whoever saves heights before
// it (undo). Every other tool stays inside brushRect(p, r), and Point
// inside brushRect(p, 1); these two reach further: Erode's drops walk past
// the brush square, and one Push application blends every square between
// the last captured position and p.
GridRect ErodeChangeRect(Vec3 p, float r, int n);
GridRect PushChangeRect(const PushState& state, Vec3 p, float r, int n);
