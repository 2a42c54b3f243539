#include "tools/paint.h"

#include "image/image.h"
#include "terrain/heightfield.h"
#include "texturing/texture_layers.h"
#include "tools/brush.h"
#include "tools/grid_rect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A fixed sequence until initNoise runs, so painting never depends on
// whether start-up got that far.
struct NoiseTable {
    NoiseTable()
    {
        uint32_t state = 1;
        for (float& entry : entries) {
            state = state * 1103515245u + 12345u;
            entry = static_cast<float>((state >> 16) % 1000) * 0.001f;
        }
    }
    float entries[kPaintNoiseEntries];
};

NoiseTable& Noise()
{
    static NoiseTable table;
    return table;
}

// Tile geometry of one painted layer over the heightfield.
struct Walk {
    int n = 0;     // heightfield samples per side
    int tiles = 0; // D, tiles per side
    int size = 0;  // T, pixels per tile side
    int patch = 0; // P, heightfield cells per tile side
    float cellsPerPixel = 0.0f;
    float pixelsPerCell = 0.0f;
};

bool MakeWalk(const TextureLayer& layer, const Heightfield& field, Walk& walk)
{
    if (!layer.hasTiles() || field.empty()) return false;
    walk.n = field.size();
    walk.tiles = layer.tilesPerSide();
    walk.size = layer.tileSize();
    walk.patch = (walk.n - 1) / walk.tiles;
    if (walk.patch < 1 || walk.size < 2) return false;
    walk.cellsPerPixel = static_cast<float>(walk.patch) / static_cast<float>(walk.size);
    walk.pixelsPerCell = static_cast<float>(walk.size) / static_cast<float>(walk.patch);
    return true;
}

// Which shared border pixels a painter changed, per tile and side, so that
// the copy in the neighbouring tile can be made equal afterwards.
class BorderMarks {
public:
    enum Side { Left, Right, Top, Bottom };

    void reset(int tileCount, int size)
    {
        m_size = static_cast<size_t>(size);
        m_marks.assign(static_cast<size_t>(tileCount) * 4 * m_size, 0);
        m_touched.assign(static_cast<size_t>(tileCount), 0);
        m_dirty.assign(static_cast<size_t>(tileCount), 0);
    }
    uint8_t* side(int tile, Side which) { return m_marks.data() + (static_cast<size_t>(tile) * 4 + which) * m_size; }
    void mark(int tile, int u, int v)
    {
        const int last = static_cast<int>(m_size) - 1;
        if (u == 0) side(tile, Left)[v] = 1;
        if (u == last) side(tile, Right)[v] = 1;
        if (v == 0) side(tile, Top)[u] = 1;
        if (v == last) side(tile, Bottom)[u] = 1;
    }
    std::vector<uint8_t>& touched() { return m_touched; }
    std::vector<uint8_t>& dirty() { return m_dirty; }

private:
    size_t m_size = 0;
    std::vector<uint8_t> m_marks;
    std::vector<uint8_t> m_touched;
    std::vector<uint8_t> m_dirty;
};

BorderMarks& Marks()
{
    static BorderMarks marks;
    return marks;
}

// The constraint factor c of a pixel sampled at (x, z), and for the detail
// painters the cap on the painted weight. False when c is 0: the pixel is
// not painted at all.
struct Constraint {
    bool detail;       // keep the cap
    bool squareHeight; // the colour painters square the height factor
};

