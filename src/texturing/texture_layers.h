// TextureLayers: everything that colours the terrain besides its geometry.
//
// The colour map, one or two detail masks (the weights of up to eight tiled
// detail textures), the lightmap, the detail textures with their tiling
// scales, the colour-combination mode, the underground material and the six
// paint materials. The heightfield owns the one object; it registers these
// as map keys, creates them for a new map, loads and saves them beside the
// map, and keeps every layer's pixels in memory with one GPU texture per
// tile (TextureLayer).
//
// Files beside the map (base = the map's base path): colour map base + "_c",
// detail mask 1 base + "_d", detail mask 2 base + "_dd" (eight-detail mode
// only: its presence is what makes a loaded map eight-detail), lightmap
// base + "_l"; each tile one PNG picture (TextureLayer::tileFileName).
//
// Usable without a heightfield: setGrid gives the samples per side and the
// divisions that the layers are cut by.
#pragma once

#include "map/material.h"
#include "shared/string.h"
#include "texturing/lightmap.h"
#include "texturing/terrain_program.h"
#include "texturing/texture_layer.h"

#include <memory>

class FileTransaction;
class GlTexture;
class PropertyTable;

// The new-map dialog's choices for the layers.
struct NewLayerParameters {
    int colorMapSize = 512;
    int detailMapSize = 512;
    int lightMapSize = 512;
    int detailCount = 4; // 4 or 8
    bool colorLightmap = false;
};

class TextureLayers {
public:
    static constexpr int kDetailSlots = 8;
    static constexpr int kStoredDetailScales = 4; // only these go into the map file
    static constexpr int kPaintMaterials = 6;
    static constexpr int kDefaultLayerSize = 512;
    static constexpr float kDefaultDetailScale = 10.0f;

    // Registers the map keys in table (when given) and resets.
    explicit TextureLayers(PropertyTable* keys = nullptr);
    ~TextureLayers();
    TextureLayers(const TextureLayers&) = delete;
    TextureLayers& operator=(const TextureLayers&) = delete;

    // Map keys, in this order: "colorMapSize", "lightMapSize",
    // "detailMapSize", "detailScales", "shadowDist", "shadowFalloff",
    // "enableShadows", "lightMapBlur", "colorMode", "undergroundMaterial",
    // "detailtexture1".."detailtexture8", "paintMaterial1".."paintMaterial6".
    void registerKeys(PropertyTable& table);

    // The heightfield the layers cover (see TextureLayer::setGrid).
    void setGrid(int samples, int divisions);

    // Defaults; releases the four layers and the terrain program.
    void reset();
    void createForNewMap(const NewLayerParameters& params);
    // Reads the layer files of a map; layers that do not load are created
    // blank (white colour, detail 1 everywhere, flat light), except detail
    // mask 2, whose absence means four-detail mode. Sizes and detail scales
    // that would break the grid are replaced by defaults with a message.
    void loadForMap(const char* base);
    // Writes the layer files of a map; true when every file was written.
    // With a transaction, files go to their staged names (see
    // FileTransaction) and the first failure is recorded there.
    bool saveForMap(const char* base, FileTransaction* transaction = nullptr);
    // Layer files a save of base leaves behind that a later load would
    // wrongly read: detail mask 2 tiles when saving in four-detail mode.
    // Removes them; call after a successful save.
    void removeStaleFiles(const char* base) const;
    // Releases every layer and detail texture and loads them again from
    // the base path of the last load or save.
    void reloadForMap();
    // Puts a texture (or none) into detail slot 0..7; name is what the map
    // file stores. A texture clears the default-texture flag, none sets it.
    void setDetailTexture(int slot, GlTexture* texture, const char* name);
    void composeProgram();

    const String& basePath() const { return m_basePath; }

    // Fields, in the order of the map format's owner.
    int colorMapSize = 0;
    int detailMapSize = 0;
    int lightMapSize = 0;
    int passCount = 1;
    int currentPass = 0;
    float detailScales[kDetailSlots] = {};
    int detailCount = 4;
    TextureLayer colourMap{LayerFormat::Colour};
    TextureLayer detailMask1{LayerFormat::Mask};
    TextureLayer detailMask2{LayerFormat::Mask};
    Lightmap lightmap;
    int colorMode = 1;
    GlTexture* detailTextures[kDetailSlots] = {}; // owned by the resource cache
    String detailTextureNames[kDetailSlots];
    bool defaultTexture[kDetailSlots] = {};
    Material undergroundMaterial;
    std::unique_ptr<TerrainProgram> terrainProgram;
    // Copies of the lightmap's settings for the map file.
    float shadowDist = 40.0f;
    float shadowFalloff = 0.5f;
    bool enableShadows = true;
    bool eightDetails = false;
    float lightMapBlur = 0.5f;
    Material paintMaterials[kPaintMaterials];
    bool detailEnabled = true;
    bool colourEnabled = true;
    bool lightmapEnabled = true;
    bool colouredLightmap = false;
    // Linear magnification of the layer tiles ("Smooth Textures"); nearest
    // when off.
    bool smoothTextures = true;

private:
    void loadDefaultDetailTextures();
    int validLayerSize(int size, const char* key) const;
    void releaseLayers();

    String m_basePath;
};
