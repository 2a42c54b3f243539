#include "app/editor_main.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/editor_app.h"
#include "app/file_commands.h"
#include "app/frame_timer.h"
#include "app/screen_capture.h"
#include "app/shell.h"
#include "app/version.h"
#include "platform/main_window.h"
#include "platform/modal_loop.h"
#include "platform/message_presenter.h"
#include "platform/system_info.h"
#include "shared/input_state.h"
#include "shared/message_box.h"
#include "shared/program_folder.h"
#include "shared/status_text.h"
#include "ui/main_menu_bar.h"

namespace {

bool g_quitPosted = false;

// Every quit path (close box, Escape, --frames running out) ends here.
void QuitRequest()
{
    EditorApp* app = CurrentApp();
    if (app && !app->canClose()) return;
    Shutdown();
    g_quitPosted = true;
}

class ShellWindowListener : public WindowListener {
public:
    void onQuitRequest() override { QuitRequest(); }

    void onWindowMoved(int x, int y) override
    {
        Shell().windowX = x;
        Shell().windowY = y;
    }

    void onViewResized(int width, int height, bool maximized) override
    {
        ShellState& shell = Shell();
        shell.viewWidth = width;
        shell.viewHeight = height;
        shell.maximized = maximized;
        if (Input().windowActive) {
            char text[64];
            std::snprintf(text, sizeof text, "width: %d height: %d", width, height);
            SystemSetStatusText(text);
        }
        if (EditorApp* app = CurrentApp()) app->reshape(width, height);
    }

    // The files of one drop arrive together; they are handled once the
    // queue is empty, and a drop of several files is refused.
    void onDroppedFile(const char* path) override { droppedFiles.emplace_back(path); }

    void handleDrops(EditorApp& app)
    {
        if (droppedFiles.size() == 1) app.fileCommands().openDroppedFile(droppedFiles[0].c_str());
        droppedFiles.clear();
    }

    std::vector<std::string> droppedFiles;
};

}  // namespace

void RunOneFrame(MainWindow& window, EditorApp& app, FramePixels* capture)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();

    InputState& input = Input();
    int width = 0;
    int height = 0;
    window.viewSize(width, height);
    bool overUi = window.uiWantsMouse();
    bool insideView = input.mouseX >= 0 && input.mouseY >= 0 && input.mouseX < width && input.mouseY < height;
    input.mouseInView = insideView && !overUi;

    glPolygonMode(GL_FRONT_AND_BACK, Shell().wireframe ? GL_LINE : GL_FILL);

    // Keep receiving the mouse while a button is held in the view, even
    // when the cursor leaves the window; confine it to the window meanwhile.
    bool hold = input.windowActive && input.windowFocused && input.capturing && input.anyButtonDown();
    SDL_CaptureMouse(hold ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowMouseGrab(window.sdlWindow(), hold ? SDL_TRUE : SDL_FALSE);

    if (overUi) {
        for (bool& clicked : input.buttonClicked) clicked = false;
        if (!input.altAtPress) input.buttonDown[MouseLeft] = false;
    }

    Timer().Tick();
    app.update();
    app.render();

    window.beginUiFrame();
    DrawMainMenuBar();
    app.drawOverlayText();
    window.drawStatusBar();
    window.endUiFrame();
    if (capture) {
        int windowWidth = 0;
        int windowHeight = 0;
        SDL_GL_GetDrawableSize(window.sdlWindow(), &windowWidth, &windowHeight);
        CaptureBackBuffer(windowWidth, windowHeight, *capture);
    }
    window.swapBuffers();
    input.endFrame();
}

bool ParseRunOptions(int argc, char** argv, RunOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--frames") == 0 && hasValue) {
            char* end = nullptr;
            errno = 0;
            long frames = std::strtol(argv[++i], &end, 10);
            if (errno != 0 || !end || *end != '\0' || frames < 1 || frames > 100000000) {
                std::fprintf(stderr, "glebora: --frames needs a whole number of at least 1\n");
                return false;
            }
            options.frames = static_cast<int>(frames);
        } else if (std::strcmp(arg, "--screenshot") == 0 && hasValue) {
            options.screenshot = argv[++i];
        } else if (std::strcmp(arg, "--command") == 0 && hasValue) {
            char* end = nullptr;
            errno = 0;
            long id = std::strtol(argv[++i], &end, 10);
            if (errno != 0 || !end || *end != '\0' || id <= 0 || id > 65535) {
                std::fprintf(stderr, "glebora: --command needs a menu command id\n");
                return false;
            }
            options.commands.push_back(static_cast<int>(id));
        } else {
            std::fprintf(stderr, "glebora: unknown option '%s'\n"
                         "usage: glebora [--frames N] [--screenshot FILE.png] [--command ID]...\n",
                         arg);
            return false;
        }
    }
    return true;
}

