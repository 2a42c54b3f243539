// EditorApp: the one application object of the editor.
//
// It owns the settings table (Glebora.ini), the tool-window manager and
// the editor's per-frame state, and runs the start-up steps that follow
// window creation (init) and the frame's update and render.
#pragma once

#include <memory>

#include "app/gl_app.h"
#include "map/property_table.h"
#include "map/scene_settings.h"

class FileCommands;
class MapDocument;
class ToolController;
class SplashPicture;
class RenderTarget;
class GlSceneDrawer;

class EditorApp : public GlApp {
public:
    EditorApp();
    ~EditorApp() override;

    bool init() override;
    void update() override;
    void render() override;
    bool canClose() override;

    // Adds one entry to the settings table; the first registration of a
    // name wins.
    bool registerSetting(const char* name, PropertyKind kind, void* address);
    // Creates the tool-window manager, which registers its settings, when
    // none exists yet.
    void createToolController();
    ToolController* toolController() { return m_toolController.get(); }

    // Reads Glebora.ini from the program folder; a missing or unreadable
    // file leaves every setting at its default. Values that make no sense
    // are replaced by their defaults.
    bool loadSettings(const char* fileName);
    // Writes every setting in registration order; false when the file
    // cannot be written (nothing is written then).
    bool saveSettings(const char* fileName);

    // Binds the menu commands this application handles.
    void bindCommands();

    // The statistics text, drawn over the view inside the user-interface frame.
    void drawOverlayText();
    // The key-controls picture over the whole view (F1).
    void drawKeyControls();

    // The splash picture lives until the first update 2 seconds after start.
    void showSplash();
    void hideSplash();
    bool splashShown() const;

    PropertyTable& settings() { return m_settings; }

    // The open map, or nullptr.
    MapDocument* document() { return m_document.get(); }
    // A document bound to this application's light, fog and water values,
    // not yet open; replaceDocument makes it the open map.
    std::unique_ptr<MapDocument> makeDocument();
    void replaceDocument(std::unique_ptr<MapDocument> document);
    void destroyDocument();
    FileCommands& fileCommands() { return *m_fileCommands; }
    // Forgets the edit history (New, Load, imports).
    void clearUndoHistory();
    // Reloads every texture of the open map from its files.
    void reloadTextures();

    // Until the water object exists its map values live here, so maps
    // keep them from load to save.
    WaterSettings water;
    bool smoothTextures = true;

    float statsPickedPoint[3] = {-1.0f, -1.0f, -1.0f};
    bool started = false;
    bool brushCursorVisible = false;
    float pulse = 0.0f;
    String mapPath;
    int windowRect[4] = {0, 0, 640, 480};
    bool firstTime = true;
    float pickedPoint[3] = {-1.0f, -1.0f, -1.0f};
    bool cursorOnTerrain = false;
    bool multisampleChangeRequested = false;

    // The two render targets image filtering uses (created by init).
    RenderTarget* blurTarget(int index) { return index >= 0 && index < 2 ? m_blurTargets[index].get() : nullptr; }

private:
    PropertyTable m_settings{41};
    std::unique_ptr<RenderTarget> m_blurTargets[2];
    std::unique_ptr<GlSceneDrawer> m_sceneDrawer;
    std::unique_ptr<ToolController> m_toolController;
    std::unique_ptr<SplashPicture> m_splash;
    std::unique_ptr<MapDocument> m_document;
    std::unique_ptr<FileCommands> m_fileCommands;
};
