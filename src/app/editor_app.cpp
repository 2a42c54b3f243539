#include "app/editor_app.h"

#include <GL/gl.h>

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/file_commands.h"
#include "app/frame_timer.h"
#include "app/shell.h"
#include "app/splash.h"
#include "camera/camera.h"
#include "map/map_document.h"
#include "texturing/texture_layers.h"
#include "platform/main_window.h"
#include "platform/system_info.h"
#include "shared/program_folder.h"
#include "tools/tool_controller.h"

EditorApp::EditorApp() : m_fileCommands(std::make_unique<FileCommands>(*this))
{
    Camera& cam = camera();
    m_settings.add("map", mapPath);
    m_settings.add("fullscreen", Shell().fullscreen);
    m_settings.registerEntry("windowDimensions", PropertyKind::Int4, windowRect);
    m_settings.add("firstTime", firstTime);
    m_settings.add("key-Forward", cam.keyForward);
    m_settings.add("key-Backward", cam.keyBack);
    m_settings.add("key-Left", cam.keyLeft);
    m_settings.add("key-Right", cam.keyRight);
    m_settings.add("key-Up", cam.keyUp);
    m_settings.add("key-Down", cam.keyDown);
}

EditorApp::~EditorApp()
{
    saveSettings("Glebora.ini");
    hideSplash();
    m_toolController.reset();
    destroyDocument();
}

bool EditorApp::registerSetting(const char* name, PropertyKind kind, void* address)
{
    return m_settings.registerEntry(name, kind, address);
}

void EditorApp::createToolController()
{
    if (!m_toolController) m_toolController = std::make_unique<ToolController>(m_settings, camera());
}

bool EditorApp::canClose() { return !m_toolController || m_toolController->canClose(); }

bool EditorApp::init()
{
    GlApp::init();
    if (!mapPath.empty() && m_fileCommands->openStartupMap(mapPath.c_str())) return true;
    // Without a map the loop runs unthrottled and the splash goes at once.
    hideSplash();
    return false;
}

void EditorApp::update()
{
    GlApp::update();
    if (splashShown() && Timer().secondsSinceStart() >= 2.0) hideSplash();
    firstTime = Shell().keyControlsShown;
}

void EditorApp::render()
{
    setupGlState();
    GlApp::render();
    if (m_splash) m_splash->draw(viewWidth(), viewHeight());
}

void EditorApp::bindCommands()
{
    CommandList& commands = Commands();
    m_fileCommands->bind(commands);

    auto speed = [this](int id) {
        Camera& cam = camera();
        cam.speedFactor = id == cmd::CameraFast ? 1.5f : id == cmd::CameraSlow ? 0.5f : 1.0f;
        Commands().setChecked(cmd::CameraFast, id == cmd::CameraFast);
        Commands().setChecked(cmd::CameraNormal, id == cmd::CameraNormal);
        Commands().setChecked(cmd::CameraSlow, id == cmd::CameraSlow);
    };
    commands.bind(cmd::CameraFast, speed);
    commands.bind(cmd::CameraNormal, speed);
    commands.bind(cmd::CameraSlow, speed);
    float factor = camera().speedFactor;
    commands.setChecked(cmd::CameraFast, factor == 1.5f);
    commands.setChecked(cmd::CameraNormal, factor == 1.0f);
    commands.setChecked(cmd::CameraSlow, factor == 0.5f);

    auto toggle = [](bool& flag) {
        return [&flag](int id) {
            flag = !flag;
            Commands().setChecked(id, flag);
        };
    };
    Camera& cam = camera();
    commands.bind(cmd::StickToGround, toggle(cam.stickToGround));
    commands.bind(cmd::WasdKeys, toggle(cam.wasdMode));
    commands.bind(cmd::ReverseMouse, toggle(cam.reverseMouse));
    commands.setChecked(cmd::StickToGround, cam.stickToGround);
    commands.setChecked(cmd::WasdKeys, cam.wasdMode);
    commands.setChecked(cmd::ReverseMouse, cam.reverseMouse);
}

void EditorApp::showSplash()
{
    auto splash = std::make_unique<SplashPicture>();
    if (!splash->load()) return;
    m_splash = std::move(splash);
    // Shown at once: the rest of start-up blocks the loop.
    reshape(Shell().viewWidth, Shell().viewHeight);
    glClearColor(background.colour[0], background.colour[1], background.colour[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_splash->draw(viewWidth(), viewHeight());
    if (MainWindow* window = GetMainWindow()) window->swapBuffers();
}

void EditorApp::hideSplash() { m_splash.reset(); }

bool EditorApp::splashShown() const { return m_splash != nullptr; }

std::unique_ptr<MapDocument> EditorApp::makeDocument()
{
    auto document = std::make_unique<MapDocument>(*this, &water);
    document->layers().smoothTextures = smoothTextures;
    return document;
}

void EditorApp::replaceDocument(std::unique_ptr<MapDocument> document)
{
    m_document = std::move(document);
    SetCurrentMapDocument(m_document.get());
    started = false;
}

void EditorApp::destroyDocument()
{
    SetCurrentMapDocument(nullptr);
    m_document.reset();
    if (m_fileCommands) m_fileCommands->updateAvailability();
}

void EditorApp::clearUndoHistory()
{
    // The edit history arrives with the undo stack; until then there is
    // nothing to forget.
}

void EditorApp::reloadTextures()
{
    if (m_document) m_document->layers().reloadForMap();
}
