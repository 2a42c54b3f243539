// The eight default detail textures: procedural, tileable ground pictures
// that new maps use until the user picks textures of their own.
#pragma once

#include <filesystem>

// Writes default1.tga .. default8.tga (grass, rock, sand, snow, dirt,
// gravel, moss, mud; 256 x 256 RGB) into folder. False when one could not
// be written.
bool WriteDefaultDetailTextures(const std::filesystem::path& folder);
