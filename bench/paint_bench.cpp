// Paint tools on a 4097 map with 4096-pixel layers in 4 x 4 tiles, the
// largest map the editor makes. Uploads go to the null uploader, so the
// figures are the painters' own work.
#include "bench_terrain.h"

#include "texturing/texture_layers.h"
#include "tools/brush.h"
#include "tools/paint.h"

#include <benchmark/benchmark.h>

namespace {

TextureLayers& SharedLayers()
{
    static TextureLayers* layers = [] {
        auto* made = new TextureLayers;
        made->setGrid(4097, 2);
        made->createForNewMap({4096, 4096, 512, 8, false});
        initNoise(1);
        return made;
    }();
    return *layers;
}

// Brush points that wander over the map and cross tile borders (1024 cells).
Vec3 PointFor(int step)
{
    return {1004.0f + static_cast<float>(step % 41) * 1.3f, 0.0f, 2030.0f + static_cast<float>(step % 29) * 1.7f};
}

BrushSettings Settings(const benchmark::State& state)
{
    BrushSettings settings;
    settings.radius = 20.0f;
    settings.softness = 0.8f;
    settings.noise = 0.3f;
    if (state.range(0)) {
        // Both constraints on: every pixel samples height and slope.
        settings.heightEnabled = true;
        settings.height = 30.0f;
        settings.heightRange = 40.0f;
        settings.slopeEnabled = true;
        settings.slopeButtons[0] = settings.slopeButtons[1] = true;
    }
    return settings;
}

void BM_PaintDetail8(benchmark::State& state)
{
    Heightfield& field = bench_terrain::SharedMap(4097, true);
    TextureLayers& layers = SharedLayers();
    BrushSettings settings = Settings(state);
    int step = 0;
    for (auto _ : state) {
        PaintDetail8(layers, field, step % 8, PointFor(step), 0.2f, 1.0f, settings);
        ++step;
    }
}
BENCHMARK(BM_PaintDetail8)->Arg(0)->Arg(1)->ArgName("constrained")->Unit(benchmark::kMicrosecond);

void BM_PaintColour(benchmark::State& state)
{
    Heightfield& field = bench_terrain::SharedMap(4097, true);
    TextureLayers& layers = SharedLayers();
    BrushSettings settings = Settings(state);
    const float colours[2][4] = {{0.8f, 0.3f, 0.1f, 1.0f}, {0.1f, 0.5f, 0.9f, 1.0f}};
    int step = 0;
    for (auto _ : state) {
        PaintColour(layers, field, colours[step & 1], PointFor(step), 0.2f, settings);
        ++step;
    }
}
BENCHMARK(BM_PaintColour)->Arg(0)->Arg(1)->ArgName("constrained")->Unit(benchmark::kMicrosecond);

} // namespace
