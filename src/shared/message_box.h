// Modal message boxes and the error box.
//
// Core code reports user-visible failures here without knowing whether a
// window exists. The display layer installs a presenter that draws a real
// modal box; without one (batch runs, unit tests) the text goes to stderr
// and the box answers with its default button.
#pragma once

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer present(const char* caption, const char* text, MessageIcon icon,
                                  MessageButtons buttons) = 0;
};

// Installs the presenter used by every later box; nullptr restores the
// stderr fall-back. The caller keeps ownership.
void SetMessagePresenter(MessagePresenter* presenter);
MessagePresenter* GetMessagePresenter();

MessageAnswer ShowMessageBox(const char* caption, const char* text, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok);

// A box captioned "ERROR" with the error icon; the formatted text is cut at
// 255 characters.
void ShowErrorBox(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
