// The "New" map dialog: its choices, the rules that link them, and the
// modal dialog that shows them.
#pragma once

#include <string>

#include "terrain/new_map_parameters.h"

class NewMapChoices {
public:
    static constexpr int kMapSizes = 7;  // 65 .. 4097
    // Texture sizes offered: 128, 256, 512 always, and 1024, 2048, 4096
    // only when the GL maximum texture size reaches them.
    NewMapChoices(int maxTextureSize, int textureUnits);

    int textureSizesOffered() const { return m_textureSizesOffered; }

    // Choosing a map size also sets the three texture sizes to the index
    // of the map size minus one, kept within 0..3 and within the offer.
    void chooseMapSize(int index);
    void chooseTextureSize(int layer, int index);  // layer 0 colour, 1 detail, 2 light
    // Eight detail textures on hardware with fewer than 12 texture units
    // shows a note; four clears it.
    void chooseDetailCount(int index);
    void chooseSplitting(int index);
    void chooseRgbLightmap(bool yes) { m_rgbLightmap = yes; }

    int mapSizeIndex() const { return m_mapSize; }
    int textureSizeIndex(int layer) const { return m_texture[layer]; }
    int detailCountIndex() const { return m_detailCount; }
    int splittingIndex() const { return m_splitting; }
    bool rgbLightmap() const { return m_rgbLightmap; }
    const std::string& note() const { return m_note; }

    // Name "untitled map", no source picture.
    NewMapParameters parameters() const;

private:
    int clampTexture(int index) const;

    int m_textureSizesOffered;
    int m_textureUnits;
    int m_mapSize = 3;
    int m_texture[3];
    int m_detailCount = 0;
    int m_splitting = 0;
    bool m_rgbLightmap = false;
    std::string m_note;
};

// Shows the dialog; true with the parameters on OK, false on Cancel.
bool ShowNewMapDialog(int maxTextureSize, int textureUnits, NewMapParameters& params);
