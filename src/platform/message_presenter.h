// Message boxes for the desktop.
//
// A box blocks its caller like a modal dialog: a nested loop keeps drawing
// the last scene with the box over it until a button is chosen (Return
// picks the first button, Escape the cancelling one). Before the window
// exists, or when a box is asked for from inside a user-interface frame,
// SDL's own message box is used instead; without any display the text
// goes to stderr and the default button answers.
#pragma once

#include <functional>

#include "shared/message_box.h"

class MainWindow;
class WindowListener;

class DesktopMessagePresenter : public MessagePresenter {
public:
    // drawScene redraws the last scene (without advancing it) under the box.
    // window events that arrive while a box is up go to listener.
    DesktopMessagePresenter(MainWindow* window, WindowListener* listener, std::function<void()> drawScene);

    MessageAnswer present(const char* caption, const char* text, MessageIcon icon, MessageButtons buttons) override;

    // Batch runs (a fixed number of frames) answer every box at once with
    // its default button and print it, so nothing waits for a user.
    void setAnswerAutomatically(bool automatic) { m_automatic = automatic; }
    int boxesShown() const { return m_boxesShown; }

private:
    MessageAnswer presentWithUi(const char* caption, const char* text, MessageIcon icon, MessageButtons buttons);

    MainWindow* m_window;
    WindowListener* m_listener;
    std::function<void()> m_drawScene;
    bool m_automatic = false;
    bool m_inBox = false;
    int m_boxesShown = 0;
};

// Answers, in button order, of a box with these buttons.
int ButtonAnswers(MessageButtons buttons, MessageAnswer answers[3], const char* labels[3]);
// The answer of Return (the first button) and of Escape (cancel, else no, else ok).
MessageAnswer DefaultAnswer(MessageButtons buttons);
MessageAnswer EscapeAnswer(MessageButtons buttons);
