#include "app/file_commands.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <cstring>
#include <memory>

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/editor_app.h"
#include "app/version.h"
#include "map/heightmap_io.h"
#include "map/map_document.h"
#include "map/map_paths.h"
#include "platform/system_info.h"
#include "shared/message_box.h"
#include "shared/program_folder.h"
#include "shared/status_text.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "texturing/texture_layers.h"
#include "tools/tool_controller.h"
#include "ui/file_dialog.h"
#include "ui/new_map_dialog.h"

namespace {

const int kMapCommands[] = {cmd::Save, cmd::SaveAs, cmd::MapInfo, cmd::ReloadHeightmap, cmd::ImportHeightmap,
                            cmd::ExportHeightmap, cmd::ReloadTextures};

FileFilter mapFilter() { return MakeFileFilter("Map Files (*.map)", "*.map"); }


int glInteger(GLenum name, int fallback)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return glGetError() == GL_NO_ERROR && value > 0 ? value : fallback;
}

}  // namespace

void FileCommands::bind(CommandList& commands)
{
    commands.bind(cmd::New, [this](int) { newMap(); });
    commands.bind(cmd::Load, [this](int) { loadMap(); });
    commands.bind(cmd::Save, [this](int) { save(); });
    commands.bind(cmd::SaveAs, [this](int) { saveAs(); });
    commands.bind(cmd::MapInfo, [this](int) { showMapInfo(); });
    commands.bind(cmd::Explore, [this](int) { explore(); });
    commands.bind(cmd::SmoothTextures, [this](int id) { toggleSmoothTextures(id); });
    commands.bind(cmd::ReloadTextures, [this](int) { reloadTextures(); });
    commands.bind(cmd::ReloadHeightmap, [this](int) { reloadHeightmap(); });
    commands.bind(cmd::ImportHeightmap, [this](int) { importHeightmap(); });
    commands.bind(cmd::ExportHeightmap, [this](int) { exportHeightmap(); });
    commands.setChecked(cmd::SmoothTextures, true);
    if (ToolController* tools = m_app.toolController()) tools->saveMap = [this] { save(); };
    updateAvailability();
}

void FileCommands::updateAvailability()
{
    bool open = m_app.document() != nullptr;
    for (int id : kMapCommands) Commands().setAvailable(id, open);
}

void FileCommands::setModified(bool modified)
{
    if (ToolController* tools = m_app.toolController()) tools->mapModified = modified;
}

void FileCommands::setTitleForMap()
{
    MapDocument* document = m_app.document();
    String title(kProgramTitle);
    if (!document || document->fileName().empty()) {
        title.append("  unsaved map");
    } else {
        title.append(" [");
        title.append(document->fileName().c_str());
        title.append("]");
    }
    m_app.setTitle(title.c_str());
}

void FileCommands::afterMapChange()
{
    m_app.clearUndoHistory();
    updateAvailability();
}

bool FileCommands::loadInto(const char* path, bool reportFailure)
{
    String fullPath(path);
    if (!std::strstr(path, ".map")) fullPath.append(".map");
    std::unique_ptr<MapDocument> document = m_app.makeDocument();
    String error;
    bool loaded = document->Load(fullPath.c_str(), &error);
    if (!loaded) {
        if (reportFailure) ShowErrorBox("%s", error.empty() ? "The map could not be loaded." : error.c_str());
        return false;
    }
    // Values the loader had to replace are worth a word to the user.
    if (!error.empty()) ShowMessageBox("Map Info", error.c_str(), MessageIcon::Warning);
    m_app.replaceDocument(std::move(document));
    setModified(false);
    setTitleForMap();
    afterMapChange();
    return true;
}

bool FileCommands::openStartupMap(const char* path)
{
    if (!path || !*path) return false;
    String resolved = ResolvePath(path, ProgramFolder().c_str(), ProgramFolder().c_str());
    if (loadInto(resolved.c_str(), false)) return true;
    SystemSetStatusText("Map failed to load");
    return false;
}

void FileCommands::openDroppedFile(const char* path)
{
    if (!path || !HasExtension(path, ".map")) return;
    if (!m_app.canClose()) return;
    loadInto(path, true);
}

