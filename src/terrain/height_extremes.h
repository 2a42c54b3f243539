// HeightExtremes: the exact lowest and highest sample of a height grid,
// kept up to date by rectangle.
//
// The level of detail, the underground walls and the ray box test all rely
// on the terrain's height bounds. A brush application changes a small
// rectangle, and the old value of the extreme may be the one it just
// lowered (or raised), so the bounds cannot simply be widened; rescanning
// 16.8 million samples per application is not affordable either. The grid
// is therefore split into square blocks with their own extremes, and block
// rows keep the extremes of their blocks: an update rescans the touched
// blocks, then the touched block rows, then the list of block rows.
#pragma once

#include <cstdint>
#include <vector>

class HeightExtremes {
public:
    // Side of a block in samples. 16 keeps the rescan of a radius-20 brush
    // rectangle near 4000 samples while a 4097 grid has only 257 block rows.
    static constexpr int kBlockSide = 16;

    // Scans the whole n x n grid (row-major, index z * n + x).
    void build(const float* heights, int n);
    // Rescans the samples x0..x1, z0..z1 (inclusive, clamped to the grid).
    void update(const float* heights, int x0, int z0, int x1, int z1);
    void clear();

    bool empty() const { return m_n == 0; }
    float lowest() const { return m_all.lo; }
    float highest() const { return m_all.hi; }
    // Sample indices (z * n + x) of the first lowest and first highest
    // sample in row-major order.
    int lowestIndex() const { return m_all.loIndex; }
    int highestIndex() const { return m_all.hiIndex; }

private:
    struct Extreme {
        float lo;
        float hi;
        int32_t loIndex;
        int32_t hiIndex;
    };

    void scanBlock(const float* heights, int bx, int bz);
    void scanBand(int bz);
    void scanBands();

    int m_n = 0;
    int m_blocksPerSide = 0;
    std::vector<Extreme> m_blocks; // row-major, m_blocksPerSide squared
    std::vector<Extreme> m_bands;  // one per block row
    Extreme m_all{0.0f, 0.0f, 0, 0};
};
