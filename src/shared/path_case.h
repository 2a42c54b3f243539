// Program data is named in many spellings ("Data/Textures", "data/textures",
// "data/Textures") by files written on a system whose file names ignore
// case. On Linux each spelling is a different folder, so a name that does
// not exist as written is looked up one component at a time, ignoring case.
#pragma once

#include "shared/string.h"

// The path of an existing file or folder that matches path ignoring case
// (backslashes count as separators, repeated separators as one); path
// itself when it exists as written or nothing matches.
String ResolvePathCase(const char* path);
