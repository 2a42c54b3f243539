// The open and save file dialogs: modal, drawn with the user interface
// over the last scene. The working directory is not changed.
#pragma once

#include "shared/string.h"
#include "ui/file_browser.h"

// True with the chosen path, false when cancelled (or when no window can
// show the dialog).
bool ShowOpenFileDialog(const FileFilter& filter, const char* startFolder, String& chosen);
bool ShowSaveFileDialog(const FileFilter& filter, const char* startFolder, const char* initialName, String& chosen);
