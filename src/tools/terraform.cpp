#include "tools/terraform.h"

#include "shared/fast_math.h"
#include "terrain/heightfield.h"
#include "tools/brush.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

bool insideGrid(const Heightfield& field, Vec3 p)
{
    float last = static_cast<float>(field.size() - 1);
    return !field.empty() && p.x >= 0.0f && p.x <= last && p.z >= 0.0f && p.z <= last;
}

// Guard shared by every tool but Ramp; a radius that is not positive would
// make the falloff divide zero by zero.
bool usable(const Heightfield& field, Vec3 p, float r)
{
    return insideGrid(field, p) && r > 0.0f;
}

// Height and vertex copy are written together: the renderer and every
// sampler read the vertex copy.
inline void store(float* heights, Vec3* vertices, size_t i, float h)
{
    heights[i] = h;
    vertices[i].y = h;
}

// Moves h toward target by step w, landing exactly on the target when the
// step would pass it.
inline float stepToward(float h, float target, float w)
{
    float diff = target - h;
    if (w > std::fabs(diff)) return target;
    return diff >= 0.0f ? h + w : h - w;
}

void refresh(Heightfield& field, GridRect rect, int reach = 0)
{
    GridRect r = clampRect(inflate(rect, reach + 1), field.size() - 1, 0);
    field.UpdateRegion(r.left, r.top, r.right, r.bottom);
    field.UpdateErrors(r.left, r.top, r.right, r.bottom, field.levels());
}

inline float average9(const float* h, size_t i, size_t n)
{
    const float* above = h + i - n;
    const float* row = h + i;
    const float* below = h + i + n;
    float sum = above[-1] + above[0] + above[1] + row[-1] + row[0] + row[1] + below[-1] + below[0] + below[1];
    return sum * 0.11111111f;
}

inline int floorInt(float v)
{
    return static_cast<int>(std::floor(v));
}

} // namespace

GridRect TerraformWorkRect(Vec3 p, float r, int n, int margin)
{
    return clampRect(brushRect(p, r), n - 1, margin);
}

GridRect ErodeChangeRect(Vec3 p, float r, int n)
{
    return clampRect(inflate(brushRect(p, r), kErodeReach), n - 1, 0);
}

GridRect PushChangeRect(const PushState& state, Vec3 p, float r, int n)
{
    if (state.buffer.empty()) return clampRect(brushRect(p, r), n - 1, 0);
    return clampRect(spanRect(state.lastPos, p, r), n - 1, 0);
}

void Raise(Heightfield& field, Vec3& p, float r, float s, float a)
{
    if (!usable(field, p, r)) return;
    p.y = field.GetHeight(p.x, p.z);
    const int n = field.size();
    const float top = field.heightScale;
    const float r2 = r * r;
    GridRect rect = TerraformWorkRect(p, r, n, 0);
    float* heights = field.heights();
    Vec3* vertices = field.vertices();
    for (int z = rect.top; z <= rect.bottom; ++z) {
        float dz = p.z - static_cast<float>(z);
        for (int x = rect.left; x <= rect.right; ++x) {
            size_t i = static_cast<size_t>(z) * n + x;
            float h = heights[i];
            float dx = p.x - static_cast<float>(x);
            float dy = p.y - h;
            // The distance includes the height difference: the brush is a
            // ball, so a cliff's top or foot far from the brush point stays.
            float d2 = dz * dz + dx * dx + dy * dy;
            if (d2 > r2) continue;
            h += BrushWeight(std::sqrt(d2), r, s) * a;
            store(heights, vertices, i, std::clamp(h, 0.0f, top));
        }
    }
    refresh(field, rect);
}

