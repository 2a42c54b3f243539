// Heightfield: the terrain grid and the grids derived from it.
//
// A square grid of n = 2^k + 1 float heights, one world unit apart, with:
//   - a vertex copy (x, height, z) per sample that the renderer draws from
//     and every sampler reads; its y always equals the height outside a
//     level-of-detail frame,
//   - one byte per cell, ceil(highest corner * 255 / height scale), that
//     lets ray walks reject cells far below a segment,
//   - the midpoint error of every sample against the coarser block that
//     skips it, which drives the level of detail's geomorphing,
//   - exact lowest and highest heights with the samples that hold them.
//
// Cell (x, z) has the corners (x, z), (x+1, z), (x, z+1), (x+1, z+1) and is
// split along the diagonal from (x+1, z) to (x, z+1). Sampling, normals,
// export, picking and drawing all use this one split.
//
// Whoever changes heights writes the height and the vertex y together
// (setHeight does both) and then calls UpdateRegion and UpdateErrors for
// the changed rectangle, in that order.
//
// The heightfield also owns the map's texture layers: Create makes them for
// a new map and LoadHeightmap loads them beside the heightmap picture.
// Not here yet: the level-of-detail tables and patches and the drawing
// state; Create, LoadHeightmap and Reset mark where they join.
#pragma once

#include "shared/big_array.h"
#include "shared/string.h"
#include "shared/vec3.h"
#include "terrain/height_extremes.h"
#include "texturing/texture_layers.h"

#include <cstdint>
#include <memory>

class Image;
struct NewMapParameters;

class Heightfield {
public:
    static constexpr float kDefaultHeightScale = 65.0f;
    static constexpr int kMinMapSize = 65;   // smallest side a map file may have
    static constexpr int kMaxMapSize = 4097; // largest side of any map
    static constexpr int kMaxDivisions = 2;

    Heightfield();
    ~Heightfield();
    Heightfield(const Heightfield&) = delete;
    Heightfield& operator=(const Heightfield&) = delete;

    // Builds a new terrain: flat at a quarter of the height scale, or from
    // params.source. Any side 2^k + 1 from 3 to 4097 is accepted (the small
    // ones serve tests and plug-ins); false, with the reason in error, for
    // other sizes, divisions beyond the grid or an unusable picture.
    bool Create(const NewMapParameters& params, String* error = nullptr);

    // Loads mapName + ".png" from the working directory as the terrain,
    // keeping divisions and the height scale already set from the map file.
    // The picture must be square with a side 2^k + 1 from 65 to 4097; any
    // failure leaves the heightfield empty and says why in error.
    bool LoadHeightmap(const char* mapName, String* error = nullptr);

    // Replaces the heights from a picture of any size (nearest pixel,
    // corner to corner); the grid size stays. Nothing changes on failure.
    bool ImportHeightmap(const char* path, String* error = nullptr);
    bool SetHeightsFromPicture(const Image& picture, String* error = nullptr);

    // Multiplies every height by newScale / heightScale. Refused (false) for
    // a scale that is not a positive finite number.
    bool SetHeightScale(float newScale);

    // Interpolated height at world (x, z); points outside the map get the
    // height just inside the border.
    float GetHeight(float x, float z) const;
    // Unit upward normal of the triangle under (x, z).
    Vec3 GetNormal(float x, float z) const;
    // Angle between that triangle and the horizontal, 0 to 90 degrees.
    float GetSlope(float x, float z) const;

    // Refreshes the height bounds over samples x0..x1, z0..z1 and the cell
    // maximum bytes of cells x0..x1-1, z0..z1-1 (rectangles are clamped).
    void UpdateRegion(int x0, int z0, int x1, int z1);
    // Refreshes every midpoint error that depends on a sample in
    // x0..x1, z0..z1 (inclusive), from block level `level` down.
    void UpdateErrors(int x0, int z0, int x1, int z1, int level);
    void UpdateErrors(int x0, int z0, int x1, int z1) { UpdateErrors(x0, z0, x1, z1, m_levels); }

    // Frees every array and restores the defaults.
    void Reset();