inline bool ConstraintFactor(const Heightfield& field, const BrushSettings& settings, Constraint kind, float capBase,
                             float x, float z, float sPrime, float& c, float& cap)
{
    c = 1.0f;
    cap = capBase;
    if (settings.heightEnabled) {
        float distance = std::fabs(settings.height - field.GetHeight(x, z));
        if (!(distance < settings.heightRange)) return false;
        c = 1.0f - distance / settings.heightRange;
        if (kind.squareHeight) c *= c;
        if (kind.detail) cap = std::ceil((c * settings.softness + (1.0f - settings.softness)) * capBase);
    }
    if (settings.slopeEnabled) {
        const float g = field.GetSlope(x, z);
        const float width = settings.slopeWidth;
        float distance = -1.0f;
        if (settings.band1Min < g && g < settings.band1Max) {
            return true;
        }
        const float lo1 = std::fabs(settings.band1Min - g);
        const float hi1 = std::fabs(settings.band1Max - g);
        if (lo1 < width) {
            distance = lo1;
        } else if (hi1 < width) {
            distance = hi1;
        } else {
            if (settings.band2Min == -1.0f) return false;
            if (settings.band2Min < g && g < settings.band2Max) return true;
            const float lo2 = std::fabs(settings.band2Min - g);
            const float hi2 = std::fabs(settings.band2Max - g);
            if (lo2 < width) {
                distance = lo2;
            } else if (hi2 < width) {
                distance = hi2;
            } else {
                return false;
            }
        }
        c = (1.0f - distance / width) * c;
        if (kind.detail) cap = std::ceil((c * settings.softness + (1.0f - sPrime)) * capBase);
    }
    return c > 0.0f;
}

// The pixel walk shared by every painter. Calls
//   paint(tile, u, v, falloff, sampleX, sampleZ, sPrime) -> bool changed
// for every pixel of every touched tile within the brush, tile rows outer.
// Marks the touched tiles and the changed border pixels.
template <class Paint>
void WalkBrush(const Walk& walk, Vec3 p, float radius, float softness, BorderMarks& marks, Paint&& paint)
{
    const int T = walk.size;
    const int P = walk.patch;
    const GridRect rect = brushRect(p, radius);
    const float r2 = radius * radius;
    const float halfPixel = walk.cellsPerPixel * 0.5f;
    for (int i = 0; i < walk.tiles; ++i) {
        for (int j = 0; j < walk.tiles; ++j) {
            const int cx = j * P, cz = i * P;
            const int L = std::max(rect.left, cx), R = std::min(rect.right, cx + P);
            const int top = std::max(rect.top, cz), B = std::min(rect.bottom, cz + P);
            if (L >= R || top >= B) continue;
            const int tile = i * walk.tiles + j;
            // (L - cx) x T / P in integers: exact, where a float product
            // could land just below a whole pixel.
            int c0 = static_cast<int>(static_cast<int64_t>(L - cx) * T / P);
            int c1 = static_cast<int>(static_cast<int64_t>(R - cx) * T / P);
            int r0 = static_cast<int>(static_cast<int64_t>(top - cz) * T / P);
            int r1 = static_cast<int>(static_cast<int64_t>(B - cz) * T / P);
            float tileR2 = r2;
            float sPrime = softness;
            if (radius <= walk.cellsPerPixel && L <= p.x && p.x <= R && top <= p.z && p.z <= B) {
                // A brush smaller than a pixel paints the pixel under its
                // centre at full weight. On the tile's right or bottom edge
                // that is the shared last pixel, not one past it.
                c0 = std::min(static_cast<int>(walk.pixelsPerCell * (p.x - static_cast<float>(cx))), T - 1);
                r0 = std::min(static_cast<int>(walk.pixelsPerCell * (p.z - static_cast<float>(cz))), T - 1);
                c1 = c0 + 1;
                r1 = r0 + 1;
                tileR2 = 100.0f;
                sPrime = 0.0f;
            }
            c1 = std::min(c1, T);
            r1 = std::min(r1, T);
            marks.touched()[static_cast<size_t>(tile)] = 1;
            for (int v = r0; v < r1; ++v) {
                const float gz = static_cast<float>(top) + static_cast<float>(v - r0) * walk.cellsPerPixel;
                const float dz = p.z - gz;
                for (int u = c0; u < c1; ++u) {
                    const float gx = static_cast<float>(L) + static_cast<float>(u - c0) * walk.cellsPerPixel;
                    const float dx = p.x - gx;
                    const float d2 = dz * dz + dx * dx;
                    if (d2 > tileR2) continue;
                    const float falloff = std::sin((1.0f - std::sqrt(d2) * sPrime / radius) * 90.0f * 0.017453292f);
                    if (paint(tile, u, v, falloff, gx + halfPixel, gz + halfPixel, sPrime)) marks.mark(tile, u, v);
                }
            }
        }
    }
}

