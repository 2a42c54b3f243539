#include "texturing/lightmap.h"

#include <algorithm>
#include <cstring>

Lightmap::Lightmap() : TextureLayer(LayerFormat::Lightmap) {}

uint8_t Lightmap::flatValue(int channel) const
{
    const LightSettings& light = lightSettings();
    const float d = std::max(0.0f, light.direction[1]);
    float value;
    if (m_bytesPerPixel == 3) {
        value = std::clamp(d * light.light[channel] + light.ambient[channel], 0.0f, 1.0f) * 255.0f;
    } else {
        value = std::min(255.0f, d * 255.0f * light.light[0] + 255.0f * light.ambient[0]);
    }
    // Truncation toward zero, as every float-to-byte conversion of the
    // lightmap; negative light settings give black rather than a wrap.
    return static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f));
}

void Lightmap::ResetFlat(int size, int bytesPerPixel)
{
    release();
    if (!layOut(size)) layOut(512);
    m_bytesPerPixel = bytesPerPixel == 3 ? 3 : 1;
    allocateTiles(0);
    uint8_t pixel[3] = {flatValue(0), flatValue(m_bytesPerPixel == 3 ? 1 : 0), flatValue(m_bytesPerPixel == 3 ? 2 : 0)};
    const size_t pixels = static_cast<size_t>(m_tileSize) * m_tileSize;
    for (int index = 0; index < m_tileCount; ++index) {
        uint8_t* out = tile(index);
        if (m_bytesPerPixel == 1) {
            std::memset(out, pixel[0], pixels);
        } else {
            for (size_t p = 0; p < pixels; ++p)
                std::memcpy(out + p * 3, pixel, 3);
        }
    }
    generateTextures();
    for (int index = 0; index < m_tileCount; ++index)
        uploadTile(index);
}

void Lightmap::uploadAndBlur(int index)
{
    uploadTile(index);
    if (lightMapBlur > 0.0f) GetTextureUploader().blurTexture(m_currentTexture, m_tileSize, lightMapBlur);
}

void Lightmap::rebuildTextures()
{
    deleteTextures();
    generateTextures();
    for (int index = 0; index < m_tileCount; ++index)
        uploadAndBlur(index);
}

bool Lightmap::save(FileTransaction* transaction)
{
    // Reading the blurred textures back (as older versions did) made every
    // save and load cycle blur the lightmap once more.
    return TextureLayer::save(transaction);
}