    // ---- Ray queries (terrain_ray.cpp) ----
    // The exact test of cell (cx, cz) against the ray origin + t x direction,
    // t > 0: the first of its two triangles that the ray meets from above
    // (triangles are one-sided, both facing up). A point on the diagonal
    // belongs to the first triangle. Cells outside the grid never hit.
    bool IntersectCell(int cx, int cz, Vec3 origin, Vec3 direction, Vec3& out) const;
    // The status-bar walk from `from` toward `to`: the first cell hit, with
    // the tighter rejection margin of 0.2. `out` is written only on a hit.
    bool RayHit(Vec3 from, Vec3 to, Vec3& out) const;
    // Moves `to` back along the segment until x and z lie in [1.1, n - 3],
    // so a walk toward it never reaches the last cells; never past `from`.
    void ClipToInterior(Vec3 from, Vec3& to) const;
    // Whether point lies over the grid, x and z within [0.001, n - 1.001],
    // and within the height bounds widened by 0.001.
    bool InsideBox(Vec3 point) const;

    bool empty() const { return m_size == 0; }
    int size() const { return m_size; }
    int cells() const { return m_cells; }
    int levels() const { return m_levels; }
    int patchCells() const { return m_patchCells; }
    // Height bounds as whole numbers: maxHeight is trunc(highest) and
    // minHeight floor(lowest), as the level of detail and the ray box use them.
    int maxHeight() const { return m_maxHeight; }
    int minHeight() const { return m_minHeight; }
    Vec3 minPosition() const { return m_minPosition; }
    Vec3 maxPosition() const { return m_maxPosition; }
    // The map rectangle at the minimum height, corners in order
    // (0, 0), (n-1, 0), (n-1, n-1), (0, n-1).
    const Vec3* outline() const { return m_outline; }

    // Row-major grids, index z * n + x; cellMax has rows of n - 1 bytes.
    float* heights() { return m_heights.get(); }
    const float* heights() const { return m_heights.get(); }
    Vec3* vertices() { return m_vertices.get(); }
    const Vec3* vertices() const { return m_vertices.get(); }
    const uint8_t* cellMax() const { return m_cellMax.get(); }
    const float* midpointErrors() const { return m_errors.get(); }

    float height(int x, int z) const { return m_heights[static_cast<size_t>(z) * m_size + x]; }
    void setHeight(int x, int z, float h)
    {
        size_t i = static_cast<size_t>(z) * m_size + x;
        m_heights[i] = h;
        m_vertices[i].y = h;
    }

    // Bound to the map keys `divisions` and `mapHeight` by the map document;
    // LoadHeightmap replaces values that would break the grid by defaults.
    int divisions = 0;
    float heightScale = kDefaultHeightScale;

    // The walls that close the terrain block when seen from outside; map
    // keys "renderUnderGround", "underGroundStretch", "underGroundScale".
    bool renderUnderGround = true;
    bool underGroundStretch = true;
    float underGroundScale = 10.0f;

    TextureLayers& layers() { return m_layers; }
    const TextureLayers& layers() const { return m_layers; }

private:
    bool allocate(int n, String* error);
    void freeArrays();
    void setGridSizes(int n);
    static bool checkPicture(const Image& picture, String* error);
    void fillFromPicture(const Image& picture);
    void refreshBounds();
    void updateCellMax(int x0, int z0, int x1, int z1);
    void finishBuild();
    void errorsBand(int a, int level, int x0, int z0, int x1, int z1);

    int m_size = 0;
    int m_cells = 0;
    int m_levels = 0;
    int m_patchCells = 0;
    int m_maxHeight = 0;
    int m_minHeight = 0;
    BigArray<uint8_t> m_cellMax;
    BigArray<Vec3> m_vertices;
    BigArray<float> m_heights;
    BigArray<float> m_errors;
    Vec3 m_outline[4] = {};
    Vec3 m_minPosition = {0.0f, 0.0f, 0.0f};
    Vec3 m_maxPosition = {0.0f, 0.0f, 0.0f};
    HeightExtremes m_extremes;
    TextureLayers m_layers;
};
