#include "texturing/lightmap.h"

#include "shared/fast_math.h"
#include "shared/progress_bar.h"
#include "shared/vec3.h"
#include "terrain/heightfield.h"
#include "terrain/terrain_ray.h"
#include "tools/grid_rect.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Truncation toward zero, as every float-to-byte conversion of the
// lightmap; values below 0 (and NaN) give 0, values above 255 give 255.
inline uint8_t ToByte(float value)
{
    if (!(value > 0.0f)) return 0;
    return value < 255.0f ? static_cast<uint8_t>(value) : 255;
}

struct TriangleNormals {
    Vec3 first;  // V(x,z), V(x+1,z), V(x,z+1)
    Vec3 second; // V(x+1,z+1), V(x+1,z), V(x,z+1)
};

inline Vec3 FastUnit(float x, float y, float z)
{
    float scale = FastInvSqrt(x * x + y * y + z * z);
    return {x * scale, y * scale, z * scale};
}

// Normals of cells cx0 .. cx0 + count - 1 of cell row cz. Cells outside the
// grid get `outside` for both triangles.
void CellRow(const Vec3* vertices, int n, int cz, int cx0, int count, Vec3 outside, TriangleNormals* row)
{
    if (cz < 0 || cz >= n - 1) {
        for (int i = 0; i < count; ++i)
            row[i] = {outside, outside};
        return;
    }
    const Vec3* upper = vertices + static_cast<size_t>(cz) * n;
    const Vec3* lower = upper + n;
    for (int i = 0; i < count; ++i) {
        const int cx = cx0 + i;
        if (cx < 0 || cx >= n - 1) {
            row[i] = {outside, outside};
            continue;
        }
        const float h00 = upper[cx].y;
        const float h10 = upper[cx + 1].y;
        const float h01 = lower[cx].y;
        const float h11 = lower[cx + 1].y;
        // The cross products (V(x,z+1) - V(x,z)) x (V(x+1,z) - V(x,z)) and
        // (V(x+1,z) - V(x+1,z+1)) x (V(x,z+1) - V(x+1,z+1)) with the unit
        // grid spacing written out; both point up.
        row[i].first = FastUnit(h00 - h10, 1.0f, h00 - h01);
        row[i].second = FastUnit(h01 - h11, 1.0f, h10 - h11);
    }
}

// Lambert values max(0, n . light) of the vertices x0..x1, z0..z1 (inside
// the grid) into out, row stride x1 - x0 + 1. A vertex normal is the
// normalised sum of the six triangles around it; triangles of cells outside
// the grid count as `outside` (zero leaves them out). Cell normals are made
// one row at a time, so memory stays two cell rows whatever the map size.
// rowDone is called after each vertex row (progress).
template <class RowDone>
void ComputeLambert(const Vec3* vertices, int n, int x0, int z0, int x1, int z1, Vec3 outside, Vec3 light, float* out,
                    RowDone&& rowDone)
{
    const int cells = x1 - x0 + 2; // cell columns x0 - 1 .. x1
    std::vector<TriangleNormals> rows(static_cast<size_t>(cells) * 2);
    TriangleNormals* above = rows.data();
    TriangleNormals* below = rows.data() + cells;
    CellRow(vertices, n, z0 - 1, x0 - 1, cells, outside, above);
    const size_t stride = static_cast<size_t>(x1 - x0 + 1);
    for (int z = z0; z <= z1; ++z) {
        CellRow(vertices, n, z, x0 - 1, cells, outside, below);
        float* lambert = out + static_cast<size_t>(z - z0) * stride;
        for (int i = 0; i + 1 < cells; ++i) {
            // Vertex x0 + i: cells (x-1, z-1) = above[i], (x, z-1) =
            // above[i+1], (x, z) = below[i+1], (x-1, z) = below[i].
            const TriangleNormals& upLeft = above[i];
            const TriangleNormals& up = above[i + 1];
            const TriangleNormals& here = below[i + 1];
            const TriangleNormals& left = below[i];
            float sx = upLeft.second.x, sy = upLeft.second.y, sz = upLeft.second.z;
            sx += up.first.x, sy += up.first.y, sz += up.first.z;
            sx += up.second.x, sy += up.second.y, sz += up.second.z;
            sx += here.first.x, sy += here.first.y, sz += here.first.z;
            sx += left.first.x, sy += left.first.y, sz += left.first.z;
            sx += left.second.x, sy += left.second.y, sz += left.second.z;
            FastNormalize(sx, sy, sz);
            lambert[i] = std::max(0.0f, sx * light.x + sy * light.y + sz * light.z);
        }
        std::swap(above, below);
        rowDone();
    }
}

