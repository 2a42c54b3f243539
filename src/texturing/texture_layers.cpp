#include "texturing/texture_layers.h"

#include "map/property_table.h"
#include "shared/message_box.h"
#include "shared/progress_bar.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

// The path of slot's default detail texture, as map files store it.
String defaultDetailName(int slot)
{
    String name;
    name.format("[HOME]Data\\Textures\\default%d.tga", slot + 1);
    return name;
}

} // namespace

TextureLayers::TextureLayers(PropertyTable* keys)
{
    if (keys) registerKeys(*keys);
    reset();
}

TextureLayers::~TextureLayers() = default;

void TextureLayers::registerKeys(PropertyTable& table)
{
    table.add("colorMapSize", colorMapSize);
    table.add("lightMapSize", lightMapSize);
    table.add("detailMapSize", detailMapSize);
    table.registerEntry("detailScales", PropertyKind::Float4, detailScales);
    table.add("shadowDist", shadowDist);
    table.add("shadowFalloff", shadowFalloff);
    table.add("enableShadows", enableShadows);
    table.add("lightMapBlur", lightMapBlur);
    table.add("colorMode", colorMode);
    table.registerEntry("undergroundMaterial", PropertyKind::MaterialKind, &undergroundMaterial);
    char key[32];
    for (int slot = 0; slot < kDetailSlots; ++slot) {
        std::snprintf(key, sizeof key, "detailtexture%i", slot + 1);
        table.add(key, detailTextureNames[slot]);
    }
    for (int index = 0; index < kPaintMaterials; ++index) {
        std::snprintf(key, sizeof key, "paintMaterial%i", index + 1);
        table.registerEntry(key, PropertyKind::MaterialKind, &paintMaterials[index]);
    }
}

void TextureLayers::setGrid(int samples, int divisions)
{
    colourMap.setGrid(samples, divisions);
    detailMask1.setGrid(samples, divisions);
    detailMask2.setGrid(samples, divisions);
    lightmap.setGrid(samples, divisions);
}

void TextureLayers::releaseLayers()
{
    colourMap.release();
    detailMask1.release();
    detailMask2.release();
    lightmap.release();
}

void TextureLayers::reset()
{
    colorMapSize = 0;
    detailMapSize = 0;
    lightMapSize = 0;
    passCount = 1;
    currentPass = 0;
    for (float& scale : detailScales)
        scale = kDefaultDetailScale;
    detailCount = 4;
    releaseLayers();
    colorMode = 1;
    for (int slot = 0; slot < kDetailSlots; ++slot) {
        detailTextures[slot] = nullptr;
        detailTextureNames[slot] = "";
        defaultTexture[slot] = false;
    }
    undergroundMaterial = Material(0.8f, 0.8f, 0.8f, 1.0f);
    terrainProgram.reset();
    shadowDist = 40.0f;
    shadowFalloff = 0.5f;
    enableShadows = true;
    eightDetails = false;
    lightMapBlur = 0.5f;
    for (Material& material : paintMaterials)
        material = Material();
    detailEnabled = true;
    colourEnabled = true;
    lightmapEnabled = true;
    colouredLightmap = false;
    m_basePath = "";
}

int TextureLayers::validLayerSize(int size, const char* key) const
{
    // Tiles must be at least 2 x 2 pixels, and no layer is larger than the
    // biggest texture the program makes.
    const int smallest = 2 << lightmap.divisions();
    if (size >= smallest && size <= TextureLayer::kMaxLayerSize) return size;
    char text[160];
    std::snprintf(text, sizeof text, "The map's %s of %d is not usable (%d to %d); %d is used instead.", key, size,
                  smallest, TextureLayer::kMaxLayerSize, kDefaultLayerSize);
    ShowMessageBox("Map", text, MessageIcon::Warning);
    return kDefaultLayerSize;
}

void TextureLayers::createForNewMap(const NewLayerParameters& params)
{
    reset();
    detailEnabled = true;
    colourEnabled = true;
    lightmapEnabled = true;
    enableShadows = true;
    colouredLightmap = params.colorLightmap;
    colorMapSize = validLayerSize(params.colorMapSize, "colorMapSize");
    detailMapSize = validLayerSize(params.detailMapSize, "detailMapSize");
    lightMapSize = validLayerSize(params.lightMapSize, "lightMapSize");
    eightDetails = params.detailCount == 8;
    detailCount = eightDetails ? 8 : 4;

    loadDefaultDetailTextures();

    terrainProgram = MakeTerrainProgram();
    composeProgram();

    for (int slot = 0; slot < 4; ++slot) {
        detailScales[slot] = kDefaultDetailScale;
        defaultTexture[slot] = true;
    }

    lightmap.lightMapBlur = lightMapBlur;
    lightmap.shadowDist = shadowDist;
    lightmap.shadowFalloff = shadowFalloff;
    lightmap.enableShadows = enableShadows;
    lightmap.ResetFlat(lightMapSize, colouredLightmap ? 3 : 1);
    ProgressBar_Set(25.0f);

    colourMap.create(colorMapSize, 3);
    ProgressBar_Set(50.0f);

    // Detail texture 1 at full weight everywhere, the others at none.
    detailMask1.create(detailMapSize, 4);
    detailMask1.fill(255);
    if (eightDetails) {
        detailMask2.create(detailMapSize, 4);
        detailMask2.fill(0);
    }
    ProgressBar_Set(75.0f);
}

