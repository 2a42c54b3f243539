#include "tools/terraform.h"

#include "shared/fast_math.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "tools/brush.h"
#include "tools/grid_rect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// ---- A small non-flat map and a plain reference grid ---------------------

float rolling(int x, int z)
{
    return 20.0f + 6.0f * std::sin(0.4f * x) + 4.0f * std::cos(0.3f * z) + 0.15f * x - 0.1f * z;
}

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

// The expected heights are computed on this separate grid by transcribing
// the tool descriptions directly, without the code under test.
struct Grid {
    int n;
    std::vector<float> h;
    explicit Grid(const Heightfield& field) : n(field.size()), h(field.heights(), field.heights() + n * n) {}
    float& at(int x, int z) { return h[z * n + x]; }
    // The terrain's interpolation, written as the plane through the three
    // corners of the triangle that holds the point.
    float sample(float x, float z)
    {
        int cx = static_cast<int>(x), cz = static_cast<int>(z);
        float fx = x - cx, fz = z - cz;
        if (fx + fz <= 1.0f)
            return at(cx, cz) + fx * (at(cx + 1, cz) - at(cx, cz)) + fz * (at(cx, cz + 1) - at(cx, cz));
        float gx = 1.0f - fx, gz = 1.0f - fz; // measured from the far corner
        return at(cx + 1, cz + 1) + gx * (at(cx, cz + 1) - at(cx + 1, cz + 1)) +
               gz * (at(cx + 1, cz) - at(cx + 1, cz + 1));
    }
    // The work square: whole cells within ceil(r) of the brush point, kept
    // `margin` vertices inside the grid.
    void square(float px, float pz, float r, int margin, int& x0, int& z0, int& x1, int& z1) const
    {
        int c = static_cast<int>(std::ceil(r));
        x0 = std::max(static_cast<int>(std::floor(px)) - c, margin);
        z0 = std::max(static_cast<int>(std::floor(pz)) - c, margin);
        x1 = std::min(static_cast<int>(std::ceil(px)) + c, n - 1 - margin);
        z1 = std::min(static_cast<int>(std::ceil(pz)) + c, n - 1 - margin);
    }
};

float weight(float d, float r, float s)
{
    return std::sin((1.0f - s * d / r) * 1.5707964f);
}

float toward(float h, float t, float w)
{
    float diff = t - h;
    if (w > std::fabs(diff)) return t;
    return diff >= 0 ? h + w : h - w;
}

void expectSame(const Heightfield& field, Grid& grid, const char* tool, float tolerance = 1e-4f)
{
    int changed = 0;
    for (int z = 0; z < grid.n; ++z) {
        for (int x = 0; x < grid.n; ++x) {
            ASSERT_NEAR(field.height(x, z), grid.at(x, z), tolerance) << tool << " at " << x << "," << z;
            ASSERT_EQ(field.vertices()[z * grid.n + x].y, field.height(x, z)) << tool << " vertex copy";
            if (std::fabs(grid.at(x, z) - rolling(x, z)) > 1e-3f) ++changed;
        }
    }
    EXPECT_GT(changed, 0) << tool << " golden case changed nothing";
}

} // namespace

// ---- Rectangles ------------------------------------------------------------

