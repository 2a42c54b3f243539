// Path rules of map files.
//
// Map files name textures and objects either relative to the map folder,
// with a "[HOME]" prefix for the program folder, or absolutely. Files
// written on other systems may use backslashes and drive letters, so both
// are understood when reading.
#pragma once

#include "shared/string.h"

// '/' at the start, a drive letter and colon, or two backslashes.
bool IsAbsolutePath(const char* path);

// For reading: "[HOME]" becomes the program folder, a relative path is
// taken inside the map folder, an absolute one is kept.
String ResolvePath(const char* path, const char* mapFolder, const char* programFolder);

// For writing: a path inside the map folder loses the folder, one inside
// the program folder gets "[HOME]" instead of it, others are kept.
String RelativePath(const char* path, const char* mapFolder, const char* programFolder);

// The map name is the file name without its last extension, so
// "island.v2.map" is the map "island.v2" and never touches the pictures of
// "island".
String MapNameFromFileName(const char* fileName);

// A folder made absolute against the program folder, with a trailing '/'.
String AbsoluteFolder(const char* folder, const char* programFolder);

// The extension of the file part with its dot (".map"), or nullptr when
// the file name has none; a dot in a folder name does not count.
const char* FileExtension(const char* path);
// Whether the extension is `extension`, compared without regard to case.
bool HasExtension(const char* path, const char* extension);

// Splits a path into its folder (with trailing separator) and file name.
void SplitPath(const char* path, String& folder, String& fileName);
