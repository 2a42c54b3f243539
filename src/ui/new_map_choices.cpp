#include "ui/new_map_dialog.h"

#include <algorithm>

NewMapChoices::NewMapChoices(int maxTextureSize, int textureUnits) : m_textureUnits(textureUnits)
{
    m_textureSizesOffered = 3;
    for (int size = 1024; size <= 4096 && maxTextureSize >= size; size *= 2) ++m_textureSizesOffered;
    int initial = m_textureSizesOffered > 3 ? 2 : 1;
    for (int& texture : m_texture) texture = initial;
}

int NewMapChoices::clampTexture(int index) const { return std::clamp(index, 0, std::min(3, m_textureSizesOffered - 1)); }

void NewMapChoices::chooseMapSize(int index)
{
    m_mapSize = std::clamp(index, 0, kMapSizes - 1);
    for (int& texture : m_texture) texture = clampTexture(m_mapSize - 1);
}

void NewMapChoices::chooseTextureSize(int layer, int index)
{
    if (layer < 0 || layer > 2) return;
    m_texture[layer] = std::clamp(index, 0, m_textureSizesOffered - 1);
}

void NewMapChoices::chooseDetailCount(int index)
{
    m_detailCount = index == 1 ? 1 : 0;
    m_note = m_detailCount == 1 && m_textureUnits < 12 ? "Hardware may not support 8 detail textures" : "";
}

void NewMapChoices::chooseSplitting(int index) { m_splitting = std::clamp(index, 0, 2); }

NewMapParameters NewMapChoices::parameters() const
{
    NewMapParameters params;
    params.name = "untitled map";
    params.size = (64 << m_mapSize) + 1;
    params.colorMapSize = 128 << m_texture[0];
    params.detailMapSize = 128 << m_texture[1];
    params.lightMapSize = 128 << m_texture[2];
    params.divisions = m_splitting;
    params.detailCount = m_detailCount * 4 + 4;
    params.colorLightmap = m_rgbLightmap;
    params.source = nullptr;
    return params;
}
