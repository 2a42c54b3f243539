// The status-bar text. Exported to plug-ins under this exact name.
#pragma once

class StatusDisplay {
public:
    virtual ~StatusDisplay() = default;
    virtual void showStatusText(const char* text) = 0;
};

// The main window installs its status bar here; before that (and in batch
// runs) status text is remembered but shown nowhere.
void SetStatusDisplay(StatusDisplay* display);

// The text most recently set, "" before the first call.
const char* GetStatusText();

extern "C" void SystemSetStatusText(const char* text);