TEST(GridRect, RectangleOperations)
{
    struct Case {
        GridRect got;
        GridRect want;
    };
    const Case cases[] = {
        {brushRect({10.5f, 0, 3.2f}, 2.5f), {7, 0, 14, 7}},
        {brushRect({10.0f, 0, 3.0f}, 2.0f), {8, 1, 12, 5}},
        {brushRect({-0.5f, 0, 0.0f}, 1.0f), {-2, -1, 1, 1}},
        {spanRect({5.5f, 0, 9.0f}, {2.2f, 0, 12.7f}, 1.2f), {0, 7, 8, 15}},
        {clampRect({-4, 3, 40, 70}, 64, 0), {0, 3, 40, 64}},
        {clampRect({-4, 3, 60, 70}, 64, 9), {9, 9, 55, 55}},
        {clampRect({2, 2, 5, 5}, 64, 9), {9, 9, 5, 5}},
        {inflate({3, 4, 5, 6}, 1), {2, 3, 6, 7}},
        {brushRect({NAN, 0, 1e30f}, 1.0f), {-100000001, 100000000 - 1, -100000000 + 1, 100000000 + 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.left, c.want.left);
        EXPECT_EQ(c.got.top, c.want.top);
        EXPECT_EQ(c.got.right, c.want.right);
        EXPECT_EQ(c.got.bottom, c.want.bottom);
    }
    EXPECT_TRUE(GridRect{}.empty());
    EXPECT_FALSE((GridRect{0, 0, 0, 1}.empty()));
}

TEST(Brush, FalloffShape)
{
    EXPECT_FLOAT_EQ(BrushWeight(0.0f, 10.0f, 1.0f), 1.0f);
    EXPECT_NEAR(BrushWeight(10.0f, 10.0f, 1.0f), 0.0f, 1e-6f);
    for (float d : {0.0f, 3.0f, 9.9f, 10.0f})
        EXPECT_FLOAT_EQ(BrushWeight(d, 10.0f, 0.0f), 1.0f);
    EXPECT_NEAR(BrushWeight(5.0f, 10.0f, 1.0f), std::sin(0.25f * 3.14159265f), 1e-6f);
}

// ---- Edge cases ------------------------------------------------------------

TEST(Terraform, RaiseWithSoftnessZeroFillsTheBall)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 33;
    ASSERT_TRUE(field.Create(params));
    Vec3 p = {16.3f, 0.0f, 15.8f};
    Raise(field, p, 5.0f, 0.0f, 2.0f);
    EXPECT_EQ(p.y, 16.25f); // the terrain height under the brush
    for (int z = 0; z < 33; ++z) {
        for (int x = 0; x < 33; ++x) {
            float d2 = (16.3f - x) * (16.3f - x) + (15.8f - z) * (15.8f - z);
            ASSERT_EQ(field.height(x, z), d2 <= 25.0f ? 18.25f : 16.25f) << x << "," << z;
        }
    }
}

TEST(Terraform, RaiseLeavesACliffBeyondTheBall)
{
    // Foot at 10 for x < 16, top at 40 from x = 16: the top is 30 above the
    // brush point, farther than the radius.
    Heightfield field;
    makeMap(field, 33, [](int x, int) { return x < 16 ? 10.0f : 40.0f; });
    Vec3 p = {14.0f, 0.0f, 16.0f};
    Raise(field, p, 6.0f, 0.5f, 1.0f);
    EXPECT_GT(field.height(14, 16), 10.5f);
    EXPECT_GT(field.height(15, 16), 10.5f);
    for (int z = 0; z < 33; ++z) {
        for (int x = 16; x < 33; ++x)
            ASSERT_EQ(field.height(x, z), 40.0f);
    }
}

TEST(Terraform, HeightsStayWithinTheScale)
{
    struct Case {
        const char* name;
        float amount;
        float expected;
    };
    for (Case c : {Case{"raise", 500.0f, 65.0f}, Case{"lower", -500.0f, 0.0f}}) {
        Heightfield field;
        makeMap(field, 33, rolling);
        Vec3 p = {16.0f, 0.0f, 16.0f};
        Raise(field, p, 30.0f, 0.0f, c.amount);
        EXPECT_EQ(field.height(16, 16), c.expected) << c.name;
        Vec3 q = {3.0f, 0.0f, 4.0f};
        Point(field, q, c.amount);
        EXPECT_EQ(field.height(3, 4), c.expected) << c.name;
        if (c.amount > 0.0f) {
            EXPECT_EQ(field.maxHeight(), 65) << c.name;
        } else {
            EXPECT_EQ(field.minHeight(), 0) << c.name;
        }
    }
}

