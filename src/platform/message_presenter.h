// Message boxes for the desktop.
//
// A box blocks its caller like a modal dialog: a nested loop keeps drawing
// the last scene with the box over it until a button is chosen (Return
// picks the first button, Escape the cancelling one). Before the window
// exists, or when a box is asked for from inside a user-interface frame,
// SDL's own message box is used instead; without any display the text
// goes to stderr and the default button answers.
#pragma once


#include "shared/message_box.h"

class MainWindow;

class DesktopMessagePresenter : public MessagePresenter {
public:
    // Boxes are drawn in the nested loop of the modal host (modal_loop.h),
    // over the last scene.
    explicit DesktopMessagePresenter(MainWindow* window);

    MessageAnswer present(const char* caption, const char* text, MessageIcon icon, MessageButtons buttons) override;

    // Batch runs (a fixed number of frames) answer every box at once with
    // its default button and print it, so nothing waits for a user.
    void setAnswerAutomatically(bool automatic) { m_automatic = automatic; }
    int boxesShown() const { return m_boxesShown; }

private:
    // False when no modal loop can run; answer holds the choice otherwise.
    bool presentWithUi(const char* caption, const char* text, MessageIcon icon, MessageButtons buttons,
                       MessageAnswer& answer);

    MainWindow* m_window;
    bool m_automatic = false;
    bool m_inBox = false;
    int m_boxesShown = 0;
};

// Answers, in button order, of a box with these buttons.
int ButtonAnswers(MessageButtons buttons, MessageAnswer answers[3], const char* labels[3]);
// The answer of Return (the first button) and of Escape (cancel, else no, else ok).
MessageAnswer DefaultAnswer(MessageButtons buttons);
MessageAnswer EscapeAnswer(MessageButtons buttons);