void Level(Heightfield& field, Vec3& p, float r, float s, float a)
{
    if (!usable(field, p, r)) return;
    const int n = field.size();
    const float target = p.y;
    const float r2 = r * r;
    GridRect rect = TerraformWorkRect(p, r, n, 0);
    float* heights = field.heights();
    Vec3* vertices = field.vertices();
    for (int z = rect.top; z <= rect.bottom; ++z) {
        float dz = p.z - static_cast<float>(z);
        for (int x = rect.left; x <= rect.right; ++x) {
            size_t i = static_cast<size_t>(z) * n + x;
            float h = heights[i];
            if (h == target) continue;
            float dx = p.x - static_cast<float>(x);
            float d2 = dz * dz + dx * dx;
            if (d2 > r2) continue;
            store(heights, vertices, i, stepToward(h, target, BrushWeight(std::sqrt(d2), r, s) * a));
        }
    }
    refresh(field, rect);
}

void Smooth(Heightfield& field, Vec3& p, float r, float s, float a)
{
    if (!usable(field, p, r)) return;
    const int n = field.size();
    const float r2 = r * r;
    // Margin 1: every cell has its full 3 x 3 neighbourhood.
    GridRect rect = TerraformWorkRect(p, r, n, 1);
    float* heights = field.heights();
    Vec3* vertices = field.vertices();
    for (int z = rect.top; z <= rect.bottom; ++z) {
        float dz = p.z - static_cast<float>(z);
        for (int x = rect.left; x <= rect.right; ++x) {
            float dx = p.x - static_cast<float>(x);
            float d2 = dz * dz + dx * dx;
            if (d2 > r2) continue;
            size_t i = static_cast<size_t>(z) * n + x;
            float h = heights[i];
            float avg = average9(heights, i, static_cast<size_t>(n));
            if (avg == h) continue;
            store(heights, vertices, i, stepToward(h, avg, BrushWeight(std::sqrt(d2), r, s) * a));
        }
    }
    refresh(field, rect);
}

void Erode(Heightfield& field, Vec3& p, float r, float s, float a)
{
    if (!usable(field, p, r)) return;
    const int n = field.size();
    const float e0 = a * 0.1f;
    const float r2 = r * r;
    const float top = field.heightScale;
    // Margin 9: a walk of eight steps from any start stays at least one
    // cell inside the map, so every neighbour read below is in the grid.
    GridRect rect = TerraformWorkRect(p, r, n, 9);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0) return;

    float* heights = field.heights();
    Vec3* vertices = field.vertices();
    const long N = n;
    const long offsets[8] = {1, -1, N, N + 1, N - 1, -N, -N + 1, -N - 1};
    const long firstWritable = N + 1;          // cur and next must lie strictly between
    const long lastWritable = N * (N - 1) - 1; // these two indices to be changed
    const long drops = static_cast<long>(w) * h + 1;
    for (long drop = 0; drop < drops; ++drop) {
        int x = rect.left + std::rand() % w;
        int z = rect.top + std::rand() % h;
        float dz = p.z - static_cast<float>(z);
        float dx = p.x - static_cast<float>(x);
        float d2 = dz * dz + dx * dx;
        if (d2 > r2) continue;
        float e = BrushWeight(std::sqrt(d2), r, s) * e0;
        long cur = static_cast<long>(z) * N + x;
        long prev = -1;
        for (int step = 0; step < 8; ++step) {
            if (cur < N + 1) continue;
            float lowest = 0.0f;
            float second = 0.0f;
            long lowestAt = -1;
            long secondAt = -1;
            for (long o : offsets) {
                long next = cur + o;
                if (next == prev) continue;
                float diff = heights[next] - heights[cur];
                if (diff < lowest) {
                    second = lowest;
                    secondAt = lowestAt;
                    lowest = diff;
                    lowestAt = next;
                } else if (diff < second) {
                    second = diff;
                    secondAt = next;
                }
            }
            if (lowestAt < 0) break;
            long next = lowestAt;
            float chosen = lowest;
            if (secondAt >= 0 && second - lowest < 1.0f && std::rand() % 2 != 0) {
                next = secondAt;
                chosen = second;
            }
            float D = std::fabs(chosen);
            float take = std::min(D * e, 0.75f * D);
            if (firstWritable < cur && cur < lastWritable && firstWritable < next && next < lastWritable) {
                float hc = std::max(heights[cur] - take, 0.0f);
                store(heights, vertices, cur, hc);
                float s1 = (average9(heights, cur, n) - hc) * e * 2.0f;
                if (s1 >= take) s1 = take * 0.5f;
                store(heights, vertices, cur, hc + s1);
                if (std::sqrt(D) < 1.0f) take *= D;
                float hn = std::min(heights[next] + take * 0.5f, top);
                store(heights, vertices, next, hn);
                float s2 = (average9(heights, next, n) - hn) * e * 2.0f;
                if (s2 < take * 0.5f) store(heights, vertices, next, hn + s2);
            }
            prev = cur;
            cur = next;
        }
    }
    // The drops walk up to eight cells beyond the rectangle they start in,
    // and every cell they change needs its bounds, cell byte and errors.
    refresh(field, rect, kErodeReach);
}

