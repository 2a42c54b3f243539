// Heights from pictures: creating a map from a picture, loading the map's
// own heightmap and importing any picture over an existing grid.
#include "terrain/heightfield.h"

#include "image/image.h"
#include "shared/progress_bar.h"

#include <cmath>
#include <vector>

bool Heightfield::checkPicture(const Image& picture, String* error)
{
    if (!picture.m_data || picture.m_width <= 0 || picture.m_height <= 0) {
        if (error) *error = "The heightmap picture holds no pixels.";
        return false;
    }
    if (picture.m_compressedFormat != 0) {
        if (error) *error = "A compressed picture cannot be used as a heightmap.";
        return false;
    }
    int bits = const_cast<Image&>(picture).GetBitDepthPerChannel();
    if ((bits != 8 && bits != 16) || bits / 8 > picture.m_bytesPerPixel) {
        if (error) error->format("A heightmap picture needs 8 or 16 bits per channel, not %d.", bits);
        return false;
    }
    return true;
}

// Nearest pixel, mapping the picture's corners onto the map's corners, so a
// 513 picture on a 257 map takes exactly every other pixel and a picture of
// the map's own size maps one to one.
void Heightfield::fillFromPicture(const Image& picture)
{
    int n = m_size;
    int bytesPerSample = const_cast<Image&>(picture).GetBitDepthPerChannel() / 8;
    float scale = bytesPerSample == 2 ? heightScale / 65535.0f : heightScale / 255.0f;
    size_t pixelBytes = static_cast<size_t>(picture.m_bytesPerPixel);
    size_t rowBytes = pixelBytes * static_cast<size_t>(picture.m_width);

    auto nearest = [n](int i, int pictureSide) {
        int64_t span = n - 1;
        return static_cast<int>((static_cast<int64_t>(i) * (pictureSide - 1) + span / 2) / span);
    };
    std::vector<size_t> columnOffset(static_cast<size_t>(n));
    for (int x = 0; x < n; ++x)
        columnOffset[x] = static_cast<size_t>(nearest(x, picture.m_width)) * pixelBytes;

    const unsigned char* data = picture.m_data;
    for (int z = 0; z < n; ++z) {
        const unsigned char* row = data + static_cast<size_t>(nearest(z, picture.m_height)) * rowBytes;
        float* heights = m_heights.get() + static_cast<size_t>(z) * n;
        Vec3* vertices = m_vertices.get() + static_cast<size_t>(z) * n;
        for (int x = 0; x < n; ++x) {
            const unsigned char* p = row + columnOffset[x];
            // 16-bit samples are little-endian in memory.
            unsigned value = bytesPerSample == 2 ? p[0] | (p[1] << 8) : p[0];
            float h = static_cast<float>(value) * scale;
            heights[x] = h;
            vertices[x] = {static_cast<float>(x), h, static_cast<float>(z)};
        }
    }
}

bool Heightfield::LoadHeightmap(const char* mapName, String* error)
{
    if (!mapName) {
        if (error) *error = "No map name was given for the heightmap.";
        return false;
    }
    String path(mapName);
    path += ".png";

    ProgressBar_Create();
    freeArrays();
    // A default image cuts 16-bit samples to 8 bits; a reopened map would
    // then be terraced into 256 levels.
    Image picture;
    picture.Force8BitDepth(false);
    bool ok = picture.Load(path.c_str());
    if (!ok) {
        if (error) error->format("The heightmap picture \"%s\" cannot be read.", path.c_str());
    } else if (picture.m_width != picture.m_height) {
        if (error) {
            error->format("The heightmap picture \"%s\" is %d x %d; a heightmap must be square.", path.c_str(),
                          picture.m_width, picture.m_height);
        }
        ok = false;
    } else if (picture.m_width < kMinMapSize || picture.m_width > kMaxMapSize ||
               ((picture.m_width - 1) & (picture.m_width - 2)) != 0) {
        if (error) {
            error->format("The heightmap picture \"%s\" is %d pixels wide; a map side must be 65, 129, 257, 513, "
                          "1025, 2049 or 4097.",
                          path.c_str(), picture.m_width);
        }
        ok = false;
    } else {
        ok = checkPicture(picture, error);
    }
    if (!ok) {
        ProgressBar_Destroy();
        return false;
    }

    // Values read from the map file that would divide by zero or break the
    // patch grid fall back to the defaults.
    if (!(heightScale > 0.0f) || !std::isfinite(heightScale)) heightScale = kDefaultHeightScale;
    if (divisions < 0 || divisions > kMaxDivisions) divisions = 0;

    int n = picture.m_width;
    setGridSizes(n);
    if (!allocate(n, error)) {
        ProgressBar_Destroy();
        return false;
    }
    fillFromPicture(picture);
    ProgressBar_Set(10.0f);
    finishBuild();
    ProgressBar_Set(30.0f);
    m_layers.setGrid(n, divisions);
    m_layers.loadForMap(mapName);
    ProgressBar_Set(100.0f);
    ProgressBar_Destroy();
    return true;
}

bool Heightfield::SetHeightsFromPicture(const Image& picture, String* error)
{
    if (m_size == 0) {
        if (error) *error = "There is no terrain to take the heights.";
        return false;
    }
    if (!checkPicture(picture, error)) return false;
    fillFromPicture(picture);
    int last = m_size - 1;
    UpdateRegion(0, 0, last, last);
    UpdateErrors(0, 0, last, last, m_levels);
    return true;
}

bool Heightfield::ImportHeightmap(const char* path, String* error)
{
    if (!path) {
        if (error) *error = "No picture was given to import.";
        return false;
    }
    Image picture;
    picture.Force8BitDepth(false);
    if (!picture.Load(path)) {
        if (error) error->format("The picture \"%s\" cannot be read.", path);
        return false;
    }
    return SetHeightsFromPicture(picture, error);
}