TEST(Terraform, LevelLandsExactlyAndLeavesTargetCellsAlone)
{
    Heightfield field;
    makeMap(field, 17, [](int x, int) { return x == 8 ? 30.0f : (x == 9 ? 12.0f : 10.0f + 0.1f * x); });
    Vec3 p = {8.0f, 12.0f, 8.0f};
    float before = field.height(9, 8);
    Level(field, p, 3.0f, 0.0f, 5.0f);
    // 30 -> 25: a step smaller than the difference moves by the step.
    EXPECT_EQ(field.height(8, 8), 25.0f);
    // Already at the target: untouched, exactly.
    EXPECT_EQ(field.height(9, 8), before);
    // 10.7 -> 12 with a step of 5: lands exactly on the target.
    EXPECT_EQ(field.height(7, 8), 12.0f);
    Level(field, p, 3.0f, 0.0f, 50.0f);
    EXPECT_EQ(field.height(8, 8), 12.0f);
}

TEST(Terraform, FlatGroundStaysFlat)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 65;
    ASSERT_TRUE(field.Create(params));
    Vec3 p = {32.0f, 0.0f, 30.5f};
    std::srand(100);
    Smooth(field, p, 10.0f, 0.5f, 1.0f);
    Erode(field, p, 10.0f, 0.5f, 5.0f);
    for (int i = 0; i < 65 * 65; ++i)
        ASSERT_EQ(field.heights()[i], 16.25f);
}

TEST(Terraform, ErodeNearTheEdgeChangesNothing)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    std::vector<float> before(field.heights(), field.heights() + 33 * 33);
    std::srand(100);
    for (Vec3 p : {Vec3{4.0f, 0, 4.0f}, Vec3{28.5f, 0, 16.0f}, Vec3{16.0f, 0, 0.0f}})
        Erode(field, p, 4.0f, 0.5f, 5.0f);
    EXPECT_EQ(std::vector<float>(field.heights(), field.heights() + 33 * 33), before);
}

TEST(Terraform, PushCapturesFirstAndIgnoresTinyMoves)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    std::vector<float> before(field.heights(), field.heights() + 33 * 33);
    PushState state;
    Vec3 p = {15.3f, 0.0f, 15.6f};
    Push(field, state, p, 5.0f, 0.5f, 1.0f);
    EXPECT_EQ(std::vector<float>(field.heights(), field.heights() + 33 * 33), before);
    Vec3 nudge = {15.5f, 0.0f, 15.7f}; // 0.05 squared: hardly any movement
    Push(field, state, nudge, 5.0f, 0.5f, 1.0f);
    EXPECT_EQ(std::vector<float>(field.heights(), field.heights() + 33 * 33), before);
    Vec3 moved = {17.5f, 0.0f, 16.7f};
    Push(field, state, moved, 5.0f, 0.5f, 1.0f);
    EXPECT_NE(std::vector<float>(field.heights(), field.heights() + 33 * 33), before);
    // After a release the next stroke starts by capturing again.
    ResetPush(state);
    std::vector<float> after(field.heights(), field.heights() + 33 * 33);
    Vec3 next = {12.0f, 0.0f, 12.5f};
    Push(field, state, next, 5.0f, 0.5f, 1.0f);
    EXPECT_EQ(std::vector<float>(field.heights(), field.heights() + 33 * 33), after);
}

// Strokes along the edges and through the corners, where the squares around
// the intermediate positions are clamped to different sizes: every height
// stays a blend of existing heights (and the sanitizer build sees every
// buffer access).
TEST(Terraform, PushNearTheEdgesStaysInsideItsBuffer)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    float lo = *std::min_element(field.heights(), field.heights() + 33 * 33);
    float hi = *std::max_element(field.heights(), field.heights() + 33 * 33);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> coord(0.0f, 32.0f);
    std::uniform_real_distribution<float> edge(0.0f, 3.0f);
    for (float radius : {1.0f, 3.5f, 8.0f, 40.0f}) {
        PushState state;
        for (int i = 0; i < 200; ++i) {
            // Mostly near an edge or a corner, sometimes anywhere.
            Vec3 p = {coord(rng), 0.0f, coord(rng)};
            if (i % 3 == 0) p.x = edge(rng);
            if (i % 4 == 0) p.z = 32.0f - edge(rng);
            if (i % 7 == 0) p = {static_cast<float>(i % 33), 0.0f, 0.0f};
            Push(field, state, p, radius, 1.0f, 1.0f);
        }
    }
    for (int i = 0; i < 33 * 33; ++i) {
        ASSERT_GE(field.heights()[i], lo - 1e-3f);
        ASSERT_LE(field.heights()[i], hi + 1e-3f);
    }
}

