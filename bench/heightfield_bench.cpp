#include "bench_terrain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace {

// Resident and peak resident memory of this process in KiB, from
// /proc/self/status.
long statusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0) return std::stol(line.substr(keyLength + 1));
    }
    return -1;
}

// Writing 5 to clear_refs resets the peak (VmHWM) to the current size, so
// the peak of one Create can be measured inside a longer process.
void resetPeak()
{
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

void BM_HeightfieldCreateFlat4097(benchmark::State& state)
{
    double peakMiB = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto field = std::make_unique<Heightfield>();
        resetPeak();
        long before = statusKiB("VmRSS:");
        NewMapParameters params;
        params.size = 4097;
        params.divisions = 2;
        state.ResumeTiming();
        bool ok = field->Create(params);
        state.PauseTiming();
        if (!ok) state.SkipWithError("Create failed");
        peakMiB = std::max(peakMiB, (statusKiB("VmHWM:") - before) / 1024.0);
        field.reset();
        state.ResumeTiming();
    }
    state.counters["peak_MiB"] = peakMiB;
}
BENCHMARK(BM_HeightfieldCreateFlat4097)->Unit(benchmark::kMillisecond)->Iterations(3);

// The refresh after one radius-20 brush application: the 41 x 41 rectangle
// inflated by one, at random places so the caches are not kept warm.
void BM_HeightfieldRefreshBrushRect4097(benchmark::State& state)
{
    Heightfield& field = bench_terrain::SharedMap(4097, true);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> corner(1, 4096 - 42);
    for (auto _ : state) {
        int x = corner(rng);
        int z = corner(rng);
        field.UpdateRegion(x - 1, z - 1, x + 41, z + 41);
        field.UpdateErrors(x - 1, z - 1, x + 41, z + 41);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HeightfieldRefreshBrushRect4097)->Unit(benchmark::kMicrosecond);

void BM_HeightfieldGetHeightRandom(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Heightfield& field = bench_terrain::SharedMap(n, true);
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> coord(0.0f, static_cast<float>(n - 1));
    const size_t count = 1 << 20;
    std::vector<float> xs(count), zs(count);
    for (size_t i = 0; i < count; ++i)
        xs[i] = coord(rng), zs[i] = coord(rng);
    for (auto _ : state) {
        float sum = 0.0f;
        for (size_t i = 0; i < count; ++i)
            sum += field.GetHeight(xs[i], zs[i]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * count);
}
BENCHMARK(BM_HeightfieldGetHeightRandom)->Arg(1025)->Arg(4097)->Unit(benchmark::kMillisecond);

// Samples as tools and the camera take them: random points within a
// 100-cell window that wanders over a 4097 map (every 4096 samples it
// jumps to a new place).
void BM_HeightfieldGetHeightLocal4097(benchmark::State& state)
{
    Heightfield& field = bench_terrain::SharedMap(4097, true);
    std::mt19937 rng(10);
    std::uniform_real_distribution<float> centre(50.0f, 4046.0f);
    std::uniform_real_distribution<float> offset(-50.0f, 50.0f);
    const size_t count = 1 << 20;
    std::vector<float> xs(count), zs(count);
    float cx = 0.0f, cz = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        if (i % 4096 == 0) cx = centre(rng), cz = centre(rng);
        xs[i] = cx + offset(rng);
        zs[i] = cz + offset(rng);
    }
    for (auto _ : state) {
        float sum = 0.0f;
        for (size_t i = 0; i < count; ++i)
            sum += field.GetHeight(xs[i], zs[i]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * count);
}
BENCHMARK(BM_HeightfieldGetHeightLocal4097)->Unit(benchmark::kMillisecond);

} // namespace
