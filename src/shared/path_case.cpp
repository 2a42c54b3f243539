#include "shared/path_case.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// The entry of folder whose name equals name ignoring case; an exact match wins.
bool findEntry(const std::string& folder, const std::string& name, std::string& found)
{
    if (exists(folder + name)) {
        found = name;
        return true;
    }
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool matched = false;
    while (dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            matched = true;
            break;
        }
    }
    closedir(dir);
    return matched;
}

}  // namespace

String ResolvePathCase(const char* path)
{
    if (!path || !*path) return String(path);
    std::string text(path);
    if (exists(text)) return String(path);
    for (char& c : text)
        if (c == '\\') c = '/';

    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == '/') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);

    std::string resolved = text[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string entry;
        if (parts[i] == "." || parts[i] == "..") {
            entry = parts[i];
        } else if (!findEntry(resolved, parts[i], entry)) {
            return String(path);
        }
        resolved += entry;
        if (i + 1 < parts.size()) resolved += '/';
    }
    return String(resolved.c_str());
}
