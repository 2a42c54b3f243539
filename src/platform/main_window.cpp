#include "platform/main_window.h"

#include <GL/gl.h>
#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_opengl2.h>
#include <imgui_impl_sdl.h>

#include <algorithm>

#include "shared/input_state.h"

namespace {

MainWindow* g_mainWindow = nullptr;

const ImU32 kBarBackground = IM_COL32(212, 208, 200, 255);
const ImU32 kBarText = IM_COL32(0, 0, 0, 255);
const ImU32 kBarEdge = IM_COL32(128, 128, 128, 255);
const ImU32 kProgressFill = IM_COL32(49, 106, 197, 255);

// Everything the status bar and the progress bar draw, into any draw list.
void buildBars(ImDrawList& list, int windowWidth, int windowHeight, const char* status, bool barShown, int barX,
               int barY, int barWidth, int barHeight, int percent)
{
    float top = static_cast<float>(windowHeight - MainWindow::kStatusBarHeight);
    list.AddRectFilled(ImVec2(0, top), ImVec2(static_cast<float>(windowWidth), static_cast<float>(windowHeight)),
                       kBarBackground);
    list.AddLine(ImVec2(0, top), ImVec2(static_cast<float>(windowWidth), top), kBarEdge);
    list.AddText(ImVec2(4, top + 3), kBarText, status);
    if (!barShown) return;
    float x0 = static_cast<float>(barX);
    float y0 = static_cast<float>(barY + MainWindow::kMenuBarHeight);
    float x1 = x0 + static_cast<float>(barWidth);
    float y1 = y0 + static_cast<float>(barHeight);
    list.AddRectFilled(ImVec2(x0, y0), ImVec2(x1, y1), kBarBackground);
    list.AddRectFilled(ImVec2(x0 + 2, y0 + 2), ImVec2(x0 + 2 + (x1 - x0 - 4) * static_cast<float>(percent) / 100.0f, y1 - 2),
                       kProgressFill);
    list.AddRect(ImVec2(x0, y0), ImVec2(x1, y1), kBarEdge);
}

}  // namespace

MainWindow* GetMainWindow() { return g_mainWindow; }

void SetMainWindow(MainWindow* window) { g_mainWindow = window; }

MainWindow::~MainWindow() { destroy(); }

bool MainWindow::create(const char* title, int x, int y, int viewWidth, int viewHeight, bool maximized)
{
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    if (maximized) flags |= SDL_WINDOW_MAXIMIZED;
    if (!CreateContext(title, x, y, viewWidth, viewHeight + kMenuBarHeight, flags, m_gl)) return false;

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // tool-window positions live in Glebora.ini
    io.LogFilename = nullptr;
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    // 13-pixel font + 2 x 3.5 padding: the menu bar is exactly kMenuBarHeight.
    style.FramePadding.y = 3.5f;
    style.WindowRounding = 0.0f;
    ImGui_ImplSDL2_InitForOpenGL(m_gl.window, m_gl.context);
    ImGui_ImplOpenGL2_Init();
    m_imguiUp = true;
    return true;
}

void MainWindow::destroy()
{
    if (m_imguiUp) {
        ImGui_ImplOpenGL2_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
        m_imguiUp = false;
        m_inUiFrame = false;
        m_uiFramesDrawn = 0;
    }
    DestroyContext(m_gl);
}

void MainWindow::show(bool maximized)
{
    if (!m_gl.window) return;
    SDL_ShowWindow(m_gl.window);
    if (maximized) SDL_MaximizeWindow(m_gl.window);
    SDL_RaiseWindow(m_gl.window);
}

void MainWindow::setTitle(const char* title)
{
    if (m_gl.window) SDL_SetWindowTitle(m_gl.window, title ? title : "");
}

void MainWindow::swapBuffers()
{
    if (m_gl.window) SDL_GL_SwapWindow(m_gl.window);
}

void MainWindow::position(int& x, int& y) const
{
    x = 0;
    y = 0;
    if (m_gl.window) SDL_GetWindowPosition(m_gl.window, &x, &y);
}

void MainWindow::viewSize(int& width, int& height) const
{
    width = 0;
    height = 0;
    if (!m_gl.window) return;
    SDL_GetWindowSize(m_gl.window, &width, &height);
    height = std::max(0, height - kMenuBarHeight);
}

