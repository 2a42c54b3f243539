// Lightmap: the texture layer of baked lighting, one grey byte or one RGB
// triple per texel.
//
// The tiles, their shared borders and the heightfield mapping are those of
// TextureLayer. The lightmap adds its settings (map keys of the same names),
// the flat reset used for new maps and as the fallback when no lightmap
// picture loads, and the lighting itself: from the terrain's triangle
// normals, the map's light and shadow rays cast through the terrain, either
// for the whole map (GenerateAll) or for the rectangle an edit changed
// (UpdateRegion).
//
// Lighting, texel by texel: every cell's two triangle normals, summed over
// the six triangles around each vertex into a vertex normal and a lambert
// value max(0, n . light); each texel interpolates the lambert values on
// the triangle under it. All normals go through FastInvSqrt, as stored
// lightmaps were made with it. A texel brighter than the ambient level then
// casts a ray of shadowDist toward the light; if the terrain is in the way
// the texel is pulled toward the ambient level, less so the farther away
// the occluder is.
//
// The textures are blurred for display after every upload while
// lightMapBlur > 0. The memory copy stays sharp and is what gets saved, so
// saving and loading never blurs the map a second time.
//
// Texel (tx, ty) lies at heightfield point x = tx N / S, z = ty N / S.
// Positions that reach the last row or column of vertices read the last
// vertex: no lookup leaves the grid.
#pragma once

#include "texturing/light_settings.h"
#include "texturing/texture_layer.h"

class Heightfield;
struct GridRect;

class Lightmap : public TextureLayer {
public:
    // Region updates larger than this many cells that cast shadows show the
    // progress bar.
    static constexpr int kProgressCellLimit = 24000;

    Lightmap();

    // The light to compute with; not owned, read whenever texels are
    // computed. Without one, the defaults of a new map are used.
    void setLightSettings(const LightSettings* light);
    // The same from the three separate map values (direction x, y, z;
    // ambient and light as RGBA); any of them may be null for its default.
    void setLightSource(const float* direction, const float* ambient, const float* light);
    // The light as it is now.
    LightSettings lightSettings() const;

    // The terrain lit; not owned. The heightfield sets itself when it is
    // made. Without a terrain, or when its side is not the grid given to
    // setGrid, generation changes nothing.
    void setHeightfield(const Heightfield* field) { m_field = field; }

    // Tiles for a requested size laid out as create does, every texel the
    // brightness of level ground under the light; uploaded, not blurred.
    // bytesPerPixel is 1 (grey) or 3 (colour).
    void ResetFlat(int size, int bytesPerPixel);
    // The flat-ground value of channel 0..2 (grey mode: channel 0).
    uint8_t flatValue(int channel) const;

    // Lights every texel (shadows when withShadows and enableShadows), then
    // uploads and blurs every tile. Progress: 10 % for the triangle
    // normals, 10 % for the vertex lambert values, 80 % for the texels.
    void GenerateAll(bool withShadows);
    // Relights the texels under rect (heightfield vertices; columns
    // ⌊left S/N⌋ to ⌊right S/N⌋ exclusive, rows likewise), copies them into
    // the tiles they touch and uploads and blurs those. Shows the progress
    // bar when shadows are cast over more than kProgressCellLimit cells.
    // Records its duration in lastUpdateSeconds.
    void UpdateRegion(const GridRect& rect, bool withShadows);
    // Uploads and blurs every tile whose texels meet rect (after undo has
    // written lightmap bytes back).
    void RefreshTiles(const GridRect& rect);
    // Grows rect away from the light by the horizontal reach of a shadow
    // ray, so that it covers the ground a change inside it may shade; then
    // clamps it to [0, N].
    void ExtendForShadows(GridRect& rect) const;
    // The same, grown by one more vertex on every side before clamping.
    void ExtendForShadowsPadded(GridRect& rect) const;

    void rebuildTextures() override;
    // Writes the tiles as they are in memory: the unblurred light, not the
    // blurred textures.
    bool save(FileTransaction* transaction = nullptr) override;

    // Uploads tile index and blurs its texture when lightMapBlur > 0.
    void uploadAndBlur(int index);

    // Whether a run asked for withShadows casts any.
    bool castsShadows(bool withShadows) const { return withShadows && enableShadows; }

    float lightMapBlur = 0.5f;
    float shadowDist = 40.0f;
    float shadowFalloff = 0.5f;
    bool enableShadows = true;
    float lastUpdateSeconds = 0.0f;

private:
    // Whether the terrain fits the tiles; fills n.
    bool terrainReady(int& n) const;

    const Heightfield* m_field = nullptr;
    const float* m_direction = nullptr;
    const float* m_ambient = nullptr;
    const float* m_light = nullptr;
};
