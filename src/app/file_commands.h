// The map commands of the File, Import, Export and Utility menus: New,
// Load, Save, Save As, Map Info, Explore, Smooth Textures, Reload
// Textures, Reload Heightmap, heightmap import and export, the start-up
// map and maps dropped on the window.
//
// Every command that replaces the open map asks the save-changes prompt
// first and goes on only when it allows; commands that need a map are
// greyed out while none is open.
#pragma once

#include "shared/string.h"

class CommandList;
class EditorApp;

class FileCommands {
public:
    explicit FileCommands(EditorApp& app) : m_app(app) {}

    void bind(CommandList& commands);
    // Greys out the commands that need a map when none is open.
    void updateAvailability();

    // Opens the map named by the `map` setting; false (status text "Map
    // failed to load", no map open) when it does not load.
    bool openStartupMap(const char* path);
    // A dropped ".map" file replaces the open map when the prompt allows;
    // the open map stays when the dropped one fails to load.
    void openDroppedFile(const char* path);

    void newMap();
    void loadMap();
    // Save under the current name, or Save As for a map never saved. True
    // when the map was written.
    bool save();
    bool saveAs();
    void showMapInfo();
    void explore();
    void toggleSmoothTextures(int id);
    void reloadTextures();
    void reloadHeightmap();
    void importHeightmap();
    void exportHeightmap();

private:
    // Loads path into a fresh document; the open document is replaced only
    // on success.
    bool loadInto(const char* path, bool reportFailure);
    void afterMapChange();
    void setTitleForMap();
    void setModified(bool modified);

    EditorApp& m_app;
};