bool MainWindow::minimized() const
{
    return m_gl.window && (SDL_GetWindowFlags(m_gl.window) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

bool MainWindow::maximized() const
{
    return m_gl.window && (SDL_GetWindowFlags(m_gl.window) & SDL_WINDOW_MAXIMIZED) != 0;
}

void MainWindow::processEvent(const SDL_Event& event, WindowListener& listener)
{
    if (m_imguiUp) ImGui_ImplSDL2_ProcessEvent(&event);
    EventContext context;
    context.viewTop = kMenuBarHeight;
    context.uiWantsKeyboard = uiWantsKeyboard();
    context.maximized = maximized();
    TranslateEvent(event, Input(), listener, context);
}

void MainWindow::beginUiFrame()
{
    if (!m_imguiUp || m_inUiFrame) return;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // Two frames within one clock tick would hand ImGui a zero time step.
    ImGuiIO& io = ImGui::GetIO();
    if (!(io.DeltaTime > 0.0f)) io.DeltaTime = 1.0f / 1000.0f;
    ImGui::NewFrame();
    m_inUiFrame = true;
}

void MainWindow::endUiFrame()
{
    if (!m_inUiFrame) return;
    ImGui::Render();
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    m_inUiFrame = false;
    ++m_uiFramesDrawn;
}

bool MainWindow::uiWantsMouse() const { return m_imguiUp && ImGui::GetIO().WantCaptureMouse; }

// A text field, or an open menu or popup (which takes the keyboard the way
// a desktop menu does: Escape closes it instead of quitting).
bool MainWindow::uiWantsKeyboard() const
{
    return m_imguiUp && (ImGui::GetIO().WantTextInput || ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopupId));
}

void MainWindow::drawStatusBar()
{
    if (!m_inUiFrame) return;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(m_gl.window, &width, &height);
    buildBars(*ImGui::GetForegroundDrawList(), width, height, GetStatusText(), m_barShown, m_barX, m_barY,
              m_barWidth, m_barHeight, m_barPercent);
}

void MainWindow::showStatusText(const char* /*text*/)
{
    // Frames draw the text anyway; only blocking work needs it now.
    if (!m_inUiFrame) drawImmediately();
}

bool MainWindow::clientSize(int& width, int& height)
{
    if (!m_gl.window) return false;
    viewSize(width, height);
    return true;
}

void MainWindow::showBar(int x, int y, int width, int height)
{
    m_barShown = true;
    m_barX = x;
    m_barY = y;
    m_barWidth = width;
    m_barHeight = height;
    m_barPercent = 0;
}

void MainWindow::moveBar(int wholePercent)
{
    m_barPercent = std::clamp(wholePercent, 0, 100);
    if (!m_inUiFrame) drawImmediately();
}

void MainWindow::hideBar() { m_barShown = false; }

// Long work blocks the loop, so no frame will show the bars for a while:
// draw them straight into the visible (front) buffer, over the last frame.
void MainWindow::drawImmediately()
{
    if (!m_imguiUp || !uiReady() || !m_gl.window) return;
    if (SDL_GL_GetCurrentContext() != m_gl.context) return;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(m_gl.window, &width, &height);
    if (width <= 0 || height <= 0) return;

    ImDrawList list(ImGui::GetDrawListSharedData());
    list._ResetForNewFrame();
    list.PushClipRect(ImVec2(0, 0), ImVec2(static_cast<float>(width), static_cast<float>(height)));
    list.PushTextureID(ImGui::GetIO().Fonts->TexID);
    buildBars(list, width, height, GetStatusText(), m_barShown, m_barX, m_barY, m_barWidth, m_barHeight,
              m_barPercent);
    list.PopTextureID();
    list.PopClipRect();

    ImDrawList* lists[] = {&list};
    ImDrawData data;
    data.Valid = true;
    data.CmdLists = lists;
    data.CmdListsCount = 1;
    data.TotalVtxCount = list.VtxBuffer.Size;
    data.TotalIdxCount = list.IdxBuffer.Size;
    data.DisplayPos = ImVec2(0, 0);
    data.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    data.FramebufferScale = ImVec2(1, 1);

    glDrawBuffer(GL_FRONT);
    ImGui_ImplOpenGL2_RenderDrawData(&data);
    glDrawBuffer(GL_BACK);
    glFlush();
}
