// New, Save and Load of a 4097 map with divisions 2 and 4096-texel colour,
// detail and light layers (four details), as the user meets them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "map/map_document.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"

namespace fs = std::filesystem;

namespace {

long peakKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void resetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

NewMapParameters bigMap()
{
    NewMapParameters params;
    params.size = 4097;
    params.divisions = 2;
    params.colorMapSize = params.detailMapSize = params.lightMapSize = 4096;
    params.detailCount = 4;
    return params;
}

fs::path benchFolder()
{
    fs::path folder = fs::temp_directory_path() / "glebora-bench-map";
    fs::create_directories(folder);
    return folder;
}

// Gives the heights some relief so the PNG encoder has real work.
void roughen(Heightfield& field)
{
    int n = field.size();
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            field.setHeight(x, z, 20.0f + 10.0f * static_cast<float>(((x * 7919) ^ (z * 104729)) & 1023) / 1023.0f);
}

void BM_MapNew4097(benchmark::State& state)
{
    LightAndFog lighting;
    WaterSettings water;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<MapDocument>(lighting, &water);
        resetPeak();
        long before = peakKiB();
        state.ResumeTiming();
        document->NewMap(bigMap());
        state.PauseTiming();
        peak = static_cast<double>(peakKiB() - before) / 1024.0;
        document.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_MapNew4097)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MapSave4097(benchmark::State& state)
{
    LightAndFog lighting;
    WaterSettings water;
    MapDocument document(lighting, &water);
    document.NewMap(bigMap());
    roughen(document.heightfield());
    std::string path = (benchFolder() / "big.map").string();
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        long before = peakKiB();
        if (!document.Save(path.c_str())) state.SkipWithError("save failed");
        peak = static_cast<double>(peakKiB() - before) / 1024.0;
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_MapSave4097)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MapLoad4097(benchmark::State& state)
{
    std::string path = (benchFolder() / "big.map").string();
    LightAndFog lighting;
    WaterSettings water;
    if (!fs::exists(path)) {
        MapDocument document(lighting, &water);
        document.NewMap(bigMap());
        roughen(document.heightfield());
        document.Save(path.c_str());
    }
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<MapDocument>(lighting, &water);
        resetPeak();
        long before = peakKiB();
        state.ResumeTiming();
        if (!document->Load(path.c_str())) state.SkipWithError("load failed");
        state.PauseTiming();
        peak = static_cast<double>(peakKiB() - before) / 1024.0;
        document.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peak;
}
BENCHMARK(BM_MapLoad4097)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
