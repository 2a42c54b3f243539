#include "terrain/height_extremes.h"

#include <algorithm>

namespace {

// Merges b into a; on equal values the earlier sample (smaller index)
// wins so the result does not depend on the order of merging.
inline void merge(float& lo, int32_t& loIndex, float& hi, int32_t& hiIndex, float blo, int32_t bloIndex, float bhi,
                  int32_t bhiIndex)
{
    if (blo < lo || (blo == lo && bloIndex < loIndex)) {
        lo = blo;
        loIndex = bloIndex;
    }
    if (bhi > hi || (bhi == hi && bhiIndex < hiIndex)) {
        hi = bhi;
        hiIndex = bhiIndex;
    }
}

} // namespace

void HeightExtremes::clear()
{
    m_n = 0;
    m_blocksPerSide = 0;
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_bands.clear();
    m_bands.shrink_to_fit();
    m_all = {0.0f, 0.0f, 0, 0};
}

void HeightExtremes::build(const float* heights, int n)
{
    m_n = n;
    m_blocksPerSide = (n + kBlockSide - 1) / kBlockSide;
    m_blocks.assign(static_cast<size_t>(m_blocksPerSide) * m_blocksPerSide, Extreme{0.0f, 0.0f, 0, 0});
    m_bands.assign(static_cast<size_t>(m_blocksPerSide), Extreme{0.0f, 0.0f, 0, 0});
    for (int bz = 0; bz < m_blocksPerSide; ++bz) {
        for (int bx = 0; bx < m_blocksPerSide; ++bx)
            scanBlock(heights, bx, bz);
        scanBand(bz);
    }
    scanBands();
}

void HeightExtremes::update(const float* heights, int x0, int z0, int x1, int z1)
{
    if (m_n == 0) return;
    x0 = std::max(x0, 0);
    z0 = std::max(z0, 0);
    x1 = std::min(x1, m_n - 1);
    z1 = std::min(z1, m_n - 1);
    if (x1 < x0 || z1 < z0) return;
    int bx0 = x0 / kBlockSide;
    int bx1 = x1 / kBlockSide;
    int bz0 = z0 / kBlockSide;
    int bz1 = z1 / kBlockSide;
    for (int bz = bz0; bz <= bz1; ++bz) {
        for (int bx = bx0; bx <= bx1; ++bx)
            scanBlock(heights, bx, bz);
        scanBand(bz);
    }
    scanBands();
}

void HeightExtremes::scanBlock(const float* heights, int bx, int bz)
{
    int xBegin = bx * kBlockSide;
    int zBegin = bz * kBlockSide;
    int xEnd = std::min(xBegin + kBlockSide, m_n);
    int zEnd = std::min(zBegin + kBlockSide, m_n);
    int32_t first = zBegin * m_n + xBegin;
    Extreme e{heights[first], heights[first], first, first};
    for (int z = zBegin; z < zEnd; ++z) {
        const float* row = heights + static_cast<size_t>(z) * m_n;
        // Two passes over a short row: the value pass vectorises; the index
        // is looked up only when this row holds a new extreme.
        float rowLo = row[xBegin];
        float rowHi = row[xBegin];
        for (int x = xBegin + 1; x < xEnd; ++x) {
            rowLo = std::min(rowLo, row[x]);
            rowHi = std::max(rowHi, row[x]);
        }
        if (rowLo < e.lo) {
            int x = xBegin;
            while (row[x] != rowLo)
                ++x;
            e.lo = rowLo;
            e.loIndex = z * m_n + x;
        }
        if (rowHi > e.hi) {
            int x = xBegin;
            while (row[x] != rowHi)
                ++x;
            e.hi = rowHi;
            e.hiIndex = z * m_n + x;
        }
    }
    m_blocks[static_cast<size_t>(bz) * m_blocksPerSide + bx] = e;
}

void HeightExtremes::scanBand(int bz)
{
    const Extreme* block = &m_blocks[static_cast<size_t>(bz) * m_blocksPerSide];
    Extreme e = block[0];
    for (int bx = 1; bx < m_blocksPerSide; ++bx) {
        merge(e.lo, e.loIndex, e.hi, e.hiIndex, block[bx].lo, block[bx].loIndex, block[bx].hi, block[bx].hiIndex);
    }
    m_bands[bz] = e;
}

void HeightExtremes::scanBands()
{
    Extreme e = m_bands[0];
    for (int bz = 1; bz < m_blocksPerSide; ++bz) {
        const Extreme& b = m_bands[bz];
        merge(e.lo, e.loIndex, e.hi, e.hiIndex, b.lo, b.loIndex, b.hi, b.hiIndex);
    }
    m_all = e;
}
