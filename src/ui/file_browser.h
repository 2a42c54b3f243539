// The state behind the open and save file dialogs: the filter, the folder
// being shown, its entries and the name typed or picked.
//
// A filter is a description and a pattern ("Map Files (*.map)" and
// "*.map"); patterns are separated by ';' and match names without regard
// to case. A save dialog's default extension is added to a typed name that
// has none.
#pragma once

#include <string>
#include <vector>

struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*.map", "*.tga" ...
    // The three characters after the first '.' of the description ("PNG
    // image (.png)" gives "png"), unless the caller sets another.
    std::string defaultExtension;
};

FileFilter MakeFileFilter(const char* description, const char* pattern);
bool MatchesFilter(const FileFilter& filter, const std::string& fileName);
// name with "." + extension appended when its file part has no extension.
std::string WithDefaultExtension(const std::string& name, const std::string& extension);

struct BrowserEntry {
    std::string name;
    bool folder;
};

class FileBrowser {
public:
    FileBrowser(FileFilter filter, const std::string& startFolder, bool saving);

    // Lists the folder: ".." first, then folders, then matching files,
    // each group sorted by name. An unreadable folder lists only "..".
    void openFolder(const std::string& folder);
    const std::string& folder() const { return m_folder; }
    const std::vector<BrowserEntry>& entries() const { return m_entries; }
    const FileFilter& filter() const { return m_filter; }

    // A click on an entry: folders open, files fill in the name.
    void pick(const BrowserEntry& entry);
    std::string name;  // the edit field

    // The path the dialog returns for the current name: relative names are
    // taken inside the folder, a save dialog adds the default extension.
    // An open dialog prefers the file with the default extension when the
    // name as typed does not exist. Empty when no name is given or when the
    // name is a folder (which is then opened).
    std::string accept();

private:
    FileFilter m_filter;
    std::string m_folder;
    bool m_saving;
    std::vector<BrowserEntry> m_entries;
};