// Makes both copies of every shared border pixel the painters changed
// equal: the changed copy wins, and the tile to the left or above when both
// changed. Tiles whose copy changed are marked dirty.
void EqualiseBorders(TextureLayer* const* layers, int layerCount, const Walk& walk, BorderMarks& marks)
{
    const int D = walk.tiles;
    const int T = walk.size;
    if (D < 2) return;
    auto copyPixel = [&](int fromTile, int fu, int fv, int toTile, int tu, int tv) {
        for (int l = 0; l < layerCount; ++l) {
            TextureLayer& layer = *layers[l];
            const size_t bytes = static_cast<size_t>(layer.bytesPerPixel());
            const uint8_t* from = layer.tile(fromTile) + (static_cast<size_t>(fv) * T + fu) * bytes;
            uint8_t* to = layer.tile(toTile) + (static_cast<size_t>(tv) * T + tu) * bytes;
            if (std::memcmp(from, to, bytes) != 0) {
                std::memcpy(to, from, bytes);
                marks.dirty()[static_cast<size_t>(toTile)] = 1;
            }
        }
    };
    auto touched = [&](int tile) { return marks.touched()[static_cast<size_t>(tile)] != 0; };
    // Left and right neighbours first; the marks they set on the corner
    // pixels carry the result into the pass over upper and lower ones.
    for (int i = 0; i < D; ++i) {
        for (int j = 0; j + 1 < D; ++j) {
            const int a = i * D + j, b = a + 1;
            if (!touched(a) && !touched(b)) continue;
            uint8_t* right = marks.side(a, BorderMarks::Right);
            uint8_t* left = marks.side(b, BorderMarks::Left);
            for (int v = 0; v < T; ++v) {
                if (right[v]) {
                    copyPixel(a, T - 1, v, b, 0, v);
                    marks.mark(b, 0, v);
                } else if (left[v]) {
                    copyPixel(b, 0, v, a, T - 1, v);
                    marks.mark(a, T - 1, v);
                }
            }
        }
    }
    for (int i = 0; i + 1 < D; ++i) {
        for (int j = 0; j < D; ++j) {
            const int a = i * D + j, b = a + D;
            if (!touched(a) && !touched(b) && !marks.dirty()[static_cast<size_t>(a)] &&
                !marks.dirty()[static_cast<size_t>(b)])
                continue;
            uint8_t* bottom = marks.side(a, BorderMarks::Bottom);
            uint8_t* topSide = marks.side(b, BorderMarks::Top);
            for (int u = 0; u < T; ++u) {
                if (bottom[u]) {
                    copyPixel(a, u, T - 1, b, u, 0);
                } else if (topSide[u]) {
                    copyPixel(b, u, 0, a, u, T - 1);
                }
            }
        }
    }
}

// Uploads every tile the walk touched or the border pass changed, once.
void UploadChanged(TextureLayer* const* layers, int layerCount, BorderMarks& marks)
{
    for (int l = 0; l < layerCount; ++l) {
        for (int tile = 0; tile < layers[l]->tileCount(); ++tile) {
            if (marks.touched()[static_cast<size_t>(tile)] || marks.dirty()[static_cast<size_t>(tile)])
                layers[l]->uploadTile(tile);
        }
    }
}

bool InsideMap(const Heightfield& field, Vec3 p)
{
    const float last = static_cast<float>(field.size() - 1);
    return !field.empty() && p.x >= 0.0f && p.x <= last && p.z >= 0.0f && p.z <= last;
}

// float to an int in [lo, hi]; NaN gives lo.
inline int ClampToInt(float value, int lo, int hi)
{
    if (!(value > static_cast<float>(lo))) return lo;
    if (value >= static_cast<float>(hi)) return hi;
    return static_cast<int>(value);
}

