#include "terrain/heightfield.h"

#include "shared/progress_bar.h"
#include "terrain/new_map_parameters.h"

#include <algorithm>
#include <cmath>

namespace {

bool isGridSide(int n)
{
    return n >= 3 && ((n - 1) & (n - 2)) == 0;
}

int log2Exact(int value)
{
    int result = 0;
    while ((1 << result) < value)
        ++result;
    return result;
}

// Heights outside [0, height scale] must not overflow or wrap the byte:
// the ray walks would skip a cell whose byte wrapped to a small value.
inline uint8_t cellByte(float highest, float k)
{
    float v = std::ceil(highest * k);
    if (v >= 255.0f) return 255;
    if (!(v > 0.0f)) return 0;
    return static_cast<uint8_t>(v);
}

// Midpoint errors this small are noise from float rounding; storing them as
// zero lets the level of detail skip morphing on flat ground.
inline float errorValue(float e)
{
    return std::fabs(e) <= 0.01f ? 0.0f : e;
}

} // namespace

Heightfield::Heightfield()
{
    // The lightmap lights this terrain.
    m_layers.lightmap.setHeightfield(this);
}
Heightfield::~Heightfield() = default;

void Heightfield::freeArrays()
{
    m_cellMax.reset();
    m_vertices.reset();
    m_heights.reset();
    m_errors.reset();
    m_extremes.clear();
    m_size = m_cells = m_levels = m_patchCells = 0;
    m_maxHeight = m_minHeight = 0;
    m_minPosition = m_maxPosition = {0.0f, 0.0f, 0.0f};
    for (Vec3& corner : m_outline)
        corner = {0.0f, 0.0f, 0.0f};
}

void Heightfield::Reset()
{
    freeArrays();
    heightScale = kDefaultHeightScale;
    divisions = 0;
    renderUnderGround = true;
    underGroundStretch = true;
    underGroundScale = 10.0f;
    m_layers.reset();
}

void Heightfield::setGridSizes(int n)
{
    m_size = n;
    m_cells = n - 1;
    m_levels = log2Exact(n - 1);
    m_patchCells = (n - 1) >> divisions;
}

bool Heightfield::allocate(int n, String* error)
{
    size_t samples = static_cast<size_t>(n) * n;
    size_t cellCount = static_cast<size_t>(n - 1) * (n - 1);
    // Every entry is written before it is read, so the arrays are not
    // zero-filled first: that would touch 350 MB twice on a 4097 map.
    m_vertices = AllocateBigArray<Vec3>(samples);
    m_heights = AllocateBigArray<float>(samples);
    m_errors = AllocateBigArray<float>(samples);
    m_cellMax = AllocateBigArray<uint8_t>(cellCount);
    if (!m_vertices || !m_heights || !m_errors || !m_cellMax) {
        freeArrays();
        if (error) error->format("Not enough memory for a %d x %d map.", n, n);
        return false;
    }
    return true;
}

bool Heightfield::Create(const NewMapParameters& params, String* error)
{
    int n = params.size;
    if (!isGridSide(n) || n > kMaxMapSize) {
        if (error) error->format("A map side must be 2^k + 1 samples, at most %d; %d is not.", kMaxMapSize, n);
        return false;
    }
    if (params.divisions < 0 || params.divisions > kMaxDivisions || ((n - 1) >> params.divisions) < 1) {
        if (error) error->format("A %d x %d map cannot be split into %d patch levels.", n, n, params.divisions);
        return false;
    }
    if (params.source && !checkPicture(*params.source, error)) return false;

    ProgressBar_Create();
    Reset();
    divisions = params.divisions;
    setGridSizes(n);
    if (!allocate(n, error)) {
        ProgressBar_Destroy();
        return false;
    }
    ProgressBar_Set(10.0f);

    if (params.source) {
        fillFromPicture(*params.source);
    } else {
        float flat = heightScale * 0.25f;
        size_t samples = static_cast<size_t>(n) * n;
        std::fill_n(m_heights.get(), samples, flat);
        for (int z = 0; z < n; ++z) {
            Vec3* row = m_vertices.get() + static_cast<size_t>(z) * n;
            for (int x = 0; x < n; ++x)
                row[x] = {static_cast<float>(x), flat, static_cast<float>(z)};
        }
    }
    finishBuild();
    ProgressBar_Set(30.0f);
    m_layers.setGrid(n, divisions);
    NewLayerParameters layerParams;
    layerParams.colorMapSize = params.colorMapSize;
    layerParams.detailMapSize = params.detailMapSize;
    layerParams.lightMapSize = params.lightMapSize;
    layerParams.detailCount = params.detailCount;
    layerParams.colorLightmap = params.colorLightmap;
    m_layers.createForNewMap(layerParams);
    ProgressBar_Set(100.0f);
    ProgressBar_Destroy();
    return true;
}