// Where texel t lies along one axis: the heightfield position t N / S
// clamped to the last vertex, the cell under it (at most the last cell)
// and the fraction across that cell (1 on the last vertex).
struct AxisPosition {
    float position;
    int cell;
    float fraction;
};

inline AxisPosition TexelPosition(int t, int n, int s)
{
    float position = static_cast<float>(static_cast<double>(t) * n / s);
    const float last = static_cast<float>(n - 1);
    if (position > last) position = last;
    const int cell = std::min(static_cast<int>(position), n - 2);
    return {position, cell, position - static_cast<float>(cell)};
}

// Linear interpolation on the triangle holding (fx, fz) of a cell, from
// its corner values a00 = (v, w), a10 = (v+1, w), a01 = (v, w+1), a11 =
// (v+1, w+1).
inline float OnTriangle(float a00, float a10, float a01, float a11, float fx, float fz)
{
    if (fx + fz >= 1.0f) return a01 + (1.0f - fz) * (a10 - a11) + fx * (a11 - a01);
    return a00 + fx * (a10 - a00) + fz * (a01 - a00);
}

// One lighting run over texel columns tx0..tx1-1: the light, the lambert
// grid it reads and the shadow settings.
class TexelPass {
public:
    TexelPass(const Heightfield& field, const LightSettings& light, int bytesPerPixel, int layerSize, bool shadows,
              float shadowDist, float shadowFalloff)
        : m_vertices(field.vertices()), m_n(field.size()), m_s(layerSize), m_bytes(bytesPerPixel), m_ray(field)
    {
        m_direction = {light.direction[0], light.direction[1], light.direction[2]};
        for (int c = 0; c < 3; ++c) {
            m_ambient[c] = light.ambient[c];
            m_light[c] = light.light[c];
        }
        m_ambientLevel = 255.0f * m_ambient[0];
        m_shadows = shadows && shadowDist > 0.0f && std::isfinite(shadowDist) && std::isfinite(shadowFalloff);
        m_shadowDist = shadowDist;
        m_shadowFalloff = shadowFalloff;
        m_shadowDistSquared = shadowDist * shadowDist;
    }

    // The lambert grid: vertices x0.., z0.. with the given row stride.
    void setLambert(const float* lambert, int x0, int z0, size_t stride)
    {
        m_lambert = lambert;
        m_lambertX0 = x0;
        m_lambertZ0 = z0;
        m_lambertStride = stride;
    }

    void setColumns(int tx0, int tx1)
    {
        m_columns.clear();
        for (int t = tx0; t < tx1; ++t)
            m_columns.push_back(TexelPosition(t, m_n, m_s));
    }
    // The vertex columns and rows the texels tx0..tx1-1, ty0..ty1-1 read.
    static void VertexRange(int t0, int t1, int n, int s, int& first, int& last)
    {
        first = TexelPosition(t0, n, s).cell;
        last = TexelPosition(t1 - 1, n, s).cell + 1;
    }

