#include "map/map_paths.h"

#include <cctype>
#include <cstring>
#include <strings.h>
#include <string>

namespace {

constexpr const char* kHome = "[HOME]";

void replaceAll(std::string& text, const std::string& what, const std::string& with)
{
    if (what.empty()) return;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}

bool startsWith(const char* text, const char* prefix)
{
    return *prefix && std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

bool IsAbsolutePath(const char* path)
{
    if (!path || !*path) return false;
    if (path[0] == '/') return true;
    if (path[0] == '\\' && path[1] == '\\') return true;
    return std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

String ResolvePath(const char* path, const char* mapFolder, const char* programFolder)
{
    if (!path) return String();
    if (startsWith(path, kHome)) {
        std::string text(path);
        replaceAll(text, kHome, programFolder ? programFolder : "");
        return String(text.c_str());
    }
    if (IsAbsolutePath(path)) return String(path);
    String resolved(mapFolder ? mapFolder : "");
    resolved.append(path);
    return resolved;
}

String RelativePath(const char* path, const char* mapFolder, const char* programFolder)
{
    if (!path) return String();
    std::string text(path);
    if (mapFolder && startsWith(path, mapFolder)) {
        replaceAll(text, mapFolder, "");
    } else if (programFolder && startsWith(path, programFolder)) {
        replaceAll(text, programFolder, kHome);
    }
    return String(text.c_str());
}

String MapNameFromFileName(const char* fileName)
{
    String name = String(fileName ? fileName : "").fileName();
    const char* dot = std::strrchr(name.c_str(), '.');
    if (!dot || dot == name.c_str()) return name;
    String stem;
    stem.append(name.c_str(), static_cast<size_t>(dot - name.c_str()));
    return stem;
}

String AbsoluteFolder(const char* folder, const char* programFolder)
{
    String result;
    if (!IsAbsolutePath(folder)) {
        result = programFolder ? programFolder : "";
        bool leftHas = !result.empty() && isSeparator(result.c_str()[result.length() - 1]);
        bool rightHas = folder && isSeparator(folder[0]);
        if (!result.empty() && !leftHas && !rightHas) result.append("/");
        if (leftHas && rightHas) ++folder;
    }
    result.append(folder ? folder : "");
    if (result.empty() || !isSeparator(result.c_str()[result.length() - 1])) result.append("/");
    return result;
}

const char* FileExtension(const char* path)
{
    if (!path) return nullptr;
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    if (backslash && (!slash || backslash > slash)) slash = backslash;
    const char* dot = std::strrchr(path, '.');
    return dot && (!slash || dot > slash) ? dot : nullptr;
}

bool HasExtension(const char* path, const char* extension)
{
    const char* dot = FileExtension(path);
    return dot && strcasecmp(dot, extension) == 0;
}

void SplitPath(const char* path, String& folder, String& fileName)
{
    String whole(path);
    folder = whole.folder();
    fileName = whole.fileName();
}