TEST(Terraform, RampHasSquareEndsAndNeedsTwoPlaces)
{
    Heightfield field;
    NewMapParameters params;
    params.size = 33;
    ASSERT_TRUE(field.Create(params));
    Vec3 a = {8.0f, 10.0f, 16.0f};
    Vec3 b = {24.0f, 30.0f, 16.0f};
    Ramp(field, a, b, 4.0f, 0.0f, 1.0f);
    // Along the centre line: the straight slope, from 10 to 30.
    EXPECT_NEAR(field.height(16, 16), 20.0f, 1e-4f);
    EXPECT_NEAR(field.height(12, 18), 15.0f, 1e-4f);
    // The foot of x = 8 is the end itself, not strictly between: square ends.
    for (int z = 0; z < 33; ++z) {
        for (int x : {0, 7, 8, 24, 25, 32})
            ASSERT_EQ(field.height(x, z), 16.25f) << x << "," << z;
    }
    // Outside the corridor's half-width nothing changes either.
    EXPECT_EQ(field.height(16, 11), 16.25f);
    EXPECT_EQ(field.height(16, 21), 16.25f);

    std::vector<float> before(field.heights(), field.heights() + 33 * 33);
    Vec3 same = {16.0f, 5.0f, 16.0f};
    Vec3 again = {16.0f, 60.0f, 16.0f};
    Ramp(field, same, again, 4.0f, 0.0f, 1.0f);
    Vec3 outA = {-5.0f, 0.0f, 40.0f};
    Vec3 outB = {50.0f, 0.0f, 40.0f};
    Ramp(field, outA, outB, 4.0f, 0.0f, 1.0f);
    EXPECT_EQ(std::vector<float>(field.heights(), field.heights() + 33 * 33), before);
}

TEST(Terraform, BrushPointsOutsideTheMapAreIgnored)
{
    Heightfield field;
    makeMap(field, 17, rolling);
    std::vector<float> before(field.heights(), field.heights() + 17 * 17);
    PushState state;
    for (Vec3 p : {Vec3{-0.5f, 0, 4}, Vec3{4, 0, 16.5f}, Vec3{NAN, 0, 3}, Vec3{3, 0, INFINITY}}) {
        Vec3 q = p;
        Raise(field, q, 3, 1, 5);
        Level(field, q, 3, 1, 5);
        Smooth(field, q, 3, 1, 5);
        Erode(field, q, 3, 1, 5);
        Push(field, state, q, 3, 1, 1);
        Point(field, q, 5);
    }
    // A radius of zero has no disc.
    Vec3 inside = {8, 0, 8};
    Raise(field, inside, 0.0f, 1.0f, 5.0f);
    EXPECT_EQ(std::vector<float>(field.heights(), field.heights() + 17 * 17), before);
}

TEST(Terraform, PointChangesExactlyOneVertexOnTheLargestMap)
{
    // On a 4097 map 4097 x 4095 + 4094 is odd and above 2^24: in floating
    // point it rounds to a neighbouring vertex.
    Heightfield field;
    NewMapParameters params;
    params.size = 4097;
    ASSERT_TRUE(field.Create(params));
    Vec3 p = {4094.0f, 0.0f, 4095.0f};
    Point(field, p, 3.0f);
    EXPECT_EQ(p.y, 16.25f);
    EXPECT_EQ(field.height(4094, 4095), 19.25f);
    EXPECT_EQ(field.height(4093, 4095), 16.25f);
    EXPECT_EQ(field.height(4095, 4095), 16.25f);
    EXPECT_EQ(field.maxHeight(), 19);
    EXPECT_EQ(field.cellMax()[4095 * 4096 + 4094], static_cast<uint8_t>(std::ceil(19.25f * 255.0f / 65.0f)));
}