int RunEditor(const RunOptions& options)
{
    std::string startFolder;
    if (char* cwd = getcwd(nullptr, 0)) {
        startFolder = std::string(cwd) + "/";
        std::free(cwd);
    }
    // 1. The program folder is the working directory from here on.
    SetProgramFolder(FindProgramFolder().c_str());
    ChangeToProgramFolder();
    g_quitPosted = false;

    // Closing the window is one quit request; SDL would add a second one
    // (and a second save prompt) for the last window closed.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "ERROR: Could not Create Window (%s)\n", SDL_GetError());
        return 0;
    }
    ShellState& shell = Shell();
    DesktopSize(shell.desktopWidth, shell.desktopHeight);

    // 3-5. The application, the tool-window manager, the settings.
    auto* app = new EditorApp();
    SetCurrentApp(app);
    app->createToolController();
    app->loadSettings("Glebora.ini");

    // 6. The main window, always windowed.
    shell.fullscreen = false;
    MainWindow window;
    SetMainWindow(&window);
    shell.maximized = OpensMaximized(shell.viewWidth, shell.viewHeight, shell.desktopWidth, shell.desktopHeight);
    int x = shell.maximized ? 100 : shell.windowX;
    int y = shell.maximized ? 100 : shell.windowY;
    int width = shell.maximized ? 800 : shell.viewWidth;
    int height = shell.maximized ? 600 : shell.viewHeight;
    if (!window.create(kProgramTitle, x, y, width, height, shell.maximized)) {
        ShowErrorBox("Could not active GL");
        Shutdown();
        SetMainWindow(nullptr);
        SDL_Quit();
        return 0;
    }
    shell.windowX = x;
    shell.windowY = y;
    shell.viewWidth = width;
    shell.viewHeight = height;
    std::srand(100);  // paint noise and erosion repeat from run to run
    Timer().Reset();

    ShellWindowListener listener;
    DesktopMessagePresenter presenter(&window);
    presenter.setAnswerAutomatically(options.frames > 0);
    SetMessagePresenter(&presenter);
    ModalHost modalHost;
    modalHost.window = &window;
    modalHost.listener = &listener;
    modalHost.drawScene = [] {
        if (EditorApp* current = CurrentApp()) current->render();
    };
    modalHost.closeAtOnce = options.frames > 0;
    SetModalHost(&modalHost);
    SetStatusDisplay(&window);
    SetProgressDisplay(&window);

    window.show(shell.maximized);
    // 7-12. Status text, splash picture, title, menu commands, init.
    SystemSetStatusText("Starting Glebora");
    app->showSplash();
    app->setTitle(kProgramTitle);
    app->bindCommands();
    app->init();
    for (int id : options.commands) Commands().queue(id);

    // 14. The message loop: events first, a frame whenever none is waiting.
    int framesRun = 0;
    FramePixels lastFrame;
    while (!g_quitPosted && window.exists()) {
        SDL_Event event;
        if (SDL_PollEvent(&event)) {
            window.processEvent(event, listener);
            if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT) SDL_free(event.drop.file);
            continue;
        }
        int viewWidth = 0;
        int viewHeight = 0;
        window.viewSize(viewWidth, viewHeight);
        if (viewWidth <= 20 || viewHeight <= 20 || window.minimized()) {
            // Nothing to draw: sleep until something happens.
            SDL_WaitEventTimeout(nullptr, 250);
            continue;
        }
        EditorApp* current = CurrentApp();
        if (!current) break;
        if (!listener.droppedFiles.empty()) listener.handleDrops(*current);
        // The screenshot is of the last frame: the one --frames ends with,
        // or (without a count) whichever frame comes before the quit.
        bool lastCounted = options.frames > 0 && framesRun + 1 >= options.frames;
        bool capture = !options.screenshot.empty() && (options.frames <= 0 || lastCounted);
        RunOneFrame(window, *current, capture ? &lastFrame : nullptr);
        ++framesRun;
        Commands().runQueued();
        if (options.frames > 0 && framesRun >= options.frames && !g_quitPosted) QuitRequest();
    }
    Shutdown();
    int exitCode = 0;
    if (!options.screenshot.empty()) {
        // The path is the caller's: relative to where glebora was started.
        std::string path = options.screenshot;
        if (!path.empty() && path[0] != '/') path = startFolder + path;
        if (!WriteFramePng(lastFrame, path.c_str())) {
            std::fprintf(stderr, "glebora: could not write the screenshot %s\n", path.c_str());
            exitCode = 1;
        }
    }

    SetModalHost(nullptr);
    SetMessagePresenter(nullptr);
    SetStatusDisplay(nullptr);
    SetProgressDisplay(nullptr);
    SetMainWindow(nullptr);
    Commands().clear();
    SDL_Quit();
    return exitCode;
}
