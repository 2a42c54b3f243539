// A 5 x 7 pixel font for the pictures the asset generator draws: capitals,
// digits and the punctuation the program's pictures need. Lower-case text
// is drawn in capitals.
#pragma once

// The seven rows of a glyph, bit 4 the leftmost column; nullptr for a
// character the font does not have.
const unsigned char* GlyphRows(char c);

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // one blank column between glyphs