// The detail painter for `channels` weights in one or two masks.
void PaintDetail(TextureLayer* const* masks, int maskCount, const Heightfield& field, int slot, Vec3 p, float amount,
                 float limit, BrushSettings& settings)
{
    deriveSlopeBands(settings);
    const int channels = maskCount * 4;
    if (slot < 0 || slot >= channels || !InsideMap(field, p) || !(settings.radius > 0.0f)) return;
    Walk walk;
    if (!MakeWalk(*masks[0], field, walk)) return;
    for (int m = 0; m < maskCount; ++m) {
        // Weights are four bytes a pixel; anything else is not a mask.
        if (masks[m]->bytesPerPixel() != 4 || masks[m]->tileSize() != walk.size ||
            masks[m]->tilesPerSide() != walk.tiles)
            return;
    }
    BorderMarks& marks = Marks();
    marks.reset(walk.tiles * walk.tiles, walk.size);
    const float amount255 = amount * 255.0f;
    const float capBase = limit * 255.0f;
    const float noise = settings.noise;
    const uint32_t noiseStep = static_cast<uint32_t>(slot + 1);
    const Constraint kind{true, false};
    const size_t T = static_cast<size_t>(walk.size);

    WalkBrush(walk, p, settings.radius, settings.softness, marks,
              [&](int tile, int u, int v, float falloff, float sx, float sz, float sPrime) {
                  float c, cap;
                  if (!ConstraintFactor(field, settings, kind, capBase, sx, sz, sPrime, c, cap)) return false;
                  uint8_t* pixel[2];
                  int w[8];
                  for (int m = 0; m < maskCount; ++m) {
                      pixel[m] = masks[m]->tile(tile) + (static_cast<size_t>(v) * T + static_cast<size_t>(u)) * 4;
                      for (int k = 0; k < 4; ++k)
                          w[m * 4 + k] = pixel[m][k];
                  }
                  const int old = w[slot];
                  int inc = ClampToInt(falloff * c * amount255, 0, 255 - old);
                  const float scaled =
                      (PaintNoise(noiseStep * static_cast<uint32_t>(u) * static_cast<uint32_t>(v)) * noise +
                       (1.0f - noise)) *
                      static_cast<float>(inc);
                  inc = ClampToInt(scaled, 0, 255);
                  if (static_cast<float>(old + inc) > cap) inc = ClampToInt(cap - static_cast<float>(old), 0, 255);
                  if (old + inc > 255) inc = 255 - old;
                  if (inc <= 0) return false;
                  w[slot] = old + inc;

                  int others = 0;
                  for (int k = 0; k < channels; ++k)
                      if (k != slot) others += w[k];
                  if (others > 0) {
                      int taken = 0;
                      for (int k = 0; k < channels; ++k) {
                          if (k == slot) continue;
                          // Never more than the weight holds: masks from other
                          // programs may not sum to 255.
                          int dec = std::min(w[k], inc * w[k] / others);
                          w[k] -= dec;
                          taken += dec;
                      }
                      int rest = inc - taken;
                      for (int k = 0; k < channels && rest > 0; ++k) {
                          if (k == slot || w[k] == 0) continue;
                          int dec = std::min(rest, w[k]);
                          w[k] -= dec;
                          rest -= dec;
                      }
                  }
                  for (int m = 0; m < maskCount; ++m)
                      for (int k = 0; k < 4; ++k)
                          pixel[m][k] = static_cast<uint8_t>(w[m * 4 + k]);
                  return true;
              });
    EqualiseBorders(masks, maskCount, walk, marks);
    UploadChanged(masks, maskCount, marks);
}

// Channel c (0..2) of a picture pixel as a byte; grey pictures give their
// value for every channel, 16-bit samples their high byte.
inline int PictureChannel(const uint8_t* pixel, int bytes, int c)
{
    switch (bytes) {
    case 1:
        return pixel[0];
    case 2:
        return pixel[1];
    case 6:
    case 8:
        return pixel[2 * c + 1];
    default:
        return pixel[c];
    }
}

