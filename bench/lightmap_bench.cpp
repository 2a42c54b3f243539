// Lightmap generation and undo recording at editor scale: a 1025 map with a
// 1024 lightmap (4 x 4 tiles of 256), the fractal terrain or Mount Fuji's
// 513 heights upsampled, and a brush stroke's undo entry on a 4097 map.
#include "bench_terrain.h"
#include "texturing/lightmap.h"
#include "tools/grid_rect.h"
#include "tools/undo_stack.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Mount Fuji's 513 heights (metres) bilinearly upsampled to 1025 samples;
// with 62.4 m per source sample, one editor unit is 31.2 m.
Heightfield& FujiMap()
{
    static std::unique_ptr<Heightfield> field;
    if (field) return *field;
    std::vector<float> metres(513 * 513);
    FILE* file = std::fopen(GLEBORA_SHARED_DATA "/fuji_513_f32.raw", "rb");
    if (!file || std::fread(metres.data(), sizeof(float), metres.size(), file) != metres.size()) {
        if (file) std::fclose(file);
        return bench_terrain::SharedMap(1025, true);
    }
    std::fclose(file);
    field = std::make_unique<Heightfield>();
    NewMapParameters params;
    params.size = 1025;
    params.divisions = 2;
    field->Create(params);
    field->heightScale = 130.0f;
    auto at = [&](int x, int z) { return metres[static_cast<size_t>(z) * 513 + x] / 31.2f; };
    for (int z = 0; z < 1025; ++z) {
        for (int x = 0; x < 1025; ++x) {
            const int x0 = x / 2, z0 = z / 2, x1 = std::min(x0 + (x & 1), 512), z1 = std::min(z0 + (z & 1), 512);
            field->setHeight(x, z, 0.25f * (at(x0, z0) + at(x1, z0) + at(x0, z1) + at(x1, z1)));
        }
    }
    field->UpdateRegion(0, 0, 1024, 1024);
    field->UpdateErrors(0, 0, 1024, 1024);
    return *field;
}

Lightmap& PrepareLightmap(Heightfield& field)
{
    Lightmap& lightmap = field.layers().lightmap;
    if (lightmap.layerSize() != 1021) lightmap.ResetFlat(1024, 1);
    return lightmap;
}

Heightfield& MapFor(int terrain)
{
    return terrain == 0 ? bench_terrain::SharedMap(1025, true) : FujiMap();
}

// Args: terrain (0 fractal, 1 Fuji), shadows (0, 1).
void BM_LightmapGenerateAll(benchmark::State& state)
{
    Lightmap& lightmap = PrepareLightmap(MapFor(static_cast<int>(state.range(0))));
    const bool shadows = state.range(1) != 0;
    for (auto _ : state)
        lightmap.GenerateAll(shadows);
    state.SetItemsProcessed(state.iterations() * 1021 * 1021);
}
BENCHMARK(BM_LightmapGenerateAll)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// A 60 x 60 region at changing places, as a brush stroke relights.
void BM_LightmapUpdateRegion60(benchmark::State& state)
{
    Lightmap& lightmap = PrepareLightmap(MapFor(static_cast<int>(state.range(0))));
    const bool shadows = state.range(1) != 0;
    int step = 0;
    for (auto _ : state) {
        const int x = 100 + (step * 37) % 800, z = 100 + (step * 53) % 800;
        lightmap.UpdateRegion({x, z, x + 60, z + 60}, shadows);
        ++step;
    }
}
BENCHMARK(BM_LightmapUpdateRegion60)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// One growth step of a raise stroke's undo entry on a 4097 map (lightmap
// 2048): the brush (radius 20) moves 3 cells per frame; every 400 steps a
// new stroke begins. Arg 0: a wandering stroke; 1: straight along the
// diagonal, whose bounding rectangle grows fastest.
void BM_UndoStrokeGrowth(benchmark::State& state)
{
    Heightfield& field = bench_terrain::SharedMap(4097, true);
    Lightmap& lightmap = field.layers().lightmap;
    if (lightmap.layerSize() < 2000) lightmap.ResetFlat(2048, 1);
    UndoStack undo;
    undo.setHeightfield(&field);
    const bool diagonal = state.range(0) != 0;
    int step = 0;
    for (auto _ : state) {
        const int i = step % 400;
        const int stroke = step / 400;
        const float t = static_cast<float>(i) * 3.0f;
        const Vec3 p = diagonal ? Vec3{100.0f + (stroke % 3) * 50.0f + t * 0.7071f, 0.0f, 100.0f + t * 0.7071f}
                                : Vec3{500.0f + (stroke % 8) * 400.0f + t * 0.8f, 0.0f,
                                       600.0f + (stroke % 5) * 600.0f + 150.0f * std::sin(t * 0.01f)};
        undo.recordTerrain("raise", clampRect(brushRect(p, 20.0f), 4096, 0), i == 0);
        ++step;
    }
}
BENCHMARK(BM_UndoStrokeGrowth)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
