#include "shared/progress_bar.h"

#include <algorithm>

namespace {

ProgressDisplay* g_display = nullptr;
bool g_shown = false;
float g_value = 0.0f;
int g_whole = -1;

// NaN and out-of-range values must not reach the float-to-int conversion.
int wholePercent(float value)
{
    if (!(value > 0.0f)) return 0;
    if (value >= 100.0f) return 100;
    return static_cast<int>(value);
}

void moveTo(float value)
{
    int whole = wholePercent(value);
    if (whole == g_whole) return;
    g_whole = whole;
    if (g_display) g_display->moveBar(whole);
}

}  // namespace

void SetProgressDisplay(ProgressDisplay* display)
{
    if (g_shown && g_display) g_display->hideBar();
    g_shown = false;
    g_display = display;
}

bool ProgressBar_IsShown() { return g_shown; }

float ProgressBar_Value() { return g_value; }

extern "C" void ProgressBar_Create()
{
    if (g_shown) return;
    g_value = 0.0f;
    int width = 0;
    int height = 0;
    if (!g_display || !g_display->clientSize(width, height)) return;
    if (width < 300 || height <= 20) return;
    g_shown = true;
    g_whole = -1;
    g_display->showBar(width / 2 - 150, height - height / 6 - 10, 300, 20);
    moveTo(0.0f);
}

extern "C" void ProgressBar_Set(float percent)
{
    if (!g_shown) return;
    float value = percent > 0.0f ? std::min(percent, 100.0f) : 0.0f;
    if (value == g_value) return;
    g_value = value;
    moveTo(value);
}

extern "C" void ProgressBar_Add(float percent)
{
    if (!g_shown) return;
    g_value += percent;
    moveTo(g_value);
}

extern "C" void ProgressBar_Destroy()
{
    if (!g_shown) return;
    g_shown = false;
    if (g_display) g_display->hideBar();
}
