// Heightmap export: the terrain heights as a 16-bit PNG (the map's own
// heightmap and "Export Heightmap Image" to .png), an 8-bit picture in any
// other writable format, or an OBJ text mesh.
//
// Heights are quantised as trunc(h / (scale / levels)) and clamped to the
// picture's range, so a height below 0 never wraps into a spike.
#pragma once

#include "shared/string.h"

class Heightfield;

// n x n grey, 2 bytes per sample; false when the file could not be written.
bool WriteHeightmapPicture16(const Heightfield& heightfield, const char* path);
bool WriteHeightmapPicture8(const Heightfield& heightfield, const char* path);

// The OBJ mesh: every sample as a vertex, two faces per cell along the
// terrain's own diagonal.
bool WriteObj(const Heightfield& heightfield, const char* path, String* error = nullptr);

// Picks the format by the extension: ".png" 16-bit, ".obj" mesh, ".tga"
// 8-bit. Any other extension, or none, writes nothing and says why.
bool ExportHeightmap(const Heightfield& heightfield, const char* path, String* error = nullptr);
