// MainWindow: the one top-level window of the program.
//
// An SDL window with its GL context, the Dear ImGui layer that draws the
// menu bar, the status bar and the tool windows, and the displays that
// core code reaches through hooks: the status text and the progress bar.
// The window's client area is split the way a desktop window with a menu
// is: the menu bar on top, below it the 3D view, whose bottom 20 pixels
// the status bar covers.
#pragma once

#include <SDL_events.h>

#include "platform/window_events.h"
#include "render/gl_context.h"
#include "shared/progress_bar.h"
#include "shared/status_text.h"

class MainWindow : public StatusDisplay, public ProgressDisplay {
public:
    static constexpr int kMenuBarHeight = 20;
    static constexpr int kStatusBarHeight = 20;

    MainWindow() = default;
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the hidden window and its context at the given position and
    // 3D-view size; false when no GL context could be made ("Could not
    // active GL" is the caller's to show).
    bool create(const char* title, int x, int y, int viewWidth, int viewHeight, bool maximized);
    // Releases the user interface, the context and the window; does
    // nothing the second time.
    void destroy();
    bool exists() const { return m_gl.window != nullptr; }

    void show(bool maximized);
    void setTitle(const char* title);
    void swapBuffers();

    SDL_Window* sdlWindow() const { return m_gl.window; }
    int samples() const { return m_gl.samples; }
    void position(int& x, int& y) const;
    void viewSize(int& width, int& height) const;
    bool minimized() const;
    bool maximized() const;

    // Hands one event to the user interface and then to the input state.
    void processEvent(const SDL_Event& event, WindowListener& listener);

    // User-interface frame: everything drawn with ImGui goes between these.
    void beginUiFrame();
    void endUiFrame();
    bool inUiFrame() const { return m_inUiFrame; }
    bool uiReady() const { return m_uiFramesDrawn > 0; }
    // The pointer is over a menu, a tool window or another control.
    bool uiWantsMouse() const;
    bool uiWantsKeyboard() const;
    // Draws the status bar (and the progress bar while one is shown); call
    // inside a user-interface frame.
    void drawStatusBar();

    // StatusDisplay: while no frame runs (long work blocks the loop) the
    // new text is drawn at once.
    void showStatusText(const char* text) override;
    // ProgressDisplay.
    bool clientSize(int& width, int& height) override;
    void showBar(int x, int y, int width, int height) override;
    void moveBar(int wholePercent) override;
    void hideBar() override;

private:
    void drawImmediately();

    GlWindow m_gl;
    bool m_imguiUp = false;
    bool m_inUiFrame = false;
    int m_uiFramesDrawn = 0;

    bool m_barShown = false;
    int m_barX = 0;
    int m_barY = 0;
    int m_barWidth = 0;
    int m_barHeight = 0;
    int m_barPercent = 0;
};

// The program's main window while it exists, else nullptr.
MainWindow* GetMainWindow();
void SetMainWindow(MainWindow* window);
