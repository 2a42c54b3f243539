#include "map/map_document.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "image/image.h"
#include "map/file_transaction.h"
#include "map/heightmap_io.h"
#include "map/map_paths.h"
#include "shared/program_folder.h"
#include "shared/status_text.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "texturing/texture_layers.h"

namespace {

MapDocument* g_current = nullptr;

struct FileCloser {
    void operator()(FILE* file) const
    {
        if (file) std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

void setError(String* error, const String& text)
{
    if (error) *error = text;
}

// While a document reads its file it is the current one, so the texture
// names in it resolve against its own folder; afterwards the previous one
// (the map still open in the editor) is current again.
class CurrentDocumentScope {
public:
    explicit CurrentDocumentScope(MapDocument* document) : m_previous(g_current) { g_current = document; }
    ~CurrentDocumentScope() { g_current = m_previous; }
    CurrentDocumentScope(const CurrentDocumentScope&) = delete;
    CurrentDocumentScope& operator=(const CurrentDocumentScope&) = delete;

private:
    MapDocument* m_previous;
};

}  // namespace

MapDocument* CurrentMapDocument() { return g_current; }

void SetCurrentMapDocument(MapDocument* document) { g_current = document; }

MapDocument::MapDocument(LightAndFog& lightAndFog, WaterSettings* water)
    : m_heightfield(std::make_unique<Heightfield>()), m_lightAndFog(lightAndFog), m_water(water)
{
    registerKeys();
    // The lightmap reads the map's light whenever it lights texels.
    layers().lightmap.setLightSource(m_lightAndFog.lightDirection, m_lightAndFog.ambient, m_lightAndFog.diffuse);
}

MapDocument::~MapDocument()
{
    if (g_current == this) g_current = nullptr;
}

TextureLayers& MapDocument::layers() { return m_heightfield->layers(); }
const TextureLayers& MapDocument::layers() const { return m_heightfield->layers(); }

void MapDocument::registerKeys()
{
    // The layer keys come first: the heightfield's texture layers register
    // them while the document is being built.
    layers().registerKeys(m_settings);
    PropertyTable& t = m_settings;
    t.registerEntry("mapname", PropertyKind::Text, &m_mapName);
    t.registerEntry("lightDirection", PropertyKind::Float3, m_lightAndFog.lightDirection);
    t.registerEntry("ambient", PropertyKind::Colour, m_lightAndFog.ambient);
    t.registerEntry("light", PropertyKind::Colour, m_lightAndFog.diffuse);
    t.registerEntry("mapHeight", PropertyKind::Float, &m_heightfield->heightScale);
    t.registerEntry("divisions", PropertyKind::Int, &m_heightfield->divisions);
    t.registerEntry("fog", PropertyKind::Bool, &m_lightAndFog.fogEnabled);
    t.registerEntry("fogNear", PropertyKind::Float, &m_lightAndFog.fogStart);
    t.registerEntry("fogFar", PropertyKind::Float, &m_lightAndFog.fogEnd);
    t.registerEntry("fogColor", PropertyKind::Colour, m_lightAndFog.fogColour);
    t.registerEntry("background", PropertyKind::MaterialKind, &m_lightAndFog.background);
    t.registerEntry("renderUnderGround", PropertyKind::Bool, &m_heightfield->renderUnderGround);
    t.registerEntry("underGroundStretch", PropertyKind::Bool, &m_heightfield->underGroundStretch);
    t.registerEntry("underGroundScale", PropertyKind::Float, &m_heightfield->underGroundScale);
    if (m_water) {
        t.registerEntry("waterEnable", PropertyKind::Bool, &m_water->enabled);
        t.registerEntry("waterHeight", PropertyKind::Float, &m_water->height);
        t.registerEntry("waterScale", PropertyKind::Float, &m_water->scale);
        t.registerEntry("waterOpacity", PropertyKind::Float, &m_water->opacity);
        t.registerEntry("waterDistortion", PropertyKind::Float, &m_water->distortion);
        t.registerEntry("waterRefraction", PropertyKind::Float, &m_water->refraction);
        t.registerEntry("waterSpeed", PropertyKind::Float, &m_water->speed);
        t.registerEntry("waterColor", PropertyKind::Colour, m_water->colour);
    }
    for (int face = 0; face < SkySettings::FaceCount; ++face)
        t.registerEntry(SkySettings::kFaceKeys[face], PropertyKind::MaterialKind, &m_sky.faces[face]);
}

bool MapDocument::NewMap(const NewMapParameters& params, String* error)
{
    CurrentDocumentScope current(this);
    m_mapName = params.name;
    m_lightAndFog.resetDefaults();
    if (m_water) m_water->resetDefaults();
    m_sky.resetDefaults();
    if (!m_heightfield->Create(params, error)) return false;
    m_cells = m_heightfield->size() - 1;
    m_folder = "";
    return true;
}

bool MapDocument::Load(const char* path, String* error)
{
    SystemSetStatusText("Loading Map");
    CurrentDocumentScope current(this);
    String folder;
    String fileName;
    SplitPath(path, folder, fileName);
    m_fileName = fileName;
    m_folder = AbsoluteFolder(folder.c_str(), ProgramFolder().c_str());
    m_mapName = MapNameFromFileName(fileName.c_str());

    String mapPath = m_folder;
    mapPath.append(m_fileName.c_str());
    changeToMapFolder();
    FilePtr file(std::fopen(mapPath.c_str(), "rb"));
    if (!file) {
        setError(error, String().format("Could not open the map file %s", mapPath.c_str()));
        return false;
    }

    m_heightfield->Reset();
    LineRecord objectLine;
    bool hasObjects = m_settings.readUntil(file.get(), "object", objectLine);
    String corrections = sanitizeLoadedValues();

    changeToMapFolder();
    String base = m_folder;
    base.append(m_mapName.c_str());
    String heightmapError;
    if (!m_heightfield->LoadHeightmap(base.c_str(), &heightmapError)) {
        setError(error, String().format("The map %s could not be loaded. %s", mapPath.c_str(), heightmapError.c_str()));
        return false;
    }
    m_cells = m_heightfield->size() - 1;

    if (hasObjects) readObjectEntries(file.get(), objectLine);
    if (!corrections.empty()) setError(error, corrections);
    SystemSetStatusText("Map Loaded");
    return true;
}

String MapDocument::sanitizeLoadedValues()
{
    String messages;
    auto note = [&](const char* text) {
        if (!messages.empty()) messages.append("\n");
        messages.append(text);
    };
    Heightfield& h = *m_heightfield;
    if (!(h.heightScale > 0.0f) || !std::isfinite(h.heightScale)) {
        note("mapHeight must be a positive number; using 65.");
        h.heightScale = Heightfield::kDefaultHeightScale;
    }
    if (h.divisions < 0 || h.divisions > Heightfield::kMaxDivisions) {
        note("divisions must be 0, 1 or 2; using 0.");
        h.divisions = 0;
    }
    TextureLayers& l = layers();
    int smallest = 2 << h.divisions;
    struct SizeKey {
        const char* key;
        int* value;
    } sizes[] = {{"colorMapSize", &l.colorMapSize}, {"lightMapSize", &l.lightMapSize},
                 {"detailMapSize", &l.detailMapSize}};
    for (const SizeKey& size : sizes) {
        // 0 means "not stored": the layers choose their default.
        if (*size.value == 0) continue;
        if (*size.value < smallest || *size.value > 4096) {
            note(String().format("%s %d is not usable; using 512.", size.key, *size.value).c_str());
            *size.value = 512;
        }
    }
    for (int slot = 0; slot < 4; ++slot) {
        if (!(l.detailScales[slot] > 0.0f) || !std::isfinite(l.detailScales[slot])) {
            note(String().format("detailScales value %d must be positive; using 10.", slot + 1).c_str());
            l.detailScales[slot] = 10.0f;
        }
    }
    return messages;
}

void MapDocument::readObjectEntries(FILE* file, const LineRecord& firstObjectLine)
{
    LineRecord record = firstObjectLine;
    bool haveObject = false;
    std::string line;
    for (;;) {
        if (record.key == "object") {
            std::string type = record.tokenCount > 0 ? record.tokens[0] : std::string();
            std::string unquoted;
            for (char c : type)
                if (c != '"') unquoted += c;
            haveObject = m_objectReader && m_objectReader->beginObject(unquoted.c_str());
        } else if (haveObject) {
            m_objectReader->applyLine(record);
        }
        do {
            if (!readWholeLine(file, line)) return;
        } while (!tokenizeLine(line, record));
    }
}

bool MapDocument::Save(const char* path, String* error)
{
    SystemSetStatusText("Saving Map");
    String folder;
    String fileName;
    SplitPath(path, folder, fileName);
    String newFolder = AbsoluteFolder(folder.c_str(), ProgramFolder().c_str());
    String newMapName = MapNameFromFileName(fileName.c_str());

    String mapPath = newFolder;
    mapPath.append(fileName.c_str());
    String base = newFolder;
    base.append(newMapName.c_str());

    // The map name written into the file must be the new one, but a
    // failed save must leave the document as it was.
    String previousName = m_mapName;
    m_mapName = newMapName;

    FileTransaction files;
    layers().saveForMap(base.c_str(), &files);
    String heightmapPath = base;
    heightmapPath.append(".png");
    if (!WriteHeightmapPicture16(*m_heightfield, files.stage(heightmapPath.c_str()).c_str()))
        files.fail(heightmapPath.c_str());

    std::string stagedMap = files.stage(mapPath.c_str());
    {
        FilePtr out(std::fopen(stagedMap.c_str(), "wb"));
        bool written = false;
        if (out) {
            m_settings.writeAll(out.get());
            written = std::fflush(out.get()) == 0 && !std::ferror(out.get());
            written = (std::fclose(out.release()) == 0) && written;
        }
        if (!written) files.fail(mapPath.c_str());
    }

    if (!files.commit()) {
        m_mapName = previousName;
        setError(error, String().format("Could not write %s; the map was not saved.", files.failedTarget().c_str()));
        SystemSetStatusText("Map not saved");
        return false;
    }
    layers().removeStaleFiles(base.c_str());
    m_folder = newFolder;
    m_fileName = fileName;
    changeToMapFolder();
    SystemSetStatusText("Map Saved");
    return true;
}

bool MapDocument::ReloadHeightmap(String* error)
{
    if (m_heightfield->empty()) return false;
    changeToMapFolder();
    String picture = m_folder;
    picture.append(m_mapName.c_str());
    picture.append(".png");
    return m_heightfield->ImportHeightmap(picture.c_str(), error);
}

String MapDocument::resolvePath(const char* path) const
{
    return ResolvePath(path, m_folder.c_str(), ProgramFolder().c_str());
}

String MapDocument::relativePath(const char* path) const
{
    return RelativePath(path, m_folder.c_str(), ProgramFolder().c_str());
}

bool MapDocument::changeToMapFolder(const char* subFolder) const
{
    String target = AbsoluteFolder(m_folder.c_str(), ProgramFolder().c_str());
    if (subFolder && *subFolder) target.append(subFolder);
    return chdir(target.c_str()) == 0;
}

String MapDocument::infoText() const
{
    String location = RelativePath(m_folder.c_str(), "", ProgramFolder().c_str());
    const TextureLayers& l = layers();
    int n = m_heightfield->size();
    return String().format("MapName: %s.map\nLocation: %s   \nTerrain Size: %dx%d\nTexture Splits: %d\n\n"
                           "Colormap Size: %dx%d\nDetailmap Size: %dx%d\nLightmap Size: %dx%d",
                           m_mapName.c_str(), location.c_str(), n, n, m_heightfield->divisions,
                           l.colorMapSize, l.colorMapSize, l.detailMapSize, l.detailMapSize, l.lightMapSize,
                           l.lightMapSize);
}
