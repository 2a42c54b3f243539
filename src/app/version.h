// The program's name and version as the user sees them.
#pragma once

constexpr const char* kProgramTitle = "Glebora 1.05";
constexpr float kProgramVersion = 1.05f;
