#include "shared/fast_math.h"

#include <benchmark/benchmark.h>

static void BM_FastInvSqrt(benchmark::State& state)
{
    float x = 2.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(x = FastInvSqrt(x) + 2.0f);
    }
}
BENCHMARK(BM_FastInvSqrt);
