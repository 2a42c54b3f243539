// Terrains shared by the benchmarks: flat maps and a deterministic
// diamond-square fractal, built once per process.
#pragma once

#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace bench_terrain {

// Diamond-square heights in [0, scale] for a grid of side n = 2^k + 1.
inline std::vector<float> FractalHeights(int n, float scale, uint32_t seed)
{
    std::vector<float> h(static_cast<size_t>(n) * n, 0.0f);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    auto at = [&](int x, int z) -> float& { return h[static_cast<size_t>(z) * n + x]; };
    float amplitude = 0.5f;
    for (int step = n - 1; step > 1; step /= 2, amplitude *= 0.55f) {
        int half = step / 2;
        for (int z = half; z < n; z += step) {
            for (int x = half; x < n; x += step) {
                float avg = (at(x - half, z - half) + at(x + half, z - half) + at(x - half, z + half) +
                             at(x + half, z + half)) *
                            0.25f;
                at(x, z) = avg + unit(rng) * amplitude;
            }
        }
        for (int z = 0; z < n; z += half) {
            for (int x = (z / half) % 2 == 0 ? half : 0; x < n; x += step) {
                float sum = 0.0f;
                int count = 0;
                if (x >= half) sum += at(x - half, z), ++count;
                if (x + half < n) sum += at(x + half, z), ++count;
                if (z >= half) sum += at(x, z - half), ++count;
                if (z + half < n) sum += at(x, z + half), ++count;
                at(x, z) = sum / count + unit(rng) * amplitude;
            }
        }
    }
    float lo = h[0], hi = h[0];
    for (float v : h)
        lo = std::min(lo, v), hi = std::max(hi, v);
    for (float& v : h)
        v = (v - lo) / (hi - lo) * scale;
    return h;
}

// A map of side n, flat or fractal; each kind is built once and shared.
inline Heightfield& SharedMap(int n, bool fractal)
{
    static std::map<std::pair<int, bool>, std::unique_ptr<Heightfield>> maps;
    auto& slot = maps[{n, fractal}];
    if (!slot) {
        slot = std::make_unique<Heightfield>();
        NewMapParameters params;
        params.size = n;
        params.divisions = n >= 257 ? 2 : 0;
        slot->Create(params);
        if (fractal) {
            std::vector<float> h = FractalHeights(n, slot->heightScale, 1234);
            for (int z = 0; z < n; ++z) {
                for (int x = 0; x < n; ++x)
                    slot->setHeight(x, z, h[static_cast<size_t>(z) * n + x]);
            }
            slot->UpdateRegion(0, 0, n - 1, n - 1);
            slot->UpdateErrors(0, 0, n - 1, n - 1);
        }
    }
    return *slot;
}

} // namespace bench_terrain