void FileCommands::newMap()
{
    if (!m_app.canClose()) return;
    NewMapParameters params;
    int maxTexture = glInteger(GL_MAX_TEXTURE_SIZE, 1024);
    int units = glInteger(GL_MAX_TEXTURE_UNITS, 4);
    if (!ShowNewMapDialog(maxTexture, units, params)) return;
    std::unique_ptr<MapDocument> document = m_app.makeDocument();
    String error;
    if (!document->NewMap(params, &error)) {
        ShowErrorBox("The new map could not be created. %s", error.c_str());
        return;
    }
    document->clearFileName();
    m_app.replaceDocument(std::move(document));
    setModified(false);
    setTitleForMap();
    afterMapChange();
}

void FileCommands::loadMap()
{
    if (!m_app.canClose()) return;
    MapDocument* open = m_app.document();
    String start = open && !open->folder().empty() ? open->folder() : ProgramFolder();
    String chosen;
    if (!ShowOpenFileDialog(mapFilter(), start.c_str(), chosen)) return;
    loadInto(chosen.c_str(), true);
}

bool FileCommands::save()
{
    MapDocument* document = m_app.document();
    if (!document) return false;
    if (document->folder().empty()) return saveAs();
    String path = document->folder();
    path.append(document->fileName().c_str());
    String error;
    if (!document->Save(path.c_str(), &error)) {
        ShowErrorBox("%s", error.c_str());
        return false;
    }
    setTitleForMap();
    setModified(false);
    return true;
}

bool FileCommands::saveAs()
{
    MapDocument* document = m_app.document();
    if (!document) return false;
    String start = document->folder();
    if (start.empty()) {
        start = ProgramFolder();
        start.append("Maps/");
    }
    String proposed = document->fileName().empty() ? document->mapName() : document->fileName();
    String chosen;
    if (!ShowSaveFileDialog(mapFilter(), start.c_str(), proposed.c_str(), chosen)) return false;
    if (!HasExtension(chosen.c_str(), ".map")) chosen.append(".map");
    String error;
    if (!document->Save(chosen.c_str(), &error)) {
        ShowErrorBox("%s", error.c_str());
        return false;
    }
    setTitleForMap();
    setModified(false);
    return true;
}

void FileCommands::showMapInfo()
{
    if (MapDocument* document = m_app.document())
        ShowMessageBox("Map Info", document->infoText().c_str(), MessageIcon::Information);
}

void FileCommands::explore()
{
    MapDocument* document = m_app.document();
    String folder = document && !document->folder().empty() ? document->folder() : ProgramFolder();
    OpenFolderInBrowser(folder.c_str());
}

void FileCommands::toggleSmoothTextures(int id)
{
    bool smooth = !Commands().isChecked(id);
    Commands().setChecked(id, smooth);
    m_app.smoothTextures = smooth;
    if (MapDocument* document = m_app.document()) document->layers().smoothTextures = smooth;
}

void FileCommands::reloadTextures()
{
    MapDocument* document = m_app.document();
    if (!document) return;
    m_app.reloadTextures();
}

void FileCommands::reloadHeightmap()
{
    MapDocument* document = m_app.document();
    if (!document) return;
    String error;
    if (!document->ReloadHeightmap(&error)) {
        ShowErrorBox("The heightmap could not be reloaded. %s", error.c_str());
        return;
    }
    setModified(true);
    m_app.clearUndoHistory();
}

void FileCommands::importHeightmap()
{
    MapDocument* document = m_app.document();
    if (!document) return;
    String chosen;
    FileFilter images = MakeFileFilter("Images (*.tga;*.bmp,*.png)", "*.tga;*.bmp;*.png;");
    if (!ShowOpenFileDialog(images, document->folder().empty() ? ProgramFolder().c_str() : document->folder().c_str(),
                            chosen))
        return;
    String error;
    if (!document->heightfield().ImportHeightmap(chosen.c_str(), &error)) {
        ShowErrorBox("The heightmap could not be imported. %s", error.c_str());
        return;
    }
    setModified(true);
    m_app.clearUndoHistory();
}

void FileCommands::exportHeightmap()
{
    MapDocument* document = m_app.document();
    if (!document) return;
    FileFilter png = MakeFileFilter("PNG image (.png)", "*.png;");
    // A name typed without extension becomes an 8-bit TGA.
    png.defaultExtension = "tga";
    String chosen;
    if (!ShowSaveFileDialog(png, ProgramFolder().c_str(), "", chosen)) return;
    String error;
    if (!ExportHeightmap(document->heightfield(), chosen.c_str(), &error)) ShowErrorBox("%s", error.c_str());
}