    // Lights texel row ty into out (columns as set).
    void lightRow(int ty, uint8_t* out)
    {
        const AxisPosition row = TexelPosition(ty, m_n, m_s);
        const float fz = row.fraction;
        const float* l0 = m_lambert + static_cast<size_t>(row.cell - m_lambertZ0) * m_lambertStride;
        const float* l1 = l0 + m_lambertStride;
        const int count = static_cast<int>(m_columns.size());
        if (m_bytes == 1) {
            const float ambient = 255.0f * m_ambient[0];
            const float light = 255.0f * m_light[0];
            for (int i = 0; i < count; ++i) {
                const AxisPosition& column = m_columns[static_cast<size_t>(i)];
                const int v = column.cell - m_lambertX0;
                const float value = OnTriangle(l0[v], l0[v + 1], l1[v], l1[v + 1], column.fraction, fz);
                out[i] = ToByte(std::min(255.0f, ambient + light * value));
            }
        } else {
            for (int i = 0; i < count; ++i) {
                const AxisPosition& column = m_columns[static_cast<size_t>(i)];
                const int v = column.cell - m_lambertX0;
                const float value = OnTriangle(l0[v], l0[v + 1], l1[v], l1[v + 1], column.fraction, fz);
                uint8_t* texel = out + static_cast<size_t>(i) * 3;
                for (int c = 0; c < 3; ++c)
                    texel[c] = ToByte(std::clamp(m_ambient[c] + m_light[c] * value, 0.0f, 1.0f) * 255.0f);
            }
        }
        if (m_shadows) shadeRow(row, out);
    }

private:
    void shadeRow(const AxisPosition& row, uint8_t* out)
    {
        const Vec3* upper = m_vertices + static_cast<size_t>(row.cell) * m_n;
        const Vec3* lower = upper + m_n;
        const int count = static_cast<int>(m_columns.size());
        for (int i = 0; i < count; ++i) {
            uint8_t* texel = out + static_cast<size_t>(i) * m_bytes;
            // Ground facing away from the light is at the ambient level
            // already: no ray.
            if (!(static_cast<float>(texel[0]) > m_ambientLevel)) continue;
            const AxisPosition& column = m_columns[static_cast<size_t>(i)];
            const int v = column.cell;
            const float h =
                OnTriangle(upper[v].y, upper[v + 1].y, lower[v].y, lower[v + 1].y, column.fraction, row.fraction);
            const Vec3 start = {column.position, h + 0.002f, row.position};
            const Vec3 end = start + m_direction * m_shadowDist;
            if (!m_ray.SetSegment(start, end) || !m_ray.FirstHit()) continue;
            const Vec3 toHit = start - m_ray.hitPoint;
            const float m = Dot(toHit, toHit) * m_shadowFalloff / m_shadowDistSquared;
            if (m_bytes == 1) {
                texel[0] = ToByte(std::min(static_cast<float>(texel[0]), 255.0f * m + m_ambientLevel + 2.0f));
            } else {
                for (int c = 0; c < 3; ++c)
                    texel[c] = ToByte((texel[c] / 255.0f * m + m_ambient[c] * (1.0f - m)) * 255.0f);
            }
        }
    }

    const Vec3* m_vertices;
    int m_n;
    int m_s;
    int m_bytes;
    TerrainRay m_ray;
    Vec3 m_direction;
    float m_ambient[3];
    float m_light[3];
    float m_ambientLevel;
    bool m_shadows;
    float m_shadowDist;
    float m_shadowFalloff;
    float m_shadowDistSquared;
    const float* m_lambert = nullptr;
    int m_lambertX0 = 0;
    int m_lambertZ0 = 0;
    size_t m_lambertStride = 0;
    std::vector<AxisPosition> m_columns;
};

double NowSeconds()
{
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

} // namespace

Lightmap::Lightmap() : TextureLayer(LayerFormat::Lightmap) {}

void Lightmap::setLightSettings(const LightSettings* light)
{
    if (light) {
        setLightSource(light->direction, light->ambient, light->light);
    } else {
        setLightSource(nullptr, nullptr, nullptr);
    }
}

void Lightmap::setLightSource(const float* direction, const float* ambient, const float* light)
{
    m_direction = direction;
    m_ambient = ambient;
    m_light = light;
}

LightSettings Lightmap::lightSettings() const
{
    LightSettings settings;
    if (m_direction) std::memcpy(settings.direction, m_direction, sizeof settings.direction);
    if (m_ambient) std::memcpy(settings.ambient, m_ambient, sizeof settings.ambient);
    if (m_light) std::memcpy(settings.light, m_light, sizeof settings.light);
    return settings;
}

uint8_t Lightmap::flatValue(int channel) const
{
    const LightSettings light = lightSettings();
    const float d = std::max(0.0f, light.direction[1]);
    if (m_bytesPerPixel == 3)
        return ToByte(std::clamp(d * light.light[channel] + light.ambient[channel], 0.0f, 1.0f) * 255.0f);
    return ToByte(std::min(255.0f, d * 255.0f * light.light[0] + 255.0f * light.ambient[0]));
}

void Lightmap::ResetFlat(int size, int bytesPerPixel)
{
    release();
    if (!layOut(size)) layOut(512);
    m_bytesPerPixel = bytesPerPixel == 3 ? 3 : 1;
    allocateTiles(0);
    uint8_t pixel[3] = {flatValue(0), flatValue(m_bytesPerPixel == 3 ? 1 : 0), flatValue(m_bytesPerPixel == 3 ? 2 : 0)};
    const size_t pixels = static_cast<size_t>(m_tileSize) * m_tileSize;
    for (int index = 0; index < m_tileCount; ++index) {
        uint8_t* out = tile(index);
        if (m_bytesPerPixel == 1) {
            std::memset(out, pixel[0], pixels);
        } else {
            for (size_t p = 0; p < pixels; ++p)
                std::memcpy(out + p * 3, pixel, 3);
        }
    }
    generateTextures();
    for (int index = 0; index < m_tileCount; ++index)
        uploadTile(index);
}

