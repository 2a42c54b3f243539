#include "shared/message_box.h"

#include <cstdarg>
#include <cstdio>

namespace {

MessagePresenter* g_presenter = nullptr;

MessageAnswer defaultAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel: return MessageAnswer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
    }
    return MessageAnswer::Ok;
}

}  // namespace

void SetMessagePresenter(MessagePresenter* presenter) { g_presenter = presenter; }

MessagePresenter* GetMessagePresenter() { return g_presenter; }

MessageAnswer ShowMessageBox(const char* caption, const char* text, MessageIcon icon, MessageButtons buttons)
{
    if (g_presenter) return g_presenter->present(caption, text, icon, buttons);
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return defaultAnswer(buttons);
}

void ShowErrorBox(const char* pattern, ...)
{
    char text[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    ShowMessageBox("ERROR", text, MessageIcon::Error, MessageButtons::Ok);
}
