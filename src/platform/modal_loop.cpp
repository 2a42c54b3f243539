#include "platform/modal_loop.h"

#include <GL/gl.h>
#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>

#include "platform/main_window.h"
#include "platform/window_events.h"

namespace {
ModalHost* g_host = nullptr;
}

void SetModalHost(ModalHost* host) { g_host = host; }

bool RunModalLoop(const std::function<bool()>& drawUi)
{
    if (!g_host || !g_host->window || !g_host->window->exists() || g_host->closeAtOnce) return false;
    MainWindow& window = *g_host->window;
    if (window.inUiFrame()) return false;
    bool open = true;
    while (open && window.exists()) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_WINDOWEVENT && event.window.event != SDL_WINDOWEVENT_CLOSE && g_host->listener)
                window.processEvent(event, *g_host->listener);
            else if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT)
                SDL_free(event.drop.file);
            else if (event.type != SDL_QUIT && event.type != SDL_WINDOWEVENT)
                ImGui_ImplSDL2_ProcessEvent(&event);
        }
        int width = 0;
        int height = 0;
        window.viewSize(width, height);
        if (g_host->drawScene && width > 0 && height > 0) {
            g_host->drawScene();
        } else {
            glClearColor(0.8f, 0.8f, 0.8f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        window.beginUiFrame();
        open = drawUi();
        window.drawStatusBar();
        window.endUiFrame();
        window.swapBuffers();
    }
    return true;
}
