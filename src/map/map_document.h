// MapDocument: the open map.
//
// Owns the heightfield (which owns the texture layers) and the sky box
// faces, keeps the PropertyTable of every map key, and implements New,
// Load and Save of the .map file with its companion pictures in the map
// folder: <name>.png (16-bit heights) and the layer tiles <name>_c, _d,
// _dd and _l.
//
// Saving is all or nothing: every file is written under a temporary name
// and renamed over the old one only when all were written, so a full disk
// or an unwritable picture never leaves a half-saved map.
#pragma once

#include <memory>

#include "map/property_table.h"
#include "map/scene_settings.h"
#include "shared/string.h"

class Heightfield;
class TextureLayers;
struct NewMapParameters;

// Receives the object entries that follow the keys of a map file.
class MapObjectReader {
public:
    virtual ~MapObjectReader() = default;
    // An "object" line: the following lines belong to an object of this
    // type. False when the type is unknown (its lines are then skipped).
    virtual bool beginObject(const char* typeName) = 0;
    virtual void applyLine(const LineRecord& line) = 0;
};

class MapDocument {
public:
    // lightAndFog belongs to the GL application, water to the water object
    // (none when there is no water object); the document only registers
    // and resets them.
    MapDocument(LightAndFog& lightAndFog, WaterSettings* water);
    ~MapDocument();
    MapDocument(const MapDocument&) = delete;
    MapDocument& operator=(const MapDocument&) = delete;

    bool NewMap(const NewMapParameters& params, String* error = nullptr);
    // Loads a .map file. False when the file cannot be opened, or when its
    // heightmap picture is missing or unusable (error says which file and
    // why); the caller then destroys the document.
    bool Load(const char* path, String* error = nullptr);
    // Writes the .map file and every companion picture. False, with the
    // file that could not be written in error, when anything failed; the
    // previous files are then untouched.
    bool Save(const char* path, String* error = nullptr);
    // Re-imports the map's own heightmap picture from the map folder.
    bool ReloadHeightmap(String* error = nullptr);

    // Path rules for textures and objects named in map files.
    String resolvePath(const char* path) const;
    String relativePath(const char* path) const;
    // chdir to the map folder (or a sub-folder of it).
    bool changeToMapFolder(const char* subFolder = nullptr) const;

    // The "Map Info" text.
    String infoText() const;

    Heightfield& heightfield() { return *m_heightfield; }
    const Heightfield& heightfield() const { return *m_heightfield; }
    TextureLayers& layers();
    const TextureLayers& layers() const;
    const PropertyTable& settings() const { return m_settings; }
    SkySettings& sky() { return m_sky; }
    LightAndFog& lightAndFog() { return m_lightAndFog; }

    const String& mapName() const { return m_mapName; }
    const String& fileName() const { return m_fileName; }
    const String& folder() const { return m_folder; }
    // New maps have no file until saved; the caller empties the file name.
    void clearFileName()
    {
        m_fileName = "";
        m_folder = "";
    }
    int cells() const { return m_cells; }

    void setObjectReader(MapObjectReader* reader) { m_objectReader = reader; }

private:
    void registerKeys();
    // Replaces values read from a file that would break the grid or divide
    // by zero; returns the messages for the user.
    String sanitizeLoadedValues();
    void readObjectEntries(FILE* file, const LineRecord& firstObjectLine);

    std::unique_ptr<Heightfield> m_heightfield;
    SkySettings m_sky;
    LightAndFog& m_lightAndFog;
    WaterSettings* m_water;
    String m_mapName = "untitled map";
    String m_fileName;
    String m_folder;
    PropertyTable m_settings{41};
    int m_cells = 0;
    MapObjectReader* m_objectReader = nullptr;
};

// The map open in the editor, or nullptr. The editor sets it when it
// replaces its document; a document is also current while it loads.
MapDocument* CurrentMapDocument();
void SetCurrentMapDocument(MapDocument* document);
