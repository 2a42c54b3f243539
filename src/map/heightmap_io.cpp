#include "map/heightmap_io.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "image/image.h"
#include "map/map_paths.h"
#include "terrain/heightfield.h"

namespace {

// Quantises to 0..maxValue; NaN becomes 0.
unsigned quantise(float height, float step, unsigned maxValue)
{
    float value = height / step;
    if (!(value > 0.0f)) return 0;
    if (value >= static_cast<float>(maxValue)) return maxValue;
    return static_cast<unsigned>(value);
}

bool writePicture(const Heightfield& heightfield, const char* path, int bytesPerSample)
{
    int n = heightfield.size();
    if (n <= 0) return false;
    const float* heights = heightfield.heights();
    size_t count = static_cast<size_t>(n) * static_cast<size_t>(n);
    auto* pixels = new unsigned char[count * static_cast<size_t>(bytesPerSample)];
    if (bytesPerSample == 2) {
        float step = heightfield.heightScale / 65536.0f;
        for (size_t i = 0; i < count; ++i) {
            unsigned value = quantise(heights[i], step, 65535);
            pixels[2 * i] = static_cast<unsigned char>(value & 0xFF);
            pixels[2 * i + 1] = static_cast<unsigned char>(value >> 8);
        }
    } else {
        float step = heightfield.heightScale / 256.0f;
        for (size_t i = 0; i < count; ++i) pixels[i] = static_cast<unsigned char>(quantise(heights[i], step, 255));
    }
    Image picture(pixels, n, n, bytesPerSample, path);
    return picture.Save();
}


}  // namespace

bool WriteHeightmapPicture16(const Heightfield& heightfield, const char* path)
{
    return writePicture(heightfield, path, 2);
}

bool WriteHeightmapPicture8(const Heightfield& heightfield, const char* path)
{
    return writePicture(heightfield, path, 1);
}

bool WriteObj(const Heightfield& heightfield, const char* path, String* error)
{
    int n = heightfield.size();
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        if (error) error->format("Could not open %s for writing.", path);
        return false;
    }
    // A large buffer: a 4097 map is 16.8 million vertex lines.
    std::unique_ptr<char[]> buffer(new char[1 << 20]);
    std::setvbuf(file, buffer.get(), _IOFBF, 1 << 20);
    std::fputs("#terrain\n\n g terrain\n", file);
    const float* heights = heightfield.heights();
    for (int z = 0; z < n; ++z)
        for (int x = 0; x < n; ++x)
            std::fprintf(file, "v %.4f %.4f %.4f\n", double(x), double(heights[static_cast<size_t>(z) * n + x]),
                         double(z));
    for (int z = 0; z < n - 1; ++z) {
        for (int x = 0; x < n - 1; ++x) {
            long a = static_cast<long>(n) * z + x + 1;
            long b = a + 1;
            long c = a + n;
            long d = c + 1;
            std::fprintf(file, "f %ld %ld %ld\n", a, c, b);
            std::fprintf(file, "f %ld %ld %ld\n", b, c, d);
        }
    }
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    ok = std::fclose(file) == 0 && ok;
    if (!ok && error) error->format("Could not write %s (disk full?).", path);
    return ok;
}

bool ExportHeightmap(const Heightfield& heightfield, const char* path, String* error)
{
    const char* extension = FileExtension(path);
    if (!extension) {
        if (error) error->format("%s has no extension; use .png, .tga or .obj.", path);
        return false;
    }
    bool written;
    if (HasExtension(path, ".png")) {
        written = WriteHeightmapPicture16(heightfield, path);
    } else if (HasExtension(path, ".obj")) {
        return WriteObj(heightfield, path, error);
    } else if (HasExtension(path, ".tga")) {
        written = WriteHeightmapPicture8(heightfield, path);
    } else {
        if (error) error->format("Heightmaps cannot be written as %s pictures; use .png, .tga or .obj.", extension);
        return false;
    }
    if (!written && error) error->format("Could not write %s.", path);
    return written;
}