// The steps after the heights are in place, shared by Create and
// LoadHeightmap.
void Heightfield::finishBuild()
{
    int n = m_size;
    m_errors[0] = m_errors[n - 1] = 0.0f;
    m_errors[static_cast<size_t>(n - 1) * n] = m_errors[static_cast<size_t>(n) * n - 1] = 0.0f;
    // The same work as UpdateRegion over the whole map, without scanning
    // the heights twice.
    m_extremes.build(m_heights.get(), n);
    refreshBounds();
    updateCellMax(0, 0, n - 1, n - 1);
    ProgressBar_Set(20.0f);
    // The level-of-detail tables are sized here once they exist.
    UpdateErrors(0, 0, n - 1, n - 1, m_levels);
    // The level-of-detail patches and the row strip buffer follow here.
}

void Heightfield::UpdateRegion(int x0, int z0, int x1, int z1)
{
    if (m_size == 0) return;
    int last = m_size - 1;
    x0 = std::clamp(x0, 0, last);
    z0 = std::clamp(z0, 0, last);
    x1 = std::clamp(x1, 0, last);
    z1 = std::clamp(z1, 0, last);
    if (x1 < x0 || z1 < z0) return;

    m_extremes.update(m_heights.get(), x0, z0, x1, z1);
    refreshBounds();
    updateCellMax(x0, z0, x1, z1);
}

void Heightfield::updateCellMax(int x0, int z0, int x1, int z1)
{
    int n = m_size;
    float k = 255.0f / heightScale;
    int cellsPerRow = m_cells;
    const float* h = m_heights.get();
    for (int z = z0; z < z1; ++z) {
        const float* top = h + static_cast<size_t>(z) * n;
        const float* bottom = top + n;
        uint8_t* bytes = m_cellMax.get() + static_cast<size_t>(z) * cellsPerRow;
        for (int x = x0; x < x1; ++x) {
            float m = std::max(std::max(top[x], top[x + 1]), std::max(bottom[x], bottom[x + 1]));
            bytes[x] = cellByte(m, k);
        }
    }
}

void Heightfield::refreshBounds()
{
    int n = m_size;
    int last = n - 1;
    m_minHeight = static_cast<int>(std::floor(m_extremes.lowest()));
    m_maxHeight = static_cast<int>(m_extremes.highest());
    int lo = m_extremes.lowestIndex();
    int hi = m_extremes.highestIndex();
    m_minPosition = {static_cast<float>(lo % n), static_cast<float>(m_minHeight), static_cast<float>(lo / n)};
    m_maxPosition = {static_cast<float>(hi % n), static_cast<float>(m_maxHeight), static_cast<float>(hi / n)};
    float minY = static_cast<float>(m_minHeight);
    m_outline[0] = {0.0f, minY, 0.0f};
    m_outline[1] = {static_cast<float>(last), minY, 0.0f};
    m_outline[2] = {static_cast<float>(last), minY, static_cast<float>(last)};
    m_outline[3] = {0.0f, minY, static_cast<float>(last)};
}

void Heightfield::UpdateErrors(int x0, int z0, int x1, int z1, int level)
{
    if (m_size == 0) return;
    int last = m_size - 1;
    x0 = std::clamp(x0, 0, last);
    z0 = std::clamp(z0, 0, last);
    x1 = std::clamp(x1, 0, last);
    z1 = std::clamp(z1, 0, last);
    if (x1 < x0 || z1 < z0) return;
    errorsBand(0, std::clamp(level, 0, m_levels), x0, z0, x1, z1);
}

