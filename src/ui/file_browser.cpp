#include "ui/file_browser.h"

#include "map/map_paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// '*' matches any run of characters, '?' one character.
bool wildcardMatch(const char* pattern, const char* text)
{
    if (*pattern == '\0') return *text == '\0';
    if (*pattern == '*') return wildcardMatch(pattern + 1, text) || (*text && wildcardMatch(pattern, text + 1));
    if (*text == '\0') return false;
    return (*pattern == '?' || *pattern == *text) && wildcardMatch(pattern + 1, text + 1);
}

}  // namespace

FileFilter MakeFileFilter(const char* description, const char* pattern)
{
    FileFilter filter;
    filter.description = description ? description : "";
    std::string all = pattern ? pattern : "";
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(';', start);
        if (end == std::string::npos) end = all.size();
        std::string one = all.substr(start, end - start);
        while (!one.empty() && std::isspace(static_cast<unsigned char>(one.front()))) one.erase(0, 1);
        if (!one.empty()) filter.patterns.push_back(lower(one));
        start = end + 1;
    }
    size_t dot = filter.description.find('.');
    if (dot != std::string::npos) filter.defaultExtension = filter.description.substr(dot + 1, 3);
    return filter;
}

bool MatchesFilter(const FileFilter& filter, const std::string& fileName)
{
    if (filter.patterns.empty()) return true;
    std::string name = lower(fileName);
    for (const std::string& pattern : filter.patterns)
        if (wildcardMatch(pattern.c_str(), name.c_str())) return true;
    return false;
}

std::string WithDefaultExtension(const std::string& name, const std::string& extension)
{
    if (extension.empty() || name.empty() || FileExtension(name.c_str())) return name;
    return name + "." + extension;
}

FileBrowser::FileBrowser(FileFilter filter, const std::string& startFolder, bool saving)
    : m_filter(std::move(filter)), m_saving(saving)
{
    std::error_code error;
    std::string folder = startFolder;
    if (folder.empty() || !fs::is_directory(folder, error)) folder = fs::current_path(error).string();
    openFolder(folder);
}

void FileBrowser::openFolder(const std::string& folder)
{
    std::error_code error;
    fs::path path = fs::weakly_canonical(fs::path(folder), error);
    if (error) path = fs::path(folder);
    m_folder = path.string();
    m_entries.clear();
    std::vector<BrowserEntry> folders;
    std::vector<BrowserEntry> files;
    for (fs::directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::string entryName = it->path().filename().string();
        if (entryName.empty() || entryName[0] == '.') continue;
        std::error_code typeError;
        if (it->is_directory(typeError))
            folders.push_back({entryName, true});
        else if (MatchesFilter(m_filter, entryName))
            files.push_back({entryName, false});
    }
    auto byName = [](const BrowserEntry& a, const BrowserEntry& b) { return lower(a.name) < lower(b.name); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    if (path.has_parent_path() && path != path.root_path()) m_entries.push_back({"..", true});
    m_entries.insert(m_entries.end(), folders.begin(), folders.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
}

void FileBrowser::pick(const BrowserEntry& entry)
{
    if (!entry.folder) {
        name = entry.name;
        return;
    }
    fs::path target = entry.name == ".." ? fs::path(m_folder).parent_path() : fs::path(m_folder) / entry.name;
    openFolder(target.string());
}

std::string FileBrowser::accept()
{
    if (name.empty()) return std::string();
    fs::path path(name);
    if (path.is_relative()) path = fs::path(m_folder) / path;
    std::error_code error;
    if (fs::is_directory(path, error)) {
        openFolder(path.string());
        name.clear();
        return std::string();
    }
    std::string result = path.lexically_normal().string();
    if (m_saving) return WithDefaultExtension(result, m_filter.defaultExtension);
    // A name typed without its extension opens the file that has it; a
    // name that matches nothing is returned as typed for the caller to
    // report.
    if (!fs::exists(path, error)) {
        std::string withExtension = WithDefaultExtension(result, m_filter.defaultExtension);
        if (fs::exists(withExtension, error)) return withExtension;
    }
    return result;
}
