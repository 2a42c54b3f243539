// Paint tools: the algorithms that change the texture layers under a brush.
//
// The detail painters raise one detail texture's weight in the detail masks
// and lower the others so that the weights keep their sum; the colour
// painters blend the colour map toward a colour, or toward a tinted
// picture. Every painter can be held to a band of terrain heights and to
// bands of slope, and roughened by the noise table.
//
// One call is one paint application: the brush point p (x = column,
// z = row in heightfield cells), an amount the caller derives from strength
// and frame time, and the working BrushSettings (whose slope bands are
// derived from its buttons at every call). Each painter walks only the
// tiles its brush touches, works on the tile pixels in memory, makes every
// shared border pixel it touched equal in both tiles that hold it, and
// uploads each changed tile once through the TextureUploader.
//
// Brush points outside [0, N - 1] do nothing, as do layers of the wrong
// pixel size (4 bytes for masks, 3 for the colour map) and compressed
// paint pictures.
#pragma once

#include "shared/vec3.h"

#include <cstdint>

class Heightfield;
class Image;
class TextureLayer;
class TextureLayers;
struct BrushSettings;

constexpr int kPaintNoiseEntries = 1023;

// Fills the noise table: the C library's generator is seeded with seed
// (the editor passes the whole seconds of its timer at start-up, before it
// seeds the generator with 100 for the terraform tools), then entry i =
// (rand() mod 1000) x 0.001. Until then the table holds a fixed sequence.
void initNoise(unsigned seed);
// Entry k mod 1023.
float PaintNoise(uint32_t k);

// Slope bands from the four slope buttons (0, 25, 50 and 75 degrees): the
// first run of checked buttons is band 1, the next run band 2; bands are -1
// when unused. slopeWidth becomes 25.
void deriveSlopeBands(BrushSettings& settings);

// Detail painting into slot 0..3 of detail mask 1, or 0..7 of both masks.
// limit is the cap base, always 1.0.
void PaintDetail4(TextureLayers& layers, const Heightfield& field, int slot, Vec3 p, float amount, float limit,
                  BrushSettings& settings);
void PaintDetail8(TextureLayers& layers, const Heightfield& field, int slot, Vec3 p, float amount, float limit,
                  BrushSettings& settings);

// Blends the colour map toward colour (r, g, b, a in 0..1; alpha only
// varies the noise).
void PaintColour(TextureLayers& layers, const Heightfield& field, const float colour[4], Vec3 p, float amount,
                 BrushSettings& settings);
// Blends toward colour times the picture, which repeats across the colour
// map (settings.scale > 1 makes it smaller).
void PaintTexture(TextureLayers& layers, const Heightfield& field, const Image& picture, const float colour[4], Vec3 p,
                  float amount, BrushSettings& settings);