void ResetPush(PushState& state)
{
    state.lastPos = {-100.0f, -100.0f, -100.0f};
    state.buffer.clear();
    state.buffer.shrink_to_fit();
    state.width = state.height = state.stride = 0;
    state.originX = state.originZ = 0;
    state.captured = {};
}

namespace {

// Copies the heights of rect (the clamped square around pos) into the
// buffer, remembering where they sit relative to the unclamped square.
void capture(const Heightfield& field, PushState& state, GridRect rect, Vec3 pos, int c)
{
    const int n = field.size();
    state.originX = floorInt(pos.x) - c;
    state.originZ = floorInt(pos.z) - c;
    state.stride = rect.width();
    state.captured = {rect.left - state.originX, rect.top - state.originZ, rect.right - state.originX,
                      rect.bottom - state.originZ};
    const float* heights = field.heights();
    float* out = state.buffer.data();
    for (int z = rect.top; z <= rect.bottom; ++z) {
        const float* row = heights + static_cast<size_t>(z) * n + rect.left;
        out = std::copy(row, row + rect.width(), out);
    }
    state.lastPos = pos;
}

} // namespace

void Push(Heightfield& field, PushState& state, Vec3& p, float r, float s, float a)
{
    if (!usable(field, p, r)) return;
    const int n = field.size();
    GridRect rect = TerraformWorkRect(p, r, n, 1);
    const int W = rect.width();
    const int H = rect.height();
    if (W <= 0 || H <= 0) return; // a map of fewer than three samples a side
    // Beyond twice the map's side a larger radius reaches no further cell;
    // capping keeps the integer arithmetic below far from overflow.
    const int c = r >= 2.0f * n ? 2 * n : static_cast<int>(std::ceil(r));
    // The clamped square around any position is at most this wide: the
    // unclamped one (2c + 2) or the grid's interior (n - 2).
    const int side = std::min(2 * c + 2, n - 2);
    const float stepLen = r * 0.01f * 3.0f + 2.0f * s + 1.0f;

    bool valid = true;
    if (W != state.width || H != state.height) {
        ResetPush(state);
        state.buffer.resize(static_cast<size_t>(side) * side);
        state.width = W;
        state.height = H;
        valid = false;
    }

    float mx = state.lastPos.x - p.x;
    float mz = state.lastPos.z - p.z;
    float M = mx * mx + mz * mz;
    if (M > 0.05f && valid) {
        float inv = FastInvSqrt(M);
        Vec3 dir = {-mx * inv, 0.0f, -mz * inv};
        const float stride = stepLen - 0.1f;
        Vec3 q = p;
        if (M > stepLen * stepLen) q = state.lastPos + stride * dir;
        const float r2 = r * r;
        float* heights = field.heights();
        Vec3* vertices = field.vertices();
        for (int iteration = 0; iteration < 60; ++iteration) {
            GridRect qr = TerraformWorkRect(q, r, n, 1);
            // A cell takes the captured height at its own place in the
            // square around q; near the map edges that place may lie outside
            // what was captured, and the cell is then left as it is.
            const int ox = floorInt(q.x) - c;
            const int oz = floorInt(q.z) - c;
            const GridRect cap = state.captured;
            for (int z = qr.top; z <= qr.bottom; ++z) {
                int j = z - oz;
                if (j < cap.top || j > cap.bottom) continue;
                float dz = q.z - static_cast<float>(z);
                const float* source = state.buffer.data() + static_cast<size_t>(j - cap.top) * state.stride;
                for (int x = qr.left; x <= qr.right; ++x) {
                    int i = x - ox;
                    if (i < cap.left || i > cap.right) continue;
                    float dx = q.x - static_cast<float>(x);
                    float d2 = dz * dz + dx * dx;
                    if (d2 > r2) continue;
                    float f = BrushWeight(std::sqrt(d2), r, s) * a;
                    if (f > 1.0f) f = 0.5f;
                    size_t at = static_cast<size_t>(z) * n + x;
                    store(heights, vertices, at, (1.0f - f) * heights[at] + f * source[i - cap.left]);
                }
            }
            refresh(field, qr);
            capture(field, state, qr, q, c);
            q = q + stride * dir;
            float lx = state.lastPos.x - p.x;
            float lz = state.lastPos.z - p.z;
            if (lx * lx + lz * lz <= stepLen * stepLen) break;
        }
        return;
    }
    capture(field, state, rect, p, c);
}

