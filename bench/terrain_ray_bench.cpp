// Shadow-ray queries as the lightmap casts them: from just above a terrain
// point, 40 units toward the light, over a 1025 fractal terrain.
#include "bench_terrain.h"
#include "terrain/terrain_ray.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct Segment {
    Vec3 start;
    Vec3 end;
};

std::vector<Segment> shadowSegments(const Heightfield& field, bool defaultLight)
{
    std::mt19937 rng(31);
    std::uniform_real_distribution<float> coord(0.0f, static_cast<float>(field.size() - 1));
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> up(0.1f, 1.0f);
    std::vector<Segment> segments(1 << 16);
    for (Segment& s : segments) {
        float x = coord(rng), z = coord(rng);
        s.start = {x, field.GetHeight(x, z) + 0.002f, z};
        Vec3 light = defaultLight ? Vec3{0.0f, 0.4472136f, 0.8944272f} : Normalize({unit(rng), up(rng), unit(rng)});
        s.end = s.start + 40.0f * light;
    }
    return segments;
}

void BM_TerrainRayFirstHit(benchmark::State& state)
{
    Heightfield& field = bench_terrain::SharedMap(1025, true);
    std::vector<Segment> segments = shadowSegments(field, state.range(0) == 0);
    TerrainRay ray(field);
    size_t i = 0;
    int64_t hits = 0;
    for (auto _ : state) {
        const Segment& s = segments[i++ & (segments.size() - 1)];
        ray.SetSegment(s.start, s.end);
        hits += ray.FirstHit();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["hit_fraction"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
// 0: the default light direction (0, 0.447, 0.894); 1: random directions
// above the horizon.
BENCHMARK(BM_TerrainRayFirstHit)->Arg(0)->Arg(1);

} // namespace
