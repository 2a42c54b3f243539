// Terrain ray queries: the first point where a segment meets the surface.
//
// Picking under the mouse, the camera's focus, the lightmap's shadow rays
// and the lens flare's sun test all walk the heightfield's cells along the
// segment's ground projection. A cell whose maximum byte lies clearly below
// the segment is rejected at once; the others are intersected exactly
// (Heightfield::IntersectCell). Triangles are one-sided: a segment that
// meets the surface from below passes through.
//
// TerrainRay is the reusable query object (one per map document): set a
// segment, then FirstHit (stop at the first hit) or Trace (the same walk,
// calling a visitor for each cell and honouring `abort`). PickTerrain is the
// one-call status-bar pick between a near and a far point.
#pragma once

#include "shared/vec3.h"

class Heightfield;

class TerrainRay {
public:
    // Called by Trace for every cell of the grid the walk passes, before the
    // cell is tested; setting ray.abort stops the walk.
    using CellVisitor = void (*)(TerrainRay& ray, int cx, int cz, void* context);

    explicit TerrainRay(const Heightfield& field) : m_field(&field) {}

    // Resets the query and clips the segment to the map square [0, n] on x
    // and z, moving each end along the segment. False for a zero-length or
    // non-finite segment. A segment that misses the map square is accepted
    // but leaves `valid` false, so the walks find nothing.
    bool SetSegment(Vec3 segmentStart, Vec3 segmentEnd);
    // Walks from start toward end and stops at the first hit (hitPoint).
    bool FirstHit();
    // The same walk with the visitor and abort; returns hit.
    bool Trace();

    bool hit = false;
    bool abort = false;
    Vec3 direction = {0.0f, 0.0f, 0.0f}; // unit direction of the clipped segment
    Vec3 start = {0.0f, 0.0f, 0.0f};
    Vec3 end = {0.0f, 0.0f, 0.0f};
    Vec3 hitPoint = {-1.0f, -1.0f, -1.0f}; // (-1, -1, -1) without a hit
    CellVisitor visitor = nullptr;
    void* visitorContext = nullptr;
    int lastCell = 0; // cells squared minus one
    bool valid = false;

private:
    bool walk(bool tracing);

    const Heightfield* m_field;
};

// The terrain point between nearPoint and farPoint (the camera's near and
// far points under the cursor), or (0, 0, 0) when there is no map or the
// segment meets no terrain.
Vec3 PickTerrain(const Heightfield* field, Vec3 nearPoint, Vec3 farPoint);