// What undo must save before Erode and Push: no height changes outside it,
// even when a drop walks off the brush square or the brush jumps far.
TEST(Terraform, ChangeRectanglesCoverEveryChange)
{
    const int n = 65;
    auto outsideUnchanged = [n](const std::vector<float>& before, const Heightfield& field, GridRect rect) {
        int inside = 0;
        for (int z = 0; z < n; ++z) {
            for (int x = 0; x < n; ++x) {
                bool in = x >= rect.left && x <= rect.right && z >= rect.top && z <= rect.bottom;
                if (before[z * n + x] == field.height(x, z)) continue;
                if (!in) return -1;
                ++inside;
            }
        }
        return inside;
    };
    Heightfield field;
    makeMap(field, n, [](int x, int z) { return 30.0f + 12.0f * std::sin(0.5f * x) * std::cos(0.45f * z); });
    std::srand(100);
    for (Vec3 p : {Vec3{20.5f, 0, 20.5f}, Vec3{40.2f, 0, 31.7f}, Vec3{12.0f, 0, 50.0f}}) {
        std::vector<float> before(field.heights(), field.heights() + n * n);
        GridRect rect = ErodeChangeRect(p, 6.0f, n);
        Erode(field, p, 6.0f, 0.3f, 30.0f);
        EXPECT_GT(outsideUnchanged(before, field, rect), 0);
        GridRect square = clampRect(brushRect(p, 6.0f), n - 1, 0);
        // The walks do leave the brush square; without the reach the
        // rectangle would be too small.
        EXPECT_EQ(outsideUnchanged(before, field, square), -1);
    }
    PushState state;
    for (Vec3 p : {Vec3{10.5f, 0, 10.5f}, Vec3{12.5f, 0, 11.5f}, Vec3{50.3f, 0, 40.1f}, Vec3{20.2f, 0, 55.4f}}) {
        std::vector<float> before(field.heights(), field.heights() + n * n);
        GridRect rect = PushChangeRect(state, p, 5.0f, n);
        Push(field, state, p, 5.0f, 0.5f, 1.0f);
        EXPECT_GE(outsideUnchanged(before, field, rect), 0);
    }
}

// After any tool, the derived grids must equal a whole-map refresh: the
// rectangle each tool refreshes covers everything it changed.
TEST(Terraform, EveryToolRefreshesWhatItChanged)
{
    const int n = 65;
    auto check = [n](Heightfield& field, const char* tool) {
        Heightfield whole;
        NewMapParameters params;
        params.size = n;
        ASSERT_TRUE(whole.Create(params));
        for (int i = 0; i < n * n; ++i)
            whole.setHeight(i % n, i / n, field.heights()[i]);
        whole.UpdateRegion(0, 0, n - 1, n - 1);
        whole.UpdateErrors(0, 0, n - 1, n - 1);
        EXPECT_EQ(field.maxHeight(), whole.maxHeight()) << tool;
        EXPECT_EQ(field.minHeight(), whole.minHeight()) << tool;
        for (int i = 0; i < n * n; ++i) {
            ASSERT_EQ(field.vertices()[i].y, field.heights()[i]) << tool;
            ASSERT_EQ(field.midpointErrors()[i], whole.midpointErrors()[i]) << tool << " error at " << i;
        }
        for (int i = 0; i < (n - 1) * (n - 1); ++i)
            ASSERT_EQ(field.cellMax()[i], whole.cellMax()[i]) << tool;
    };
    auto hilly = [](int x, int z) { return 30.0f + 12.0f * std::sin(0.3f * x) * std::cos(0.25f * z); };
    std::srand(100);
    Heightfield field;
    makeMap(field, n, hilly);
    PushState state;
    for (float cx : {31.4f, 2.2f, 62.7f}) {
        Vec3 p = {cx, 0, 33.3f};
        Raise(field, p, 6, 0.7f, 30); // reaches the height scale on the peaks
        check(field, "raise");
        p.y = 5.0f;
        Level(field, p, 7, 0.3f, 40);
        check(field, "level");
        Smooth(field, p, 8, 0.5f, 3);
        check(field, "smooth");
        Erode(field, p, 8, 0.5f, 10);
        check(field, "erode");
        Push(field, state, p, 5, 0.5f, 1);
        Vec3 q = {cx + 4.0f, 0, 30.1f};
        Push(field, state, q, 5, 0.5f, 1);
        check(field, "push");
        Vec3 a = {cx, 10, 5.5f}, b = {cx + 3.0f, 50, 60.2f};
        Ramp(field, a, b, 4, 0.5f, 1);
        check(field, "ramp");
        Vec3 v = {std::floor(cx), 0, 64.0f};
        Point(field, v, 7);
        check(field, "point");
    }
}

