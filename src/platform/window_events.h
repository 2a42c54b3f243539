// Translation of SDL events into the shared input state and into the
// window notifications the application acts on (quit requests, moves,
// resizes, dropped files), following the rules the main window procedure
// keeps: key toggles flip on release, focus loss releases every key, a
// command releases every key, button releases count as clicks.
#pragma once

#include <SDL_events.h>

struct InputState;

class WindowListener {
public:
    virtual ~WindowListener() = default;
    // Close box, window-manager quit, Escape: the application decides.
    virtual void onQuitRequest() = 0;
    virtual void onWindowMoved(int x, int y) = 0;
    // Size of the 3D view (the window minus the menu bar).
    virtual void onViewResized(int width, int height, bool maximized) = 0;
    virtual void onDroppedFile(const char* /*path*/) {}
};

struct EventContext {
    int viewTop = 0;               // height of the menu bar above the 3D view
    bool uiWantsKeyboard = false;  // a text field of the user interface has the keyboard
    bool maximized = false;        // window state when a size event arrives
};

// Applies one event. Events for other windows are applied as well: the
// program has one window.
void TranslateEvent(const SDL_Event& event, InputState& input, WindowListener& listener, const EventContext& context);
