#include "app/editor_app.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/file_commands.h"
#include "app/frame_timer.h"
#include "app/shell.h"
#include "app/splash.h"
#include "camera/camera.h"
#include "map/map_document.h"
#include "texturing/texture_layers.h"
#include "objects/scene_draw_gl.h"
#include "platform/main_window.h"
#include "platform/system_info.h"
#include "render/gl_caps.h"
#include "render/render_target.h"
#include "render/resource_cache.h"
#include "shared/input_state.h"
#include "shared/message_box.h"
#include "shared/program_folder.h"
#include "texturing/gl_texture_uploader.h"
#include "tools/tool_controller.h"
#include "tools/undo_stack.h"
#include "ui/main_menu_bar.h"

#include <imgui.h>

namespace {

constexpr const char* kKeyControlsPicture = "data//textures//keyControls.png";

}  // namespace

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
    for (auto& target : m_blurTargets) target.reset();
    hideSplash();
    SetUndoMenuSource(nullptr);
    m_toolController.reset();
    if (m_sceneDrawer && GetSceneDrawer() == m_sceneDrawer.get()) SetSceneDrawer(nullptr);
    destroyDocument();
    // After the document, whose layer textures go through the uploader.
    RemoveGlTextureUploader();
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

    MainWindow* window = GetMainWindow();
    LoadExtensions(window ? window->samples() : 0);
    const GlCaps& caps = Caps();
    if (!caps.programs) {
        char text[1024];
        std::snprintf(text, sizeof text,
                      "No hardware vertex/pixel shaders detected, you either have old/unsupported \n"
                      "hardware or you dont't have the latest video card drivers installed"
                      "\n\nOpenGL DriverInfo\nVendor: %s\nRenderer: %s\nVersion: %s",
                      caps.vendor, caps.renderer, caps.version);
        ShowMessageBox("No Shaders Detected", text, MessageIcon::Warning);
    }
    Commands().setChecked(cmd::AntiAliasing, caps.multisampleOn);
    m_sceneDrawer = std::make_unique<GlSceneDrawer>();
    SetSceneDrawer(m_sceneDrawer.get());
    for (auto& target : m_blurTargets) {
        target = std::make_unique<RenderTarget>();
        target->Create(128, 128, false);
    }
    // Texture layers upload (and the lightmap blurs) through GL from now on.
    InstallGlTextureUploader(m_blurTargets[0].get(), m_blurTargets[1].get());
    // Pictures named by the settings file were read before the context existed.
    if (ResourceCache* cache = GetResourceCache()) cache->UploadPendingTextures();

    if (!mapPath.empty() && m_fileCommands->openStartupMap(mapPath.c_str())) return true;
    // Without a map the loop runs unthrottled and the splash goes at once.
    SetSwapInterval(0);
    hideSplash();
    return false;
}

void EditorApp::update()
{
    GlApp::update();
    if (splashShown() && Timer().secondsSinceStart() >= 2.0) hideSplash();

    InputState& input = Input();
    // F1 is the accelerator of "Key Controls F1".
    if (input.keyToggle[vk::F1]) {
        input.keyToggle[vk::F1] = false;
        Commands().queue(cmd::KeyControls);
    }
    firstTime = Shell().keyControlsShown;

    // Anti-aliasing works without a map, so its deferred request is served
    // before the map-only steps.
    if (multisampleChangeRequested) {
        multisampleChangeRequested = false;
        SetMultisample(!Caps().multisampleOn);
        Commands().setChecked(cmd::AntiAliasing, Caps().multisampleOn);
    }
    if (showStatistics) {
        for (int i = 0; i < 3; ++i) statsPickedPoint[i] = pickedPoint[i];
    }
    // The map's per-frame work (level of detail, picking, tools) follows
    // here once map documents exist.
}