// ---- Golden tests: each tool on a small rolling map -------------------------

TEST(TerraformGolden, Raise)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    const float px = 15.3f, pz = 17.6f, r = 6.0f, s = 0.8f, a = 2.5f;
    float py = g.sample(px, pz);
    int x0, z0, x1, z1;
    g.square(px, pz, r, 0, x0, z0, x1, z1);
    for (int z = z0; z <= z1; ++z) {
        for (int x = x0; x <= x1; ++x) {
            float d2 = (pz - z) * (pz - z) + (px - x) * (px - x) + (py - g.at(x, z)) * (py - g.at(x, z));
            if (d2 > r * r) continue;
            g.at(x, z) = std::clamp(g.at(x, z) + weight(std::sqrt(d2), r, s) * a, 0.0f, 65.0f);
        }
    }
    Vec3 p = {px, 0.0f, pz};
    Raise(field, p, r, s, a);
    EXPECT_NEAR(p.y, py, 1e-4f);
    expectSame(field, g, "raise");
}

TEST(TerraformGolden, Level)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    const float px = 20.5f, pz = 12.25f, t = 22.0f, r = 7.0f, s = 0.6f, a = 1.5f;
    int x0, z0, x1, z1;
    g.square(px, pz, r, 0, x0, z0, x1, z1);
    for (int z = z0; z <= z1; ++z) {
        for (int x = x0; x <= x1; ++x) {
            float d2 = (pz - z) * (pz - z) + (px - x) * (px - x);
            if (g.at(x, z) == t || d2 > r * r) continue;
            g.at(x, z) = toward(g.at(x, z), t, weight(std::sqrt(d2), r, s) * a);
        }
    }
    Vec3 p = {px, t, pz};
    Level(field, p, r, s, a);
    expectSame(field, g, "level");
}

TEST(TerraformGolden, Smooth)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    const float px = 3.5f, pz = 16.0f, r = 6.0f, s = 0.4f, a = 0.8f;
    int x0, z0, x1, z1;
    g.square(px, pz, r, 1, x0, z0, x1, z1);
    EXPECT_EQ(x0, 1); // the square is cut by the margin at the left edge
    for (int z = z0; z <= z1; ++z) {
        for (int x = x0; x <= x1; ++x) {
            float d2 = (pz - z) * (pz - z) + (px - x) * (px - x);
            if (d2 > r * r) continue;
            float sum = 0.0f;
            for (int dz = -1; dz <= 1; ++dz) {
                for (int dx = -1; dx <= 1; ++dx)
                    sum += g.at(x + dx, z + dz);
            }
            float avg = sum * 0.11111111f;
            if (avg == g.at(x, z)) continue;
            g.at(x, z) = toward(g.at(x, z), avg, weight(std::sqrt(d2), r, s) * a);
        }
    }
    Vec3 p = {px, 0.0f, pz};
    Smooth(field, p, r, s, a);
    expectSame(field, g, "smooth");
}

