// GridRect: an inclusive rectangle of heightfield vertices, and the
// rectangle arithmetic every edit uses to bound its work.
//
// x is the column, z the row; left..right and top..bottom both include
// their ends. A rectangle whose four values are all zero counts as empty
// (it is what a stroke's dirty rectangle is reset to).
#pragma once

#include "shared/vec3.h"

#include <algorithm>
#include <cmath>

struct GridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

inline bool operator==(const GridRect& a, const GridRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace grid_rect_detail {
// Brush points come from picks and command lines; a NaN or a huge value
// must not reach the float-to-int conversion. The limit is far outside any
// map, so clamping changes no real rectangle.
inline int toInt(float v)
{
    if (!(v > -1.0e8f)) return -100000000;
    if (v > 1.0e8f) return 100000000;
    return static_cast<int>(v);
}
} // namespace grid_rect_detail

// The square of vertices a brush of radius r centred on p can reach.
inline GridRect brushRect(Vec3 p, float r)
{
    using grid_rect_detail::toInt;
    int c = toInt(std::ceil(r));
    return {toInt(std::floor(p.x)) - c, toInt(std::floor(p.z)) - c, toInt(std::ceil(p.x)) + c,
            toInt(std::ceil(p.z)) + c};
}

// The rectangle around the segment a-b widened by r on every side.
inline GridRect spanRect(Vec3 a, Vec3 b, float r)
{
    using grid_rect_detail::toInt;
    int c = toInt(std::ceil(r));
    return {toInt(std::floor(std::min(a.x, b.x))) - c, toInt(std::floor(std::min(a.z, b.z))) - c,
            toInt(std::ceil(std::max(a.x, b.x))) + c, toInt(std::ceil(std::max(a.z, b.z))) + c};
}

// Keeps `lo` vertices away from the grid's edges: left and top at least lo,
// right and bottom at most hi - lo. Called with hi = N - 1 and lo = 0, 1 or
// 9 by the terraform tools, and with hi = N for paint and lightmap
// rectangles. The result may be inverted (right < left) when nothing of the
// rectangle lies within the limits.
inline GridRect clampRect(GridRect rect, int hi, int lo)
{
    rect.left = std::max(rect.left, lo);
    rect.top = std::max(rect.top, lo);
    rect.right = std::min(rect.right, hi - lo);
    rect.bottom = std::min(rect.bottom, hi - lo);
    return rect;
}

inline GridRect inflate(GridRect rect, int k)
{
    rect.left -= k;
    rect.top -= k;
    rect.right += k;
    rect.bottom += k;
    return rect;
}
