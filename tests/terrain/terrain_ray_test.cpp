#include "terrain/terrain_ray.h"

#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <random>
#include <vector>

namespace {

void makeMap(Heightfield& field, int n, float (*height)(int, int))
{
    NewMapParameters params;
    params.size = n;
    ASSERT_TRUE(field.Create(params));
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x)
            field.setHeight(x, z, height(x, z));
    }
    field.UpdateRegion(0, 0, n - 1, n - 1);
    field.UpdateErrors(0, 0, n - 1, n - 1);
}

Heightfield& flatMap()
{
    static Heightfield field;
    if (field.empty()) {
        NewMapParameters params;
        params.size = 65;
        field.Create(params);
    }
    return field;
}

// Nearest front-facing hit of the ray o + t d (t > 0) over every triangle
// of the grid, in double precision (Moller-Trumbore), as a distance t.
std::optional<double> bruteForceHit(const Heightfield& field, Vec3 o, Vec3 d)
{
    std::optional<double> best;
    int n = field.size();
    auto vertex = [&](int x, int z) {
        const Vec3& v = field.vertices()[z * n + x];
        return std::array<double, 3>{v.x, v.y, v.z};
    };
    const std::array<double, 3> O = {o.x, o.y, o.z}, D = {d.x, d.y, d.z};
    auto sub = [](auto a, auto b) { return std::array<double, 3>{a[0] - b[0], a[1] - b[1], a[2] - b[2]}; };
    auto cross = [](auto a, auto b) {
        return std::array<double, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    auto dot = [](auto a, auto b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    auto triangle = [&](auto a, auto b, auto c) {
        auto e1 = sub(b, a), e2 = sub(c, a);
        auto normal = cross(e1, e2);
        if (normal[1] < 0) normal = {-normal[0], -normal[1], -normal[2]};
        if (dot(normal, D) >= 0) return; // seen from below or edge-on
        auto p = cross(D, e2);
        double det = dot(e1, p);
        if (std::fabs(det) < 1e-12) return;
        auto s = sub(O, a);
        double u = dot(s, p) / det;
        if (u < -1e-9 || u > 1 + 1e-9) return;
        auto q = cross(s, e1);
        double v = dot(D, q) / det;
        if (v < -1e-9 || u + v > 1 + 1e-9) return;
        double t = dot(e2, q) / det;
        if (t > 0 && (!best || t < *best)) best = t;
    };
    for (int z = 0; z + 1 < n; ++z) {
        for (int x = 0; x + 1 < n; ++x) {
            triangle(vertex(x, z), vertex(x + 1, z), vertex(x, z + 1));
            triangle(vertex(x + 1, z + 1), vertex(x + 1, z), vertex(x, z + 1));
        }
    }
    return best;
}

} // namespace

TEST(TerrainRay, StraightDownOntoFlatGround)
{
    Heightfield& field = flatMap();
    TerrainRay ray(field);
    ASSERT_TRUE(ray.SetSegment({20.5f, 50.0f, 30.5f}, {20.5f, -10.0f, 30.5f}));
    EXPECT_EQ(ray.direction.x, 0.001f);
    EXPECT_EQ(ray.direction.z, 0.001f);
    ASSERT_TRUE(ray.FirstHit());
    EXPECT_TRUE(ray.hit);
    EXPECT_NEAR(ray.hitPoint.y, 16.25f, 1e-4f);
    EXPECT_NEAR(ray.hitPoint.x, 20.5f, 0.05f);
    EXPECT_NEAR(ray.hitPoint.z, 30.5f, 0.05f);
    // Both triangles of a cell can be hit from above: the upper one too.
    for (Vec3 at : {Vec3{7.2f, 0, 9.1f}, Vec3{7.9f, 0, 9.8f}, Vec3{63.9f, 0, 63.9f}}) {
        ASSERT_TRUE(ray.SetSegment({at.x, 30.0f, at.z}, {at.x, 0.0f, at.z}));
        EXPECT_TRUE(ray.FirstHit()) << at.x << "," << at.z;
        EXPECT_NEAR(ray.hitPoint.y, 16.25f, 1e-4f);
        Vec3 out;
        EXPECT_TRUE(field.RayHit({at.x, 30.0f, at.z}, {at.x, 0.0f, at.z}, out));
        EXPECT_NEAR(out.y, 16.25f, 1e-4f);
    }
}

TEST(TerrainRay, SegmentsThatCannotHit)
{
    Heightfield& field = flatMap();
    TerrainRay ray(field);
    struct Case {
        const char* what;
        Vec3 start;
        Vec3 end;
    };
    const Case cases[] = {
        {"beside the map", {-20.0f, 30.0f, 5.0f}, {-5.0f, 0.0f, 40.0f}},
        {"beyond the far corner", {70.0f, 30.0f, 66.0f}, {90.0f, 0.0f, 80.0f}},
        {"from below, up through the ground", {20.5f, 5.0f, 30.5f}, {25.0f, 40.0f, 33.0f}},
        {"from below, straight up", {10.5f, 0.0f, 10.5f}, {10.5f, 60.0f, 10.5f}},
        {"above the ground, level", {1.0f, 20.0f, 2.0f}, {60.0f, 20.0f, 50.0f}},
        {"ending above the ground", {30.0f, 40.0f, 30.0f}, {35.0f, 17.0f, 30.0f}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ray.SetSegment(c.start, c.end)) << c.what;
        EXPECT_FALSE(ray.FirstHit()) << c.what;
        EXPECT_FALSE(ray.Trace()) << c.what;
        EXPECT_EQ(ray.hitPoint, (Vec3{-1.0f, -1.0f, -1.0f})) << c.what;
    }
    // A zero-length segment is refused and finds nothing.
    EXPECT_FALSE(ray.SetSegment({5, 30, 5}, {5, 30, 5}));
    EXPECT_FALSE(ray.valid);
    EXPECT_FALSE(ray.FirstHit());
    EXPECT_FALSE(ray.SetSegment({5, 30, NAN}, {5, 0, 5}));
    // An empty heightfield hits nothing.
    Heightfield empty;
    TerrainRay none(empty);
    none.SetSegment({1, 5, 1}, {2, -5, 2});
    EXPECT_FALSE(none.FirstHit());
    Vec3 out;
    EXPECT_FALSE(empty.RayHit({1, 5, 1}, {2, -5, 2}, out));
    EXPECT_FALSE(empty.IntersectCell(0, 0, {0.5f, 5, 0.5f}, {0.001f, -1, 0.001f}, out));
}

TEST(TerrainRay, ClipsLongSegmentsToTheMap)
{
    Heightfield& field = flatMap();
    TerrainRay ray(field);
    // From far outside one corner, down across the map to far outside the
    // other: both ends move onto the square [0, 65].
    ASSERT_TRUE(ray.SetSegment({-100.0f, 60.0f, -80.0f}, {300.0f, -100.0f, 240.0f}));
    EXPECT_TRUE(ray.valid);
    EXPECT_NEAR(ray.start.x, 0.0f, 1e-3f);
    EXPECT_GE(ray.start.z, -1e-3f);
    EXPECT_LE(ray.end.x, 65.0f + 1e-3f);
    EXPECT_LE(ray.end.z, 65.0f + 1e-3f);
    EXPECT_TRUE(ray.FirstHit());
    EXPECT_NEAR(ray.hitPoint.y, 16.25f, 1e-3f);
}

TEST(TerrainRay, TheDiagonalBelongsToTheFirstTriangle)
{
    // Cell (0,0) with (1,1) raised high: seen from the side of (1,1) the
    // upper triangle is back-facing, the lower one (flat) front-facing. A
    // ray aimed at a point of the diagonal still hits.
    Heightfield field;
    makeMap(field, 3, [](int x, int z) { return x == 1 && z == 1 ? 40.0f : 10.0f; });
    Vec3 target = {0.25f, 10.0f, 0.75f}; // on the diagonal x + z = 1
    Vec3 d = Normalize({-0.6f, -0.5f, -0.6f});
    Vec3 origin = target - 3.0f * d;
    Vec3 out;
    ASSERT_TRUE(field.IntersectCell(0, 0, origin, d, out));
    EXPECT_NEAR(out.x, 0.25f, 1e-4f);
    EXPECT_NEAR(out.z, 0.75f, 1e-4f);
    EXPECT_NEAR(out.y, 10.0f, 1e-4f);
    // The upper triangle alone would not take it: just past the diagonal
    // the same ray finds nothing in this cell.
    Vec3 past = {0.27f, 0.0f, 0.77f};
    past.y = field.GetHeight(past.x, past.z);
    EXPECT_FALSE(field.IntersectCell(0, 0, past - 3.0f * d, d, out));
}

TEST(TerrainRay, TraceCallsTheVisitorAndStopsOnAbort)
{
    Heightfield& field = flatMap();
    TerrainRay ray(field);
    struct Log {
        std::vector<std::pair<int, int>> cells;
        size_t stopAfter;
    } log{{}, 1000};
    ray.visitor = [](TerrainRay& r, int cx, int cz, void* context) {
        auto* l = static_cast<Log*>(context);
        l->cells.push_back({cx, cz});
        if (l->cells.size() >= l->stopAfter) r.abort = true;
    };
    ray.visitorContext = &log;
    // A shallow descent along +x: it meets the ground at x = 40.
    ASSERT_TRUE(ray.SetSegment({10.5f, 19.25f, 20.5f}, {60.5f, 14.25f, 20.5f}));
    ASSERT_TRUE(ray.Trace());
    EXPECT_NEAR(ray.hitPoint.x, 40.5f, 0.05f);
    ASSERT_GE(log.cells.size(), 30u);
    EXPECT_EQ(log.cells.front(), (std::pair<int, int>{10, 20}));
    EXPECT_EQ(log.cells.back().first, 40);
    for (size_t i = 1; i < log.cells.size(); ++i) {
        int step = std::abs(log.cells[i].first - log.cells[i - 1].first) +
                   std::abs(log.cells[i].second - log.cells[i - 1].second);
        EXPECT_EQ(step, 1); // neighbouring cells, none skipped
    }
    log.cells.clear();
    log.stopAfter = 5;
    ASSERT_TRUE(ray.SetSegment({10.5f, 19.25f, 20.5f}, {60.5f, 14.25f, 20.5f}));
    EXPECT_FALSE(ray.Trace());
    EXPECT_EQ(log.cells.size(), 5u);
    EXPECT_FALSE(ray.hit);
}

TEST(TerrainRay, PickTerrainFromAboveAndBeside)
{
    Heightfield field;
    makeMap(field, 65, [](int x, int z) { return 10.0f + 0.2f * x + 0.1f * z; });
    struct Case {
        const char* what;
        Vec3 nearPoint;
        Vec3 farPoint;
        bool hits;
    };
    const Case cases[] = {
        {"camera high above, looking down", {20.3f, 200.0f, 30.7f}, {21.0f, -50.0f, 31.2f}, true},
        {"camera inside the height box", {5.5f, 20.0f, 5.5f}, {60.0f, 5.0f, 60.0f}, true},
        {"camera beside the map", {-30.0f, 40.0f, 30.0f}, {90.0f, 0.0f, 31.0f}, true},
        {"looking up", {20.0f, 30.0f, 20.0f}, {30.0f, 300.0f, 25.0f}, false},
        {"looking away from the map", {-3.0f, 40.0f, 10.0f}, {-300.0f, 0.0f, 12.0f}, false},
    };
    for (const Case& c : cases) {
        Vec3 out = PickTerrain(&field, c.nearPoint, c.farPoint);
        if (!c.hits) {
            EXPECT_EQ(out, (Vec3{0.0f, 0.0f, 0.0f})) << c.what;
            continue;
        }
        EXPECT_NE(out, (Vec3{0.0f, 0.0f, 0.0f})) << c.what;
        EXPECT_NEAR(out.y, field.GetHeight(out.x, out.z), 1e-3f) << c.what;
    }
    EXPECT_EQ(PickTerrain(nullptr, {1, 1, 1}, {2, 2, 2}), (Vec3{0, 0, 0}));
    // A far point far beyond the map does not stop the status-bar walk.
    Vec3 out;
    ASSERT_TRUE(field.RayHit({20.3f, 30.0f, 30.7f}, {20.3f + 3.0e6f, -1.0e7f, 30.7f}, out));
    EXPECT_NEAR(out.y, field.GetHeight(out.x, out.z), 1e-3f);

    Vec3 far = {200.0f, -100.0f, -50.0f};
    field.ClipToInterior({30.0f, 50.0f, 30.0f}, far);
    EXPECT_NEAR(far.x, 62.0f, 1e-3f);
    EXPECT_GE(far.z, 1.1f - 1e-3f);
    Vec3 behind = {-40.0f, 0.0f, 20.0f};
    field.ClipToInterior({0.5f, 10.0f, 20.0f}, behind); // `from` already past the bound
    EXPECT_EQ(behind, (Vec3{0.5f, 10.0f, 20.0f}));
    EXPECT_TRUE(field.InsideBox({0.001f, 12.0f, 63.999f}));
    EXPECT_FALSE(field.InsideBox({0.0f, 12.0f, 20.0f}));
    EXPECT_FALSE(field.InsideBox({20.0f, 200.0f, 20.0f}));
}

// The walk must find exactly the nearest triangle that an exhaustive test
// of every triangle finds: pick rays from above and shadow rays that start
// just above the ground and climb toward a light.
TEST(TerrainRay, FirstHitEqualsTheNearestOfAllTriangles)
{
    Heightfield field;
    makeMap(field, 33, [](int x, int z) {
        static std::vector<float> h = [] {
            std::mt19937 rng(21);
            std::uniform_real_distribution<float> height(0.0f, 12.0f);
            std::vector<float> values(33 * 33);
            for (float& v : values)
                v = height(rng);
            return values;
        }();
        return h[z * 33 + x] + 0.6f * x;
    });
    TerrainRay ray(field);
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> coord(-6.0f, 38.0f);
    std::uniform_real_distribution<float> inside(0.0f, 31.99f);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> up(0.05f, 1.0f);
    int hits = 0, misses = 0, compared = 0;
    for (int i = 0; i < 4000; ++i) {
        Vec3 start, end;
        if (i % 2 == 0) {
            start = {coord(rng), 30.0f + 20.0f * up(rng), coord(rng)};
            end = {coord(rng), -5.0f + 10.0f * unit(rng), coord(rng)};
        } else {
            start = {inside(rng), 0.0f, inside(rng)};
            start.y = field.GetHeight(start.x, start.z) + 0.002f;
            Vec3 light = Normalize({unit(rng), up(rng), unit(rng)});
            end = start + 40.0f * light;
        }
        ASSERT_TRUE(ray.SetSegment(start, end));
        bool walked = ray.FirstHit();
        Vec3 d = Normalize(end - start);
        float length = Length(end - start);
        std::optional<double> brute = bruteForceHit(field, start, d);
        if (brute && *brute < length - 0.01) {
            ++compared;
            ASSERT_TRUE(walked) << "missed a hit of segment " << i;
            Vec3 expected = start + static_cast<float>(*brute) * d;
            ASSERT_NEAR(ray.hitPoint.x, expected.x, 2e-3f) << i;
            ASSERT_NEAR(ray.hitPoint.y, expected.y, 2e-3f) << i;
            ASSERT_NEAR(ray.hitPoint.z, expected.z, 2e-3f) << i;
            ++hits;
        } else if (!brute || *brute > length + 0.01) {
            ++compared;
            ASSERT_FALSE(walked) << "hit where nothing is, segment " << i;
            ++misses;
        }
    }
    EXPECT_GT(hits, 500);
    EXPECT_GT(misses, 500);
    EXPECT_GT(compared, 3500);
}