TEST(TerraformGolden, Erode)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    const int n = 33;
    const float px = 20.4f, pz = 19.7f, r = 6.0f, s = 0.5f, a = 4.0f;
    const float e0 = a * 0.1f;
    int left, top, right, bottom;
    g.square(px, pz, r, 9, left, top, right, bottom);
    int w = right - left, hgt = bottom - top;
    ASSERT_GT(w, 0);
    ASSERT_GT(hgt, 0);
    auto avg9 = [&](int i) {
        float sum = 0.0f;
        for (int dz = -1; dz <= 1; ++dz) {
            for (int dx = -1; dx <= 1; ++dx)
                sum += g.h[i + dz * n + dx];
        }
        return sum * 0.11111111f;
    };
    const int offsets[8] = {1, -1, n, n + 1, n - 1, -n, -n + 1, -n - 1};
    std::srand(100);
    for (int drop = 0; drop < w * hgt + 1; ++drop) {
        int x = left + std::rand() % w;
        int z = top + std::rand() % hgt;
        float d2 = (pz - z) * (pz - z) + (px - x) * (px - x);
        if (d2 > r * r) continue;
        float e = weight(std::sqrt(d2), r, s) * e0;
        int cur = z * n + x, prev = -1;
        for (int step = 0; step < 8; ++step) {
            // Lowest and second-lowest negative drops among the neighbours.
            float best = 0.0f, second = 0.0f;
            int bestAt = -1, secondAt = -1;
            for (int o : offsets) {
                int nb = cur + o;
                if (nb == prev) continue;
                float diff = g.h[nb] - g.h[cur];
                if (diff < best) {
                    second = best, secondAt = bestAt;
                    best = diff, bestAt = nb;
                } else if (diff < second) {
                    second = diff, secondAt = nb;
                }
            }
            if (bestAt < 0) break;
            int next = bestAt;
            float D = -best;
            if (secondAt >= 0 && second - best < 1.0f && std::rand() % 2 != 0) next = secondAt, D = -second;
            float take = std::min(D * e, 0.75f * D);
            if (n + 1 < cur && cur < n * (n - 1) - 1 && n + 1 < next && next < n * (n - 1) - 1) {
                g.h[cur] = std::max(g.h[cur] - take, 0.0f);
                float s1 = (avg9(cur) - g.h[cur]) * e * 2.0f;
                if (s1 >= take) s1 = take * 0.5f;
                g.h[cur] += s1;
                if (std::sqrt(D) < 1.0f) take *= D;
                g.h[next] = std::min(g.h[next] + take * 0.5f, 65.0f);
                float s2 = (avg9(next) - g.h[next]) * e * 2.0f;
                if (s2 < take * 0.5f) g.h[next] += s2;
            }
            prev = cur;
            cur = next;
        }
    }
    std::srand(100);
    Vec3 p = {px, 0.0f, pz};
    Erode(field, p, r, s, a);
    expectSame(field, g, "erode", 0.0f);
}