// One band of blocks of side c = 2^level whose top row is a. A midpoint
// error depends on the block's corners and the midpoint itself, so every
// block whose closed span meets the rectangle is refreshed, including the
// blocks that only share an edge with it.
void Heightfield::errorsBand(int a, int level, int x0, int z0, int x1, int z1)
{
    int c = 1 << level;
    if (level == 0 || a > z1 || a + c < z0) return;
    int d = c / 2;
    errorsBand(a, level - 1, x0, z0, x1, z1);
    errorsBand(a + d, level - 1, x0, z0, x1, z1);

    int n = m_size;
    const float* h = m_heights.get();
    float* e = m_errors.get();
    auto at = [n](int x, int z) { return static_cast<size_t>(z) * n + x; };
    int first = x0 > 0 ? ((x0 - 1) >> level) << level : 0;
    int lastBlock = std::min((x1 >> level) << level, n - 1 - c);
    for (int hx = first; hx <= lastBlock; hx += c) {
        float topLeft = h[at(hx, a)];
        float topRight = h[at(hx + c, a)];
        float bottomLeft = h[at(hx, a + c)];
        float bottomRight = h[at(hx + c, a + c)];
        e[at(hx, a + d)] = errorValue((topLeft + bottomLeft) * 0.5f - h[at(hx, a + d)]);
        e[at(hx + d, a)] = errorValue((topLeft + topRight) * 0.5f - h[at(hx + d, a)]);
        e[at(hx + d, a + d)] = errorValue((topRight + bottomLeft) * 0.5f - h[at(hx + d, a + d)]);
        e[at(hx + d, a + c)] = errorValue((bottomLeft + bottomRight) * 0.5f - h[at(hx + d, a + c)]);
    }
    if (lastBlock >= first) {
        int right = lastBlock + c;
        e[at(right, a + d)] = errorValue((h[at(right, a)] + h[at(right, a + c)]) * 0.5f - h[at(right, a + d)]);
    }
}

bool Heightfield::SetHeightScale(float newScale)
{
    if (!(newScale > 0.0f) || !std::isfinite(newScale)) return false;
    if (m_size == 0) {
        heightScale = newScale;
        return true;
    }
    float factor = newScale / heightScale;
    size_t samples = static_cast<size_t>(m_size) * m_size;
    float* h = m_heights.get();
    Vec3* v = m_vertices.get();
    for (size_t i = 0; i < samples; ++i) {
        h[i] *= factor;
        v[i].y = h[i];
    }
    heightScale = newScale;
    // The cell maximum bytes are relative to the scale and stay valid; the
    // bounds are rescanned so they stay exact.
    m_extremes.build(h, m_size);
    refreshBounds();
    int last = m_size - 1;
    UpdateErrors(0, 0, last, last, m_levels);
    return true;
}

float Heightfield::GetHeight(float x, float z) const
{
    if (m_size == 0) return 0.0f;
    const float top = static_cast<float>(m_size - 1);
    // Written so that NaN lands on the low border instead of reaching the
    // float-to-int conversion.
    x = x >= top ? top - 0.001f : (x > 0.0f ? x : 0.001f);
    z = z >= top ? top - 0.001f : (z > 0.0f ? z : 0.001f);
    int cx = static_cast<int>(x);
    int cz = static_cast<int>(z);
    float fx = x - static_cast<float>(cx);
    float fz = z - static_cast<float>(cz);
    const Vec3* v = m_vertices.get() + static_cast<size_t>(cz) * m_size + cx;
    float h00 = v[0].y;
    float h10 = v[1].y;
    float h01 = v[m_size].y;
    float h11 = v[m_size + 1].y;
    // Both triangles are evaluated and one is selected: random sample points
    // would otherwise mispredict the branch half of the time.
    float upper = h01 + (h10 - h11) * (1.0f - fz) + fx * (h11 - h01);
    float lower = h00 + (h01 - h00) * fz + fx * (h10 - h00);
    return fx + fz >= 1.0f ? upper : lower;
}

Vec3 Heightfield::GetNormal(float x, float z) const
{
    if (m_size == 0) return {0.0f, 1.0f, 0.0f};
    const float top = static_cast<float>(m_size - 1);
    x = x >= top ? top - 0.001f : (x > 0.0f ? x : 0.001f);
    z = z >= top ? top - 0.001f : (z > 0.0f ? z : 0.001f);
    int cx = static_cast<int>(x);
    int cz = static_cast<int>(z);
    float fx = x - static_cast<float>(cx);
    float fz = z - static_cast<float>(cz);
    const Vec3* v = m_vertices.get() + static_cast<size_t>(cz) * m_size + cx;
    float h00 = v[0].y;
    float h10 = v[1].y;
    float h01 = v[m_size].y;
    float h11 = v[m_size + 1].y;
    // Cross products of the triangle's edges, taken in the order that
    // points up: lower (x,z),(x+1,z),(x,z+1); upper (x+1,z),(x,z+1),(x+1,z+1).
    Vec3 n = fx + fz >= 1.0f ? Vec3{h01 - h11, 1.0f, h10 - h11} : Vec3{h00 - h10, 1.0f, h00 - h01};
    return Normalize(n);
}

float Heightfield::GetSlope(float x, float z) const
{
    float ny = std::clamp(GetNormal(x, z).y, -1.0f, 1.0f);
    return std::acos(ny) * (180.0f / 3.14159265358979f);
}
