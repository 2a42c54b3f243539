#include "terrain/terrain_ray.h"

#include "shared/fast_math.h"
#include "terrain/heightfield.h"

#include <algorithm>
#include <cmath>

namespace {

bool finite(Vec3 v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The walks divide by the direction's larger horizontal component and step
// the smaller one: an exactly vertical or axis-parallel segment gets a tiny
// slant instead, as the walk was designed for.
Vec3 slanted(Vec3 d)
{
    if (d.x == 0.0f) d.x = 0.001f;
    if (d.y == 0.0f) d.y = 0.001f;
    if (d.z == 0.0f) d.z = 0.001f;
    return d;
}

struct WalkRule {
    float margin;        // added to a cell's maximum before rejecting it
    bool endOnLastMinor; // the status-bar walk ends at a minor step of its last band
};

// Whether height `low` (a lower bound of the segment within the cell) lies
// above all four corners, so the exact test can be skipped. The byte test
// before it has margins for its rounding; this one is exact up to the float
// drift of the walk's running height, which 0.01 covers.
inline bool above(const Heightfield& field, int cx, int cz, float low)
{
    const int n = field.size();
    const Vec3* v = field.vertices() + static_cast<size_t>(cz) * n + cx;
    float top = std::max(std::max(v[0].y, v[1].y), std::max(v[n].y, v[n + 1].y));
    return low > top + 0.01f;
}

// Walks the cells under the segment from `from` in direction d, band by
// band along the major axis (the larger horizontal component of d), with
// the minor axis stepped whenever its fraction passes a cell boundary.
// `steps` is the number of major boundaries to cross; hits farther than
// `length` from `from` do not count. Visit(cx, cz) runs for
// every grid cell reached and returns false to abort.
template <class Visit>
bool walkCells(const Heightfield& field, Vec3 from, Vec3 d, float length, int steps, const WalkRule& rule, Vec3& out,
               Visit&& visit)
{
    const bool majorZ = std::fabs(d.z) > std::fabs(d.x);
    const float dMajor = majorZ ? d.z : d.x;
    const float dMinor = majorZ ? d.x : d.z;
    const float startMajor = majorZ ? from.z : from.x;
    const float startMinor = majorZ ? from.x : from.z;
    const float absMajor = std::fabs(dMajor);
    const float a = dMinor / absMajor; // minor advance per major unit
    const float w = d.y / absMajor;    // height change per major unit
    const float majorFraction = startMajor - std::floor(startMajor);
    const float c = dMajor > 0.0f ? 1.0f - majorFraction : majorFraction;
    // u: the segment's height at the far boundary of the current band.
    float u = from.y + c * w;
    float f = startMinor - std::floor(startMinor) + c * a;
    if (a < 0.0f) f = 1.0f - f;
    const float g = std::fabs(a);

    const int majorSign = dMajor > 0.0f ? 1 : -1;
    const int minorSign = a > 0.0f ? 1 : -1;
    const int majorX = majorZ ? 0 : majorSign;
    const int majorZStep = majorZ ? majorSign : 0;
    const int minorX = majorZ ? minorSign : 0;
    const int minorZStep = majorZ ? 0 : minorSign;

    const unsigned cells = static_cast<unsigned>(field.cells());
    const uint8_t* cellMax = field.cellMax();
    const float k = field.heightScale / 255.0f;
    // The lowest height of the segment within a band: the far boundary when
    // descending, the near one when climbing. Testing the far boundary
    // alone would skip cells that a climbing segment passes below their top.
    const float climb = std::max(w, 0.0f);
    int cx = static_cast<int>(std::floor(from.x));
    int cz = static_cast<int>(std::floor(from.z));
    // The byte index follows the cell, valid whenever the cell is.
    const long majorPos = majorX + static_cast<long>(majorZStep) * cells;
    const long minorPos = minorX + static_cast<long>(minorZStep) * cells;
    long pos = cx + static_cast<long>(cz) * cells;
    while (steps >= 0) {
        // Cells off the grid are skipped; they are never wrapped onto the
        // neighbouring row.
        if (static_cast<unsigned>(cx) < cells && static_cast<unsigned>(cz) < cells) {
            if (!visit(cx, cz)) return false;
            float top = static_cast<float>(cellMax[pos]) * k + rule.margin;
            Vec3 p;
            if (top >= u - climb && !above(field, cx, cz, u - climb) && field.IntersectCell(cx, cz, from, d, p)) {
                // The last cell reaches past the segment's end; a hit there
                // is not on the segment, and every later cell lies farther.
                if (Dot(p - from, d) > length) return false;
                out = p;
                return true;
            }
        }
        if (f > 1.0f) {
            if (rule.endOnLastMinor && steps == 0) break;
            f -= 1.0f;
            cx += minorX;
            cz += minorZStep;
            pos += minorPos;
        } else {
            f += g;
            u += w;
            cx += majorX;
            cz += majorZStep;
            pos += majorPos;
            --steps;
        }
    }
    return false;
}

// |floor(b) - floor(a)| for coordinates already known to be finite and
// within a few map widths.
int bandCount(float a, float b)
{
    return std::abs(static_cast<int>(std::floor(b)) - static_cast<int>(std::floor(a)));
}

} // namespace

// ---- Heightfield queries ----------------------------------------------------

bool Heightfield::IntersectCell(int cx, int cz, Vec3 origin, Vec3 direction, Vec3& out) const
{
    if (cx < 0 || cz < 0 || cx >= m_cells || cz >= m_cells) return false;
    const Vec3* v = m_vertices.get() + static_cast<size_t>(cz) * m_size + cx;
    const float h00 = v[0].y;
    const float h10 = v[1].y;
    const float h01 = v[m_size].y;
    const float h11 = v[m_size + 1].y;
    const float fx = static_cast<float>(cx);
    const float fz = static_cast<float>(cz);
    // Both planes pass through (cx+1, h10, cz), the corner the triangles
    // share.
    const float kx = fx + 1.0f - origin.x;
    const float ky = h10 - origin.y;
    const float kz = fz - origin.z;
    // With the corners one unit apart, the edge cross products reduce to
    // (a, 1, b): lower triangle (V01 - V00) x (V10 - V00) = (h00 - h10, 1,
    // h00 - h01); upper triangle (V10 - V11) x (V01 - V11) = (h01 - h11, 1,
    // h10 - h11), the upward one. They are left unnormalised: only their
    // signs and the ratio t are used.
    auto pointOn = [&](float a, float b, Vec3& p) {
        float nd = a * direction.x + direction.y + b * direction.z;
        float nv = a * kx + ky + b * kz;
        // The ray must point into the surface and start above it.
        if (!(nd < 0.0f) || !(nv < 0.0f)) return false;
        p = origin + (nv / nd) * direction;
        if (p.x < fx) p.x += 0.0001f;
        if (p.z < fz) p.z += 0.0001f;
        return p.x >= fx && p.x < fx + 1.0f && p.z >= fz && p.z < fz + 1.0f;
    };
    Vec3 p;
    // Lower triangle (x,z), (x+1,z), (x,z+1); the diagonal belongs to it.
    if (pointOn(h00 - h10, h00 - h01, p) && (p.x - fx) + (p.z - fz) <= 1.0f) {
        out = p;
        return true;
    }
    // Upper triangle (x+1,z+1), (x+1,z), (x,z+1).
    if (pointOn(h01 - h11, h10 - h11, p) && (p.x - fx) + (p.z - fz) >= 1.0f) {
        out = p;
        return true;
    }
    return false;
}

bool Heightfield::RayHit(Vec3 from, Vec3 to, Vec3& out) const
{
    if (m_size == 0 || !finite(from) || !finite(to)) return false;
    Vec3 d = to - from;
    float lengthSquared = Dot(d, d);
    if (!(lengthSquared > 0.0f)) return false;
    d = slanted(d * FastInvSqrt(lengthSquared));
    bool majorZ = std::fabs(d.z) > std::fabs(d.x);
    // A walk that starts far outside the map would take longer to reach it
    // than any pick deserves; PickTerrain always starts inside.
    const float limit = 4.0f * static_cast<float>(m_size) + 16.0f;
    if (std::fabs(from.x) > limit || std::fabs(from.z) > limit) return false;
    // Past 2n + 2 bands the walk has left the map for good, however far
    // `to` lies.
    const float farthest = 2.0f * static_cast<float>(m_size) + 2.0f;
    float bands =
        majorZ ? std::fabs(std::floor(to.z) - std::floor(from.z)) : std::fabs(std::floor(to.x) - std::floor(from.x));
    int steps = static_cast<int>(std::min(bands, farthest));
    float length = std::sqrt(lengthSquared) + 1e-3f;
    return walkCells(*this, from, d, length, steps, WalkRule{0.2f, true}, out, [](int, int) { return true; });
}

void Heightfield::ClipToInterior(Vec3 from, Vec3& to) const
{
    if (m_size == 0) return;
    const float lo = 1.1f;
    const float hi = static_cast<float>(m_cells) - 2.0f;
    auto clip = [&](float a, float b) {
        // The fraction of the segment that keeps `to` within [lo, hi] on
        // one axis; never negative, so `to` cannot pass behind `from`.
        if (b > hi && b != a) return std::clamp((hi - a) / (b - a), 0.0f, 1.0f);
        if (b < lo && b != a) return std::clamp((lo - a) / (b - a), 0.0f, 1.0f);
        return 1.0f;
    };
    float t = clip(from.x, to.x);
    to = from + t * (to - from);
    t = clip(from.z, to.z);
    to = from + t * (to - from);
}

bool Heightfield::InsideBox(Vec3 point) const
{
    if (m_size == 0) return false;
    const float hi = static_cast<float>(m_size) - 1.001f;
    return point.x >= 0.001f && point.x <= hi && point.z >= 0.001f && point.z <= hi &&
           point.y >= static_cast<float>(m_minHeight) - 0.001f && point.y <= static_cast<float>(m_maxHeight) + 0.001f;
}

// ---- TerrainRay -------------------------------------------------------------

bool TerrainRay::SetSegment(Vec3 segmentStart, Vec3 segmentEnd)
{
    valid = false;
    hit = false;
    abort = false;
    hitPoint = {-1.0f, -1.0f, -1.0f};
    const int cells = m_field->cells();
    lastCell = cells * cells - 1;
    // The level of detail's morphed heights are restored here, once they
    // exist, so that queries see the true surface.
    start = segmentStart;
    end = segmentEnd;
    direction = {0.0f, 0.0f, 0.0f};
    if (segmentStart == segmentEnd || !finite(segmentStart) || !finite(segmentEnd)) return false;
    if (m_field->empty()) return true;

    Vec3 d = slanted(Normalize(end - start));
    const float n = static_cast<float>(m_field->size());
    // Each clip moves one end along d onto one border, in this order.
    if (end.z < 0.0f) end = end + d * ((0.0f - end.z) / d.z);
    if (end.x < 0.0f) end = end + d * ((0.0f - end.x) / d.x);
    if (end.z > n) end = end + d * ((n - end.z) / d.z);
    if (end.x > n) end = end + d * ((n - end.x) / d.x);
    if (start.z < 0.0f) start = start + d * ((0.0f - start.z) / d.z);
    if (start.x < 0.0f) start = start + d * ((0.0f - start.x) / d.x);
    if (start.z > n) start = start + d * ((n - start.z) / d.z);
    if (start.x > n) start = start + d * ((n - start.x) / d.x);

    // A segment that crosses the map square ends up inside it, pointing the
    // same way; one that misses it ends up outside or reversed.
    const float eps = 0.001f;
    auto inSquare = [&](Vec3 p) { return p.x >= -eps && p.x <= n + eps && p.z >= -eps && p.z <= n + eps; };
    Vec3 clipped = end - start;
    if (!finite(start) || !finite(end) || !inSquare(start) || !inSquare(end) || !(Dot(clipped, d) > 0.0f)) {
        return true;
    }
    direction = slanted(Normalize(clipped));
    valid = true;
    return true;
}

bool TerrainRay::walk(bool tracing)
{
    if (!valid) return false;
    bool majorZ = std::fabs(direction.z) > std::fabs(direction.x);
    int steps = majorZ ? bandCount(start.z, end.z) : bandCount(start.x, end.x);
    const WalkRule rule{0.6f, false};
    const float length = Length(end - start) + 1e-3f;
    if (!tracing) {
        hit = walkCells(*m_field, start, direction, length, steps, rule, hitPoint, [](int, int) { return true; });
        return hit;
    }
    hit = walkCells(*m_field, start, direction, length, steps, rule, hitPoint, [this](int cx, int cz) {
        if (abort) return false;
        if (visitor) visitor(*this, cx, cz, visitorContext);
        return !abort;
    });
    return hit;
}

bool TerrainRay::FirstHit()
{
    return walk(false);
}

bool TerrainRay::Trace()
{
    return walk(true);
}

// ---- Status-bar pick ----------------------------------------------------------

Vec3 PickTerrain(const Heightfield* field, Vec3 nearPoint, Vec3 farPoint)
{
    Vec3 out = {0.0f, 0.0f, 0.0f};
    if (!field || field->empty() || !finite(nearPoint) || !finite(farPoint)) return out;
    field->ClipToInterior(nearPoint, farPoint);
    if (!field->InsideBox(nearPoint)) {
        // A camera above the highest peak (the usual view) or beside the map
        // starts the walk where the segment enters the terrain's box; the
        // top is one unit above the whole-number maximum, which is truncated.
        const float hi = static_cast<float>(field->size()) - 1.001f;
        const float lows[3] = {0.001f, static_cast<float>(field->minHeight()) - 0.001f, 0.001f};
        const float highs[3] = {hi, static_cast<float>(field->maxHeight()) + 1.0f, hi};
        const float from[3] = {nearPoint.x, nearPoint.y, nearPoint.z};
        const float delta[3] = {farPoint.x - nearPoint.x, farPoint.y - nearPoint.y, farPoint.z - nearPoint.z};
        float enter = 0.0f;
        float leave = 1.0f;
        for (int axis = 0; axis < 3; ++axis) {
            if (delta[axis] == 0.0f) {
                if (from[axis] < lows[axis] || from[axis] > highs[axis]) return out;
                continue;
            }
            float t0 = (lows[axis] - from[axis]) / delta[axis];
            float t1 = (highs[axis] - from[axis]) / delta[axis];
            if (t0 > t1) std::swap(t0, t1);
            enter = std::max(enter, t0);
            leave = std::min(leave, t1);
        }
        if (!(enter <= leave)) return out;
        nearPoint = nearPoint + enter * (farPoint - nearPoint);
    }
    field->RayHit(nearPoint, farPoint, out);
    return out;
}