TEST(TerraformGolden, Push)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    const float r = 4.0f, s = 0.5f, a = 0.85f;
    const float stepLen = r * 0.01f * 3.0f + 2.0f * s + 1.0f;
    // The stroke's state, kept as the description has it: the buffer is
    // the square's heights in row order, read back by running index.
    Vec3 last = {-100.0f, -100.0f, -100.0f};
    std::vector<float> buffer;
    auto capture = [&](Vec3 q) {
        int x0, z0, x1, z1;
        g.square(q.x, q.z, r, 1, x0, z0, x1, z1);
        buffer.clear();
        for (int z = z0; z <= z1; ++z) {
            for (int x = x0; x <= x1; ++x)
                buffer.push_back(g.at(x, z));
        }
        last = q;
    };
    auto push = [&](Vec3 p) {
        float M = (last.x - p.x) * (last.x - p.x) + (last.z - p.z) * (last.z - p.z);
        if (buffer.empty() || M <= 0.05f) return capture(p);
        float dx = p.x - last.x, dz = p.z - last.z;
        float inv = FastInvSqrt(dx * dx + dz * dz);
        dx *= inv, dz *= inv;
        Vec3 q = p;
        if (M > stepLen * stepLen) q = {last.x + (stepLen - 0.1f) * dx, last.y, last.z + (stepLen - 0.1f) * dz};
        for (int i = 0; i < 60; ++i) {
            int x0, z0, x1, z1;
            g.square(q.x, q.z, r, 1, x0, z0, x1, z1);
            int k = 0;
            for (int z = z0; z <= z1; ++z) {
                for (int x = x0; x <= x1; ++x, ++k) {
                    float d2 = (q.z - z) * (q.z - z) + (q.x - x) * (q.x - x);
                    if (d2 > r * r) continue;
                    float f = weight(std::sqrt(d2), r, s) * a;
                    if (f > 1.0f) f = 0.5f;
                    g.at(x, z) = (1.0f - f) * g.at(x, z) + f * buffer[k];
                }
            }
            capture(q);
            q = {q.x + (stepLen - 0.1f) * dx, q.y, q.z + (stepLen - 0.1f) * dz};
            if ((last.x - p.x) * (last.x - p.x) + (last.z - p.z) * (last.z - p.z) <= stepLen * stepLen) break;
        }
    };
    // A short move, then a long one that takes several steps.
    const Vec3 path[] = {{12.3f, 0, 14.6f}, {13.45f, 0, 15.2f}, {24.7f, 0, 22.9f}, {25.1f, 0, 23.3f}};
    for (Vec3 p : path)
        push(p);
    PushState state;
    for (Vec3 p : path)
        Push(field, state, p, r, s, a);
    expectSame(field, g, "push");
}

TEST(TerraformGolden, Ramp)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    const Vec3 A = {6.2f, 12.0f, 25.5f}, B = {27.0f, 31.0f, 9.3f};
    const float r = 3.5f, s = 0.7f, strength = 0.8f;
    const float ux = B.x - A.x, uz = B.z - A.z, L = std::sqrt(ux * ux + uz * uz);
    float px = -uz / L, py = 0.0f, pz = ux / L;
    FastNormalize(px, py, pz);
    int x0 = std::max(static_cast<int>(std::floor(std::min(A.x, B.x))) - 5, 1);
    int z0 = std::max(static_cast<int>(std::floor(std::min(A.z, B.z))) - 5, 1);
    int x1 = std::min(static_cast<int>(std::ceil(std::max(A.x, B.x))) + 5, 31);
    int z1 = std::min(static_cast<int>(std::ceil(std::max(A.z, B.z))) + 5, 31);
    for (int z = z0; z <= z1; ++z) {
        for (int x = x0; x <= x1; ++x) {
            float sd = px * (x - A.x) + pz * (z - A.z);
            if (!(std::fabs(sd) < r)) continue;
            float fx = x - sd * px, fz = z - sd * pz;
            if (!((fx - A.x) * (B.x - fx) + (fz - A.z) * (B.z - fz) > 0.0f)) continue;
            float along = std::sqrt((fx - A.x) * (fx - A.x) + (fz - A.z) * (fz - A.z));
            float target = A.y + (along / L) * (B.y - A.y);
            float q = s * sd * sd / (r * r);
            float h = g.at(x, z);
            g.at(x, z) = strength * ((1.0f - q) * target + q * h) + (1.0f - strength) * h;
        }
    }
    Vec3 a = A, b = B;
    Ramp(field, a, b, r, s, strength);
    expectSame(field, g, "ramp");
}

TEST(TerraformGolden, Point)
{
    Heightfield field;
    makeMap(field, 33, rolling);
    Grid g(field);
    g.at(11, 21) += 1.75f;
    Vec3 p = {11.0f, 0.0f, 21.0f};
    Point(field, p, 1.75f);
    EXPECT_FLOAT_EQ(p.y, rolling(11, 21));
    expectSame(field, g, "point", 0.0f);
}