void Ramp(Heightfield& field, Vec3& a, Vec3& b, float r, float s, float strength)
{
    if (field.empty() || (!insideGrid(field, a) && !insideGrid(field, b))) return;
    if (!(r > 0.0f)) return;
    const int n = field.size();
    const float dy = b.y - a.y;
    const float ux = b.x - a.x;
    const float uz = b.z - a.z;
    const float length = std::sqrt(ux * ux + uz * uz);
    // Coinciding ends give no direction: nothing changes.
    if (!(length > 0.0f)) return;
    float px = -uz / length;
    float py = 0.0f;
    float pz = ux / length;
    FastNormalize(px, py, pz);
    const float r2 = r * r;
    GridRect rect = clampRect(spanRect(a, b, r + 1.0f), n - 1, 1);
    float* heights = field.heights();
    Vec3* vertices = field.vertices();
    for (int z = rect.top; z <= rect.bottom; ++z) {
        float fz0 = static_cast<float>(z);
        for (int x = rect.left; x <= rect.right; ++x) {
            float fx0 = static_cast<float>(x);
            float sd = px * (fx0 - a.x) + pz * (fz0 - a.z);
            if (!(std::fabs(sd) < r)) continue;
            float fx = fx0 - sd * px;
            float fz = fz0 - sd * pz;
            float ax = fx - a.x;
            float az = fz - a.z;
            // Only feet strictly between the two ends: the ends are square.
            if (!(ax * (b.x - fx) + az * (b.z - fz) > 0.0f)) continue;
            float along = std::sqrt(ax * ax + az * az);
            float target = a.y + (along / length) * dy;
            float q = s * sd * sd / r2;
            size_t i = static_cast<size_t>(z) * n + x;
            float h = heights[i];
            store(heights, vertices, i, strength * ((1.0f - q) * target + q * h) + (1.0f - strength) * h);
        }
    }
    refresh(field, rect);
}

void Point(Heightfield& field, Vec3& p, float a)
{
    if (!insideGrid(field, p)) return;
    p.y = field.GetHeight(p.x, p.z);
    const int n = field.size();
    GridRect rect = clampRect(brushRect(p, 1.0f), n - 1, 0);
    // The vertex index comes from the snapped position in integers: in
    // floating point N x z + x is not exact on a 4097 map (17 million needs
    // more than a float's 24 bits) and would pick a neighbouring vertex.
    int ix = static_cast<int>(p.x);
    int iz = static_cast<int>(p.z);
    size_t i = static_cast<size_t>(iz) * n + ix;
    float* heights = field.heights();
    store(heights, field.vertices(), i, std::clamp(heights[i] + a, 0.0f, field.heightScale));
    refresh(field, rect);
}
