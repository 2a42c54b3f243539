// Nested loops for modal dialogs.
//
// A modal dialog blocks its caller: the loop keeps the window alive, redraws
// the last scene (without advancing it) and draws the dialog's user
// interface every frame until the dialog closes. Events that move or resize
// the window still reach the application; everything else goes to the
// dialog.
#pragma once

#include <functional>

class MainWindow;
class WindowListener;

struct ModalHost {
    MainWindow* window = nullptr;
    WindowListener* listener = nullptr;
    std::function<void()> drawScene;
    // Runs that nobody watches (a fixed number of frames) close every
    // dialog at once, as if cancelled.
    bool closeAtOnce = false;
};

// The host stays owned by the caller; nullptr removes it.
void SetModalHost(ModalHost* host);

// Calls drawUi inside a user-interface frame until it returns false.
// Returns false without calling it when there is no window to draw in or
// the host closes dialogs at once.
bool RunModalLoop(const std::function<bool()>& drawUi);
