// Lightmap: the texture layer of baked lighting, one grey byte or one RGB
// triple per texel.
//
// The tiles, their shared borders and the heightfield mapping are those of
// TextureLayer. The lightmap adds its settings (map keys of the same names)
// and the flat reset used for new maps and as the fallback when no
// lightmap picture loads. Its textures are blurred for display after every
// upload while lightMapBlur > 0; the memory copy stays sharp and is what
// gets saved, so saving and loading never blurs the map a second time.
//
// Whole-map and region generation (normals, lambert values, shadow rays)
// build on uploadAndBlur and on the texel mapping of TextureLayer.
#pragma once

#include "texturing/light_settings.h"
#include "texturing/texture_layer.h"

class Lightmap : public TextureLayer {
public:
    Lightmap();

    // The light to compute with; not owned. Without one, the defaults of a
    // new map are used.
    void setLightSettings(const LightSettings* light) { m_light = light; }
    const LightSettings& lightSettings() const { return m_light ? *m_light : m_defaultLight; }

    // Tiles for a requested size laid out as create does, every texel the
    // brightness of level ground under the light; uploaded, not blurred.
    // bytesPerPixel is 1 (grey) or 3 (colour).
    void ResetFlat(int size, int bytesPerPixel);
    // The flat-ground value of channel 0..2 (grey mode: channel 0).
    uint8_t flatValue(int channel) const;

    void rebuildTextures() override;
    // Writes the tiles as they are in memory: the unblurred light, not the
    // blurred textures.
    bool save(FileTransaction* transaction = nullptr) override;

    // Uploads tile index and blurs its texture when lightMapBlur > 0.
    void uploadAndBlur(int index);

    float lightMapBlur = 0.5f;
    float shadowDist = 40.0f;
    float shadowFalloff = 0.5f;
    bool enableShadows = true;
    float lastUpdateSeconds = 0.0f;

private:
    const LightSettings* m_light = nullptr;
    LightSettings m_defaultLight;
};