bool Lightmap::terrainReady(int& n) const
{
    n = m_field ? m_field->size() : 0;
    return n >= 2 && n == gridSamples() && !m_tiles.empty() && m_field->vertices() != nullptr;
}

void Lightmap::GenerateAll(bool withShadows)
{
    int n = 0;
    if (!terrainReady(n)) return;
    ProgressBar_Create();
    const int s = m_layerSize;
    const LightSettings light = lightSettings();
    const Vec3 direction = {light.direction[0], light.direction[1], light.direction[2]};

    // Whole-map lambert values; cells beyond the edges are left out of the
    // vertex sums.
    std::vector<float> lambert(static_cast<size_t>(n) * n);
    const float rowShare = 10.0f / static_cast<float>(n);
    int cellRows = 0;
    ComputeLambert(m_field->vertices(), n, 0, 0, n - 1, n - 1, Vec3{0.0f, 0.0f, 0.0f}, direction, lambert.data(), [&] {
        // One cell row (while there are any) and one vertex row done.
        if (cellRows++ < n - 1) ProgressBar_Add(rowShare);
        ProgressBar_Add(rowShare);
    });

    TexelPass pass(*m_field, light, m_bytesPerPixel, s, castsShadows(withShadows), shadowDist, shadowFalloff);
    pass.setLambert(lambert.data(), 0, 0, static_cast<size_t>(n));
    pass.setColumns(0, s);
    // With one tile the texels go straight into it.
    std::vector<uint8_t> whole;
    uint8_t* out = tile(0);
    if (m_tileCount > 1) {
        whole.resize(static_cast<size_t>(s) * s * m_bytesPerPixel);
        out = whole.data();
    }
    const size_t rowBytes = static_cast<size_t>(s) * m_bytesPerPixel;
    const float texelShare = 80.0f / static_cast<float>(s);
    for (int ty = 0; ty < s; ++ty) {
        pass.lightRow(ty, out + static_cast<size_t>(ty) * rowBytes);
        ProgressBar_Add(texelShare);
    }
    lambert = {};
    if (m_tileCount > 1) split(whole.data());
    rebuildTextures();
    ProgressBar_Destroy();
}

