// Glebora.ini: reading and writing the settings table.
#include <cctype>
#include <cstdio>

#include "app/editor_app.h"

#include "map/map_document.h"
#include "app/shell.h"
#include "camera/camera.h"
#include "platform/system_info.h"
#include "shared/program_folder.h"
#include "shared/status_text.h"
#include "tools/tool_controller.h"

namespace {

// "key-Forward e" means the E key: lower-case letters would otherwise be
// the codes of numeric-pad and function keys.
void normaliseKey(char& key, char fallback)
{
    unsigned char c = static_cast<unsigned char>(key);
    if (c >= 'a' && c <= 'z') key = static_cast<char>(std::toupper(c));
    if (c == 0) key = fallback;
}

}  // namespace

bool EditorApp::loadSettings(const char* fileName)
{
    ChangeToProgramFolder();
    // A missing file leaves the defaults, which still get the rules below
    // (a first run shows the key-controls picture).
    FILE* file = std::fopen(fileName, "rb");
    bool found = file != nullptr;
    if (file) {
        m_settings.readAll(file);
        std::fclose(file);
    }

    ShellState& shell = Shell();
    if (WindowRectUsable(windowRect, ScreenBounds())) {
        shell.windowX = windowRect[0];
        shell.windowY = windowRect[1];
        shell.viewWidth = windowRect[2] - windowRect[0];
        shell.viewHeight = windowRect[3] - windowRect[1];
    }
    if (firstTime) shell.keyControlsShown = true;

    Camera& cam = camera();
    normaliseKey(cam.keyForward, 'E');
    normaliseKey(cam.keyBack, 'D');
    normaliseKey(cam.keyLeft, 'S');
    normaliseKey(cam.keyRight, 'F');
    normaliseKey(cam.keyUp, 'A');
    normaliseKey(cam.keyDown, 'Z');
    if (m_toolController) m_toolController->sanitizeSettings();
    return found;
}

bool EditorApp::saveSettings(const char* fileName)
{
    ChangeToProgramFolder();
    // Written to a temporary name and renamed over the old file only when
    // complete, so a full disk cannot leave a truncated Glebora.ini behind.
    String temporary(fileName);
    temporary += ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    SystemSetStatusText("saving settings");
    if (!file) return false;

    // A map never saved has no file yet: `map` then keeps its value.
    if (m_document && !m_document->fileName().empty())
        mapPath = MapPathForSettings(m_document->folder().c_str(), m_document->fileName().c_str(),
                                     ProgramFolder().c_str());
    const ShellState& shell = Shell();
    WindowRectFromGeometry(shell.windowX, shell.windowY, shell.viewWidth, shell.viewHeight, windowRect);

    m_settings.writeAll(file);
    bool written = std::ferror(file) == 0;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), fileName) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
