// The one progress bar, shown over the main window during long work.
//
// The value rules (clamping, whole-number steps) live here so they hold
// with or without a window; the display layer only draws the bar when
// told that its whole-number position changed. Exported to plug-ins under
// these exact names.
#pragma once

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // Client size of the main window; false when there is no window.
    virtual bool clientSize(int& width, int& height) = 0;
    virtual void showBar(int x, int y, int width, int height) = 0;
    virtual void moveBar(int wholePercent) = 0;
    virtual void hideBar() = 0;
};

void SetProgressDisplay(ProgressDisplay* display);

bool ProgressBar_IsShown();
float ProgressBar_Value();

extern "C" {
void ProgressBar_Create();
void ProgressBar_Set(float percent);
void ProgressBar_Add(float percent);
void ProgressBar_Destroy();
}
