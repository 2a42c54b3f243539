// One frame of the editor with no map open, at a 1280 x 800 view: what the
// loop costs when nothing happens. Needs an X display (scripts/bench starts
// Xvfb when there is none); GL is Mesa's software renderer there.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/commands.h"
#include "app/editor_app.h"
#include "app/editor_main.h"
#include "app/shell.h"
#include "app/version.h"
#include "platform/main_window.h"
#include "shared/program_folder.h"
#include "shared/status_text.h"

namespace {

class NullListener : public WindowListener {
public:
    void onQuitRequest() override {}
    void onWindowMoved(int, int) override {}
    void onViewResized(int, int, bool) override {}
};

void IdleFrame(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X display (run under xvfb-run)");
        return;
    }
    // A throw-away program folder: the settings written at the end go there.
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "glebora_idle_bench";
    std::filesystem::create_directories(folder);
    SetProgramFolder((folder.string() + "/").c_str());
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    Shell() = ShellState{};
    Shell().viewWidth = 1280;
    Shell().viewHeight = 800;
    auto* app = new EditorApp();
    SetCurrentApp(app);
    app->createToolController();
    MainWindow window;
    SetMainWindow(&window);
    if (!window.create(kProgramTitle, 0, 0, 1280, 800, false)) {
        state.SkipWithError("no GL context");
        Shutdown();
        SDL_Quit();
        return;
    }
    SetStatusDisplay(&window);
    window.show(false);
    SystemSetStatusText("Starting Glebora");
    app->bindCommands();
    app->init();
    Shell().keyControlsShown = false;  // the picture a user has dismissed
    NullListener listener;
    for (int i = 0; i < 10; ++i) RunOneFrame(window, *app);  // warm up

    for (auto _ : state) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) window.processEvent(event, listener);
        RunOneFrame(window, *app);
    }
    state.counters["frames_per_second"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                             benchmark::Counter::kIsRate);
    SetStatusDisplay(nullptr);
    Shutdown();
    SetMainWindow(nullptr);
    Commands().clear();
    SDL_Quit();
    std::filesystem::remove_all(folder);
}

}  // namespace

// CPU time of the loop's own thread per frame.
BENCHMARK(IdleFrame)->Name("IdleFrame/1280x800")->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();
// The same with every thread of the process counted (Mesa rasterises on
// worker threads of its own).
BENCHMARK(IdleFrame)
    ->Name("IdleFrame/1280x800/process_cpu")
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