// |colour packed as a signed 32-bit value| mod 1023. The packed value of
// a colour with alpha 128 and black RGB is 0x80000000, whose magnitude does
// not fit in 32 bits, so the magnitude is taken in 64 bits.
uint32_t ColourNoiseKey(const float colour[4])
{
    auto byte = [](float channel) { return static_cast<uint32_t>(ClampToInt(channel * 255.0f, 0, 255)); };
    const uint32_t packed = byte(colour[3]) << 24 | byte(colour[0]) << 16 | byte(colour[1]) << 8 | byte(colour[2]);
    int64_t value = static_cast<int32_t>(packed);
    if (value < 0) value = -value;
    return static_cast<uint32_t>(value % kPaintNoiseEntries);
}

// The colour painters' blend factor f of a pixel, before the noise.
inline float ColourFactor(float c, float amount, float falloff)
{
    float e = c * c;
    if (!(e >= 0.2f)) e = 0.0f;
    return std::min(amount * e * falloff, 1.0f);
}

} // namespace

void initNoise(unsigned seed)
{
    std::srand(seed);
    for (float& entry : Noise().entries)
        entry = static_cast<float>(std::rand() % 1000) * 0.001f;
}

float PaintNoise(uint32_t k)
{
    return Noise().entries[k % kPaintNoiseEntries];
}

void deriveSlopeBands(BrushSettings& settings)
{
    settings.band1Min = settings.band1Max = settings.band2Min = settings.band2Max = -1.0f;
    settings.slopeWidth = 25.0f;
    if (!settings.slopeEnabled) return;
    int band = 0;
    for (int button = 0; button < 4 && band < 2; ++button) {
        if (!settings.slopeButtons[button]) continue;
        int last = button;
        while (last + 1 < 4 && settings.slopeButtons[last + 1])
            ++last;
        float lo = static_cast<float>(button) * 25.0f;
        float hi = static_cast<float>(last) * 25.0f;
        if (band == 0) {
            settings.band1Min = lo;
            settings.band1Max = hi;
        } else {
            settings.band2Min = lo;
            settings.band2Max = hi;
        }
        ++band;
        button = last;
    }
}

void PaintDetail4(TextureLayers& layers, const Heightfield& field, int slot, Vec3 p, float amount, float limit,
                  BrushSettings& settings)
{
    TextureLayer* masks[1] = {&layers.detailMask1};
    PaintDetail(masks, 1, field, slot, p, amount, limit, settings);
}

void PaintDetail8(TextureLayers& layers, const Heightfield& field, int slot, Vec3 p, float amount, float limit,
                  BrushSettings& settings)
{
    if (!layers.detailMask2.hasTiles()) {
        // A four-detail map has no weights for slots 5 to 8.
        if (slot < 4) PaintDetail4(layers, field, slot, p, amount, limit, settings);
        return;
    }
    TextureLayer* masks[2] = {&layers.detailMask1, &layers.detailMask2};
    PaintDetail(masks, 2, field, slot, p, amount, limit, settings);
}

void PaintColour(TextureLayers& layers, const Heightfield& field, const float colour[4], Vec3 p, float amount,
                 BrushSettings& settings)
{
    deriveSlopeBands(settings);
    TextureLayer* map[1] = {&layers.colourMap};
    Walk walk;
    if (!InsideMap(field, p) || !(settings.radius > 0.0f) || !MakeWalk(layers.colourMap, field, walk)) return;
    if (layers.colourMap.bytesPerPixel() != 3) return;
    BorderMarks& marks = Marks();
    marks.reset(walk.tiles * walk.tiles, walk.size);
    const uint32_t key = ColourNoiseKey(colour);
    const float target[3] = {colour[0] * 256.0f, colour[1] * 256.0f, colour[2] * 256.0f};
    const float noise = settings.noise;
    const Constraint kind{false, true};
    const size_t T = static_cast<size_t>(walk.size);

    WalkBrush(
        walk, p, settings.radius, settings.softness, marks,
        [&](int tile, int u, int v, float falloff, float sx, float sz, float sPrime) {
            float c, cap;
            if (!ConstraintFactor(field, settings, kind, 255.0f, sx, sz, sPrime, c, cap)) return false;
            float f = ColourFactor(c, amount, falloff);
            const uint32_t index = (key + static_cast<uint32_t>(u) * static_cast<uint32_t>(v) % kPaintNoiseEntries);
            f = (PaintNoise(index) * noise + (1.0f - noise)) * f;
            if (f >= 1.0f) f -= 0.001f;
            uint8_t* pixel = layers.colourMap.tile(tile) + (static_cast<size_t>(v) * T + static_cast<size_t>(u)) * 3;
            bool changed = false;
            for (int k = 0; k < 3; ++k) {
                const uint8_t value =
                    static_cast<uint8_t>(ClampToInt((1.0f - f) * static_cast<float>(pixel[k]) + f * target[k], 0, 255));
                changed |= value != pixel[k];
                pixel[k] = value;
            }
            return changed;
        });
    EqualiseBorders(map, 1, walk, marks);
    UploadChanged(map, 1, marks);
}

