// One brush application of each terraform tool on a 4097 fractal map,
// including the refresh of the derived grids, as the tool controller would
// make it once per frame.
#include "bench_terrain.h"
#include "tools/terraform.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

Heightfield& map4097()
{
    return bench_terrain::SharedMap(4097, true);
}

// Brush centres spread over the map so that each application meets cold
// memory, as a new stroke does.
std::vector<Vec3> centres(int count, float margin)
{
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> coord(margin, 4096.0f - margin);
    std::vector<Vec3> points(count);
    for (Vec3& p : points)
        p = {coord(rng), 0.0f, coord(rng)};
    return points;
}

void BM_TerraformRaise20(benchmark::State& state)
{
    Heightfield& field = map4097();
    std::vector<Vec3> points = centres(1024, 30.0f);
    size_t i = 0;
    float amount = 0.5f;
    for (auto _ : state) {
        Vec3 p = points[i++ % points.size()];
        Raise(field, p, 20.0f, 1.0f, amount);
        amount = -amount; // keeps the terrain from creeping up to the clamp
    }
}
BENCHMARK(BM_TerraformRaise20)->Unit(benchmark::kMicrosecond);

void BM_TerraformSmooth50(benchmark::State& state)
{
    Heightfield& field = map4097();
    std::vector<Vec3> points = centres(1024, 60.0f);
    size_t i = 0;
    for (auto _ : state) {
        Vec3 p = points[i++ % points.size()];
        Smooth(field, p, 50.0f, 1.0f, 0.5f);
    }
}
BENCHMARK(BM_TerraformSmooth50)->Unit(benchmark::kMicrosecond);

void BM_TerraformErode20(benchmark::State& state)
{
    Heightfield& field = map4097();
    std::vector<Vec3> points = centres(1024, 40.0f);
    std::srand(100);
    size_t i = 0;
    for (auto _ : state) {
        Vec3 p = points[i++ % points.size()];
        Erode(field, p, 20.0f, 1.0f, 0.8f);
    }
}
BENCHMARK(BM_TerraformErode20)->Unit(benchmark::kMicrosecond);

// A stroke: the brush moves two cells per application (a brisk drag at
// 60 frames per second), each application one or two blending steps.
void BM_TerraformPush20(benchmark::State& state)
{
    Heightfield& field = map4097();
    PushState push;
    Vec3 p = {100.0f, 0.0f, 300.0f};
    float dx = 1.6f, dz = 1.2f;
    for (auto _ : state) {
        p.x += dx;
        p.z += dz;
        if (p.x > 4000.0f || p.x < 100.0f) dx = -dx;
        if (p.z > 4000.0f || p.z < 100.0f) dz = -dz;
        Vec3 q = p;
        Push(field, push, q, 20.0f, 1.0f, 0.75f * 0.5f + 0.25f);
    }
}
BENCHMARK(BM_TerraformPush20)->Unit(benchmark::kMicrosecond);

// A ramp 200 cells long (diagonal) with the default radius 20.
void BM_TerraformRamp200(benchmark::State& state)
{
    Heightfield& field = map4097();
    std::vector<Vec3> points = centres(256, 300.0f);
    size_t i = 0;
    for (auto _ : state) {
        Vec3 a = points[i++ % points.size()];
        a.y = 10.0f;
        Vec3 b = {a.x + 141.4f, 40.0f, a.z + 141.4f};
        Ramp(field, a, b, 20.0f, 0.5f, 0.5f);
    }
}
BENCHMARK(BM_TerraformRamp200)->Unit(benchmark::kMicrosecond);

void BM_TerraformPoint(benchmark::State& state)
{
    Heightfield& field = map4097();
    std::vector<Vec3> points = centres(1024, 2.0f);
    size_t i = 0;
    float amount = 0.05f;
    for (auto _ : state) {
        Vec3 p = points[i++ % points.size()];
        p.x = std::floor(p.x);
        p.z = std::floor(p.z);
        Point(field, p, amount);
        amount = -amount;
    }
}
BENCHMARK(BM_TerraformPoint)->Unit(benchmark::kMicrosecond);

} // namespace
