// PNG speed on a full-size heightmap: 4097 x 4097 16-bit grey, written at
// compression level 1 and read back at full depth.
//
// The picture is the 513 Mount Fuji heightmap enlarged bilinearly to 4097
// with a little deterministic noise (a few units of 65535), so it
// compresses like a real sculpted map rather than like a smooth ramp.
#include "image/image.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSide = 4097;

std::string TempPng(const char* name)
{
    return "/tmp/glebora_bench_" + std::to_string(getpid()) + "_" + name;
}

unsigned char* MakeHeights()
{
    Image source;
    source.Force8BitDepth(false);
    std::string path = std::string(GLEBORA_SHARED_DATA) + "/fuji_513_h16.png";
    if (!source.Load(path.c_str()) || source.m_bytesPerPixel != 2 || source.m_width != 513) return nullptr;
    auto sample = [&](int x, int y) {
        const unsigned char* p = source.m_data + (size_t(y) * 513 + x) * 2;
        return float(p[0] | p[1] << 8);
    };
    auto* heights = new unsigned char[size_t(kSide) * kSide * 2];
    uint32_t state = 12345;
    for (int y = 0; y < kSide; ++y) {
        float fy = y / 8.0f;
        int y0 = int(fy) < 512 ? int(fy) : 511;
        float ty = fy - y0;
        for (int x = 0; x < kSide; ++x) {
            float fx = x / 8.0f;
            int x0 = int(fx) < 512 ? int(fx) : 511;
            float tx = fx - x0;
            float top = sample(x0, y0) * (1 - tx) + sample(x0 + 1, y0) * tx;
            float bottom = sample(x0, y0 + 1) * (1 - tx) + sample(x0 + 1, y0 + 1) * tx;
            state = state * 1664525u + 1013904223u;
            float value = top * (1 - ty) + bottom * ty + float(int(state >> 28) - 8);
            uint32_t h = value < 0 ? 0 : value > 65535 ? 65535 : uint32_t(value);
            heights[(size_t(y) * kSide + x) * 2] = static_cast<unsigned char>(h);
            heights[(size_t(y) * kSide + x) * 2 + 1] = static_cast<unsigned char>(h >> 8);
        }
    }
    return heights;
}

Image& Heightmap()
{
    static Image image(MakeHeights(), kSide, kSide, 2);
    return image;
}

void BM_PngWriteGrey16_4097(benchmark::State& state)
{
    Image& image = Heightmap();
    if (!image.m_data) {
        state.SkipWithError("fuji_513_h16.png could not be read");
        return;
    }
    std::string path = TempPng("write.png");
    image.Set(image.m_data, kSide, kSide, 2, path.c_str());
    for (auto _ : state) {
        if (!image.Save()) state.SkipWithError("save failed");
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) {
        std::fseek(file, 0, SEEK_END);
        state.counters["file_MB"] = double(std::ftell(file)) / 1e6;
        std::fclose(file);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_PngWriteGrey16_4097)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PngReadGrey16_4097(benchmark::State& state)
{
    Image& image = Heightmap();
    if (!image.m_data) {
        state.SkipWithError("fuji_513_h16.png could not be read");
        return;
    }
    std::string path = TempPng("read.png");
    image.Set(image.m_data, kSide, kSide, 2, path.c_str());
    if (!image.Save()) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        Image read;
        read.Force8BitDepth(false);
        if (!read.Load(path.c_str()) || read.m_bytesPerPixel != 2) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(read.m_data);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_PngReadGrey16_4097)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