void TextureLayers::loadDefaultDetailTextures()
{
    for (int slot = 0; slot < detailCount; ++slot) {
        if (detailTextures[slot]) continue;
        String name = defaultDetailName(slot);
        GlTexture* texture = LoadMaterialTexture(name.c_str());
        defaultTexture[slot] = true;
        if (!texture) return; // the later defaults are missing as well
        detailTextures[slot] = texture;
        detailTextureNames[slot] = name;
    }
}

void TextureLayers::loadForMap(const char* base)
{
    const std::string path(base ? base : "");
    m_basePath = path.c_str();
    detailEnabled = true;
    colourEnabled = true;
    lightmapEnabled = true;
    eightDetails = false;
    colouredLightmap = false;
    if (!terrainProgram) terrainProgram = MakeTerrainProgram();

    if (detailMapSize == 0) detailMapSize = kDefaultLayerSize;
    detailMapSize = validLayerSize(detailMapSize, "detailMapSize");
    if (colorMapSize != 0) colorMapSize = validLayerSize(colorMapSize, "colorMapSize");
    if (lightMapSize != 0) lightMapSize = validLayerSize(lightMapSize, "lightMapSize");
    for (int slot = 0; slot < kDetailSlots; ++slot) {
        // Only four scales are stored; a scale that is not positive would
        // divide by zero in the texture coordinates.
        if (slot >= kStoredDetailScales) {
            detailScales[slot] = kDefaultDetailScale;
        } else if (!(detailScales[slot] > 0.0f) || !std::isfinite(detailScales[slot])) {
            char text[128];
            std::snprintf(text, sizeof text, "The map's detail scale %d is not usable; %g is used instead.", slot + 1,
                          static_cast<double>(kDefaultDetailScale));
            ShowMessageBox("Map", text, MessageIcon::Warning);
            detailScales[slot] = kDefaultDetailScale;
        }
    }

    if (colorMapSize == 0 || !colourMap.load((path + "_c").c_str(), colorMapSize)) {
        if (colorMapSize == 0) colorMapSize = kDefaultLayerSize;
        colourMap.create(colorMapSize, 3);
    }
    ProgressBar_Set(25.0f);

    if (!detailMask1.load((path + "_d").c_str(), detailMapSize)) {
        detailMask1.create(detailMapSize, 4);
        detailMask1.fill(255);
    }
    eightDetails = detailMask2.load((path + "_dd").c_str(), detailMapSize);
    ProgressBar_Set(50.0f);

    if (lightMapSize == 0 || !lightmap.load((path + "_l").c_str(), lightMapSize)) {
        if (lightMapSize == 0) lightMapSize = kDefaultLayerSize;
        lightmap.ResetFlat(lightMapSize, 1);
    }
    colouredLightmap = lightmap.bytesPerPixel() == 3;
    ProgressBar_Set(75.0f);

    lightmap.shadowDist = shadowDist;
    lightmap.shadowFalloff = shadowFalloff;
    lightmap.enableShadows = enableShadows;
    lightmap.lightMapBlur = lightMapBlur;

    for (int slot = 0; slot < kDetailSlots; ++slot) {
        const String& name = detailTextureNames[slot];
        detailTextures[slot] = name.empty() ? nullptr : LoadMaterialTexture(name.c_str());
        // A default texture the map file names is still no choice of the user.
        defaultTexture[slot] = !detailTextures[slot] || name == defaultDetailName(slot);
    }

    composeProgram();
    detailCount = eightDetails ? 8 : 4;
    loadDefaultDetailTextures();
}

bool TextureLayers::saveForMap(const char* base, FileTransaction* transaction)
{
    shadowDist = lightmap.shadowDist;
    shadowFalloff = lightmap.shadowFalloff;
    enableShadows = lightmap.enableShadows;
    lightMapBlur = lightmap.lightMapBlur;

    const std::string path(base ? base : "");
    m_basePath = path.c_str();
    bool written = true;
    lightmap.setFileName((path + "_l").c_str());
    written &= lightmap.save(transaction);
    ProgressBar_Set(25.0f);
    colourMap.setFileName((path + "_c").c_str());
    written &= colourMap.save(transaction);
    ProgressBar_Set(50.0f);
    detailMask1.setFileName((path + "_d").c_str());
    written &= detailMask1.save(transaction);
    if (eightDetails && detailMask2.hasTiles()) {
        detailMask2.setFileName((path + "_dd").c_str());
        written &= detailMask2.save(transaction);
    }
    ProgressBar_Set(75.0f);
    return written;
}

void TextureLayers::removeStaleFiles(const char* base) const
{
    if (eightDetails && detailMask2.hasTiles()) return;
    // A map that was once saved in eight-detail mode under this name would
    // otherwise reload in eight-detail mode with the old second mask.
    const std::string stem = std::string(base ? base : "") + "_dd";
    std::remove((stem + ".png").c_str());
    for (int index = 0; index < 16; ++index)
        std::remove((stem + std::to_string(index) + ".png").c_str());
}

void TextureLayers::reloadForMap()
{
    // A map that was never saved has no files: reloading would blank every
    // layer and lose the painting.
    if (m_basePath.empty()) return;
    releaseLayers();
    for (GlTexture*& texture : detailTextures)
        texture = nullptr;
    String base = m_basePath;
    loadForMap(base.c_str());
}

void TextureLayers::setDetailTexture(int slot, GlTexture* texture, const char* name)
{
    if (slot < 0 || slot >= kDetailSlots) return;
    detailTextures[slot] = texture;
    detailTextureNames[slot] = texture && name ? name : "";
    defaultTexture[slot] = texture == nullptr;
}

void TextureLayers::composeProgram()
{
    if (terrainProgram) terrainProgram->compose(*this);
}
