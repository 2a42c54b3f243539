// The program folder: where the executable, Data/, Plugins/, Maps/ and
// Glebora.ini live. It is the working directory whenever the program reads
// or writes its own files, and "[HOME]" in map files stands for it.
#pragma once

#include "shared/string.h"

// The folder of the running executable with a trailing '/', computed from
// /proc/self/exe; "./" when that cannot be read.
String FindProgramFolder();

// The folder in use; empty until set. Tests point it at a temporary folder.
const String& ProgramFolder();
void SetProgramFolder(const char* folder);

// chdir to the program folder, or to the folder joined with a sub-folder.
bool ChangeToProgramFolder(const char* subFolder = nullptr);