void PaintTexture(TextureLayers& layers, const Heightfield& field, const Image& picture, const float colour[4], Vec3 p,
                  float amount, BrushSettings& settings)
{
    deriveSlopeBands(settings);
    // Block-compressed pictures have no pixels to read.
    if (picture.m_compressedFormat != 0 || !picture.m_data || picture.m_width <= 0 || picture.m_height <= 0) return;
    const int bytes = picture.m_bytesPerPixel;
    if (bytes != 1 && bytes != 2 && bytes != 3 && bytes != 4 && bytes != 6 && bytes != 8) return;
    const float scale = settings.scale;
    if (!(scale > 0.0f) || !std::isfinite(scale)) return;
    TextureLayer* map[1] = {&layers.colourMap};
    Walk walk;
    if (!InsideMap(field, p) || !(settings.radius > 0.0f) || !MakeWalk(layers.colourMap, field, walk)) return;
    if (layers.colourMap.bytesPerPixel() != 3) return;
    BorderMarks& marks = Marks();
    marks.reset(walk.tiles * walk.tiles, walk.size);
    const float noise = settings.noise;
    const Constraint kind{false, true};
    const size_t T = static_cast<size_t>(walk.size);
    const int64_t width = picture.m_width, height = picture.m_height;

    WalkBrush(walk, p, settings.radius, settings.softness, marks,
              [&](int tile, int u, int v, float falloff, float sx, float sz, float sPrime) {
                  float c, cap;
                  if (!ConstraintFactor(field, settings, kind, 255.0f, sx, sz, sPrime, c, cap)) return false;
                  const int i = tile / walk.tiles, j = tile % walk.tiles;
                  const double px = std::floor(static_cast<double>(j * walk.size + u) * scale);
                  const double py = std::floor(static_cast<double>(i * walk.size + v) * scale);
                  if (px >= 9.0e18 || py >= 9.0e18) return false;
                  const int64_t column = static_cast<int64_t>(px) % width;
                  const int64_t row = static_cast<int64_t>(py) % height;
                  const uint8_t* source = picture.m_data + (static_cast<size_t>(row) * static_cast<size_t>(width) +
                                                            static_cast<size_t>(column)) *
                                                               static_cast<size_t>(bytes);
                  float f = ColourFactor(c, amount, falloff);
                  const uint32_t index = static_cast<uint32_t>(u) * static_cast<uint32_t>(v) + source[0];
                  f = (PaintNoise(index) * noise + (1.0f - noise)) * f;
                  if (f >= 1.0f) f -= 0.001f;
                  uint8_t* pixel =
                      layers.colourMap.tile(tile) + (static_cast<size_t>(v) * T + static_cast<size_t>(u)) * 3;
                  bool changed = false;
                  for (int k = 0; k < 3; ++k) {
                      const int picked = PictureChannel(source, bytes, k);
                      const float value = f * colour[k] * static_cast<float>(picked) + (1.0f - f) * pixel[k];
                      const float rounded = pixel[k] < picked ? std::ceil(value) : std::floor(value);
                      const uint8_t result = static_cast<uint8_t>(ClampToInt(rounded, 0, 255));
                      changed |= result != pixel[k];
                      pixel[k] = result;
                  }
                  return changed;
              });
    EqualiseBorders(map, 1, walk, marks);
    UploadChanged(map, 1, marks);
}