void Lightmap::UpdateRegion(const GridRect& rect, bool withShadows)
{
    const double started = NowSeconds();
    int n = 0;
    if (!terrainReady(n)) {
        lastUpdateSeconds = 0.0f;
        return;
    }
    const bool shadows = castsShadows(withShadows);
    const int64_t area =
        static_cast<int64_t>(rect.bottom) - rect.top > 0 && static_cast<int64_t>(rect.right) - rect.left > 0
            ? (static_cast<int64_t>(rect.bottom) - rect.top) * (static_cast<int64_t>(rect.right) - rect.left)
            : 0;
    const bool progress = shadows && area > kProgressCellLimit;
    if (progress) ProgressBar_Create();

    // Texel columns left <= tx < right and rows top <= ty < bottom.
    const int s = m_layerSize;
    auto toTexel = [&](int bound) {
        const int64_t clamped = std::clamp(bound, 0, n);
        return static_cast<int>(clamped * s / n);
    };
    const int left = toTexel(rect.left);
    const int top = toTexel(rect.top);
    const int right = std::min(s, toTexel(rect.right));
    const int bottom = std::min(s, toTexel(rect.bottom));

    if (left < right && top < bottom) {
        // The vertices those texels read. (Growing the rectangle by one
        // vertex is not enough when a texel is wider than a cell: a texel
        // column can start several vertices left of rect.left.)
        int x0, x1, z0, z1;
        TexelPass::VertexRange(left, right, n, s, x0, x1);
        TexelPass::VertexRange(top, bottom, n, s, z0, z1);
        const size_t stride = static_cast<size_t>(x1 - x0 + 1);
        std::vector<float> lambert(stride * static_cast<size_t>(z1 - z0 + 1));
        const LightSettings light = lightSettings();
        const Vec3 direction = {light.direction[0], light.direction[1], light.direction[2]};
        // Cells beyond the edges count as level ground here.
        ComputeLambert(m_field->vertices(), n, x0, z0, x1, z1, Vec3{0.0f, 1.0f, 0.0f}, direction, lambert.data(),
                       [] {});

        TexelPass pass(*m_field, light, m_bytesPerPixel, s, shadows, shadowDist, shadowFalloff);
        pass.setLambert(lambert.data(), x0, z0, stride);
        pass.setColumns(left, right);
        const int width = right - left;
        const int rows = bottom - top;
        const size_t rowBytes = static_cast<size_t>(width) * m_bytesPerPixel;
        std::vector<uint8_t> region(rowBytes * static_cast<size_t>(rows));
        const float rowShare = 100.0f / static_cast<float>(rows);
        for (int ty = top; ty < bottom; ++ty) {
            pass.lightRow(ty, region.data() + static_cast<size_t>(ty - top) * rowBytes);
            if (progress) ProgressBar_Add(rowShare);
        }

        // Into every tile whose texel square meets the region, shared
        // border texels included, so neighbouring tiles stay equal.
        const int step = m_tileSize - 1;
        const size_t texelBytes = static_cast<size_t>(m_bytesPerPixel);
        for (int i = 0; i < m_tilesPerSide; ++i) {
            for (int j = 0; j < m_tilesPerSide; ++j) {
                const int l = std::max(left, j * step), r = std::min(right - 1, j * step + step);
                const int t = std::max(top, i * step), b = std::min(bottom - 1, i * step + step);
                if (l > r || t > b) continue;
                const int index = i * m_tilesPerSide + j;
                uint8_t* target = tile(index);
                for (int y = t; y <= b; ++y) {
                    std::memcpy(target + (static_cast<size_t>(y - i * step) * m_tileSize + (l - j * step)) * texelBytes,
                                region.data() + static_cast<size_t>(y - top) * rowBytes + (l - left) * texelBytes,
                                static_cast<size_t>(r - l + 1) * texelBytes);
                }
                uploadAndBlur(index);
            }
        }
    }
    ProgressBar_Destroy();
    lastUpdateSeconds = static_cast<float>(NowSeconds() - started);
}

void Lightmap::RefreshTiles(const GridRect& rect)
{
    PixelRect pixels;
    if (!pixelRectOf(rect, pixels)) return;
    const int step = m_tileSize - 1;
    for (int i = 0; i < m_tilesPerSide; ++i) {
        for (int j = 0; j < m_tilesPerSide; ++j) {
            if (pixels.right < j * step || pixels.left > j * step + step) continue;
            if (pixels.bottom < i * step || pixels.top > i * step + step) continue;
            uploadAndBlur(i * m_tilesPerSide + j);
        }
    }
}

void Lightmap::ExtendForShadows(GridRect& rect) const
{
    const LightSettings light = lightSettings();
    // The whole horizontal reach of a shadow ray: ground that far from a
    // change, away from the light, may be shaded by it.
    const float reach = std::isfinite(shadowDist) ? std::clamp(std::floor(shadowDist), 0.0f, 1.0e6f) : 0.0f;
    auto shift = [&](float component) {
        const float d = -reach * component;
        return std::isfinite(d) ? static_cast<int>(std::clamp(d, -1.0e6f, 1.0e6f)) : 0;
    };
    const int dx = shift(light.direction[0]);
    const int dz = shift(light.direction[2]);
    if (dx < 0) rect.left += dx;
    if (dx > 0) rect.right += dx;
    if (dz < 0) rect.top += dz;
    if (dz > 0) rect.bottom += dz;
    rect = clampRect(rect, gridSamples(), 0);
}

void Lightmap::ExtendForShadowsPadded(GridRect& rect) const
{
    ExtendForShadows(rect);
    rect = clampRect(inflate(rect, 1), gridSamples(), 0);
}

void Lightmap::uploadAndBlur(int index)
{
    uploadTile(index);
    if (lightMapBlur > 0.0f) GetTextureUploader().blurTexture(m_currentTexture, m_tileSize, lightMapBlur);
}

void Lightmap::rebuildTextures()
{
    deleteTextures();
    generateTextures();
    for (int index = 0; index < m_tileCount; ++index)
        uploadAndBlur(index);
}

bool Lightmap::save(FileTransaction* transaction)
{
    // Reading the blurred textures back (as older versions did) made every
    // save and load cycle blur the lightmap once more.
    return TextureLayer::save(transaction);
}