void EditorApp::render()
{
    setupGlState();
    // Blinking overlays follow this: 0..1, one cycle every 0.36 seconds.
    pulse = static_cast<float>((std::sin(Timer().secondsSinceStart() * 1000.0 * 0.017453292519943295) + 1.0) * 0.5);
    // The map's scene (water, sky, terrain, objects, brush) is drawn here
    // once map documents exist. The overlays do not need a map.
    if (Shell().keyControlsShown) drawKeyControls();
    GlApp::render();
    if (m_splash) m_splash->draw(viewWidth(), viewHeight());
}

void EditorApp::drawKeyControls()
{
    ResourceCache* cache = GetResourceCache();
    GlTexture* picture = cache ? cache->GetTexture(kKeyControlsPicture, nullptr, GlTexture::ClampToEdge) : nullptr;
    if (!picture || !picture->isValid()) return;
    int width = viewWidth();
    int height = viewHeight();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POLYGON_BIT | GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(static_cast<float>(width) * 0.5f, static_cast<float>(height) * 0.5f, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    picture->drawCentred(static_cast<float>(width), static_cast<float>(height));
    picture->unbind();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glPolygonMode(GL_FRONT_AND_BACK, Shell().wireframe ? GL_LINE : GL_FILL);
}

void EditorApp::drawOverlayText()
{
    if (!showStatistics) return;
    // Window coordinates: the view starts below the menu bar; the lines sit
    // 20 and 40 pixels below its top edge, as on the GL view.
    ImDrawList* list = ImGui::GetForegroundDrawList();
    const ImU32 grey = IM_COL32(128, 128, 128, 255);
    float top = static_cast<float>(MainWindow::kMenuBarHeight);
    float ascent = ImGui::GetFontSize() * 0.8f;
    char text[64];
    std::snprintf(text, sizeof text, "FPS: %.0f", static_cast<double>(Timer().averageFrameRate()));
    list->AddText(ImVec2(1.0f, top + 20.0f - ascent), grey, text);
    std::snprintf(text, sizeof text, "Poly Count: %i", triangleCount);
    list->AddText(ImVec2(1.0f, top + 40.0f - ascent), grey, text);
    triangleCount = 0;
}

void EditorApp::bindCommands()
{
    CommandList& commands = Commands();
    m_fileCommands->bind(commands);

    // Entry i of the edit history is command 3000 + i.
    if (m_toolController) {
        UndoStack& history = m_toolController->undoStack;
        for (int id = UndoStack::kMenuBaseId + 1; id <= UndoStack::kMenuBaseId + UndoStack::kLimit; ++id)
            commands.bind(id, [&history](int chosen) { history.jumpTo(chosen); });
        SetUndoMenuSource(&history);
    }

    commands.bind(cmd::AntiAliasing, [this](int) { multisampleChangeRequested = true; });
    commands.bind(cmd::ShowStats, [this](int id) {
        showStatistics = !showStatistics;
        Commands().setChecked(id, showStatistics);
    });
    commands.setChecked(cmd::ShowStats, showStatistics);
    commands.bind(cmd::KeyControls, [](int) { Shell().keyControlsShown = !Shell().keyControlsShown; });
    commands.bind(cmd::VideoDriver, [](int) {
        char text[1024];
        DescribeDriver(text, sizeof text);
        ShowMessageBox("Video Driver", text, MessageIcon::Information);
    });

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
    // The history belongs to the heightfield it was recorded on.
    clearUndoHistory();
}

void EditorApp::destroyDocument()
{
    SetCurrentMapDocument(nullptr);
    m_document.reset();
    clearUndoHistory();
    if (m_fileCommands) m_fileCommands->updateAvailability();
}

void EditorApp::clearUndoHistory()
{
    if (m_toolController)
        m_toolController->undoStack.setHeightfield(m_document ? &m_document->heightfield() : nullptr);
}

void EditorApp::reloadTextures()
{
    if (m_document) m_document->layers().reloadForMap();
}
