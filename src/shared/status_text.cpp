#include "shared/status_text.h"

#include "shared/string.h"

namespace {

StatusDisplay* g_display = nullptr;

String& currentText()
{
    static String text;
    return text;
}

}  // namespace

void SetStatusDisplay(StatusDisplay* display) { g_display = display; }

const char* GetStatusText() { return currentText().c_str(); }

extern "C" void SystemSetStatusText(const char* text)
{
    currentText() = text ? text : "";
    if (g_display) g_display->showStatusText(currentText().c_str());
}
