// Reading and writing a texture layer's tile pictures.
#include "image/image.h"
#include "map/file_transaction.h"
#include "shared/message_box.h"
#include "texturing/texture_layer.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

bool fileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

const char* formatName(LayerFormat format)
{
    switch (format) {
    case LayerFormat::Colour:
        return "colour map";
    case LayerFormat::Mask:
        return "detail mask";
    case LayerFormat::Lightmap:
        return "lightmap";
    case LayerFormat::Any:
        break;
    }
    return "texture layer";
}

// The pixel size a layer of this format keeps for a picture of `bytes`
// bytes per pixel (8 bits per channel after the reader), or 0 when it
// cannot take it. wanted is the size earlier tiles fixed, 0 for the first.
int acceptedBytes(LayerFormat format, int bytes, int wanted)
{
    if (wanted) {
        // Later tiles follow the first; a mask never takes anything but
        // four weights (a guessed fourth weight would repaint the ground).
        if (format == LayerFormat::Mask) return bytes == 4 ? 4 : 0;
        return wanted;
    }
    switch (format) {
    case LayerFormat::Colour:
        return 3;
    case LayerFormat::Mask:
        return bytes == 4 ? 4 : 0;
    case LayerFormat::Lightmap:
        return bytes == 1 || bytes == 2 ? 1 : 3;
    case LayerFormat::Any:
        return bytes == 1 || bytes == 2 ? 1 : bytes == 3 || bytes == 6 ? 3 : 4;
    }
    return 0;
}

// Channel c of a source pixel as an 8-bit value; 16-bit samples (2, 6 and
// 8 bytes per pixel, little-endian) keep their high byte.
inline uint8_t channel(const uint8_t* pixel, int bytes, int c)
{
    switch (bytes) {
    case 1:
        return pixel[0];
    case 2:
        return pixel[1];
    case 3:
        return pixel[c];
    case 4:
        return pixel[c];
    case 6:
        return pixel[2 * c + 1];
    case 8:
        return pixel[2 * c + 1];
    }
    return 0;
}

inline int channelsOf(int bytes)
{
    return bytes == 1 || bytes == 2 ? 1 : bytes == 3 || bytes == 6 ? 3 : 4;
}

// Converts count pixels between layouts: grey spreads to every colour
// channel, colour becomes grey by luminance, a missing alpha is opaque.
void convertPixels(const uint8_t* from, int fromBytes, uint8_t* to, int toBytes, size_t count)
{
    const int channels = channelsOf(fromBytes);
    for (size_t p = 0; p < count; ++p, from += fromBytes, to += toBytes) {
        uint8_t r = channel(from, fromBytes, 0);
        uint8_t g = channels == 1 ? r : channel(from, fromBytes, 1);
        uint8_t b = channels == 1 ? r : channel(from, fromBytes, 2);
        uint8_t a = channels == 4 ? channel(from, fromBytes, 3) : 255;
        if (toBytes == 1) {
            to[0] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
        } else {
            to[0] = r;
            to[1] = g;
            to[2] = b;
            if (toBytes == 4) to[3] = a;
        }
    }
}

} // namespace

bool TextureLayer::readTile(int index, const std::string& path, std::string& problem, bool& converted)
{
    if (!fileExists(path)) return false;
    Image picture;
    char text[256];
    if (!picture.Load(path.c_str()) || !picture.m_data) {
        std::snprintf(text, sizeof text, "%s cannot be read", path.c_str());
        problem = text;
        return false;
    }
    if (picture.m_width != m_tileSize || picture.m_height != m_tileSize || picture.m_compressedFormat != 0) {
        std::snprintf(text, sizeof text, "%s is %d x %d pixels, the map's tiles are %d x %d", path.c_str(),
                      picture.m_width, picture.m_height, m_tileSize, m_tileSize);
        problem = text;
        return false;
    }
    const int bytes = picture.m_bytesPerPixel;
    const int keep = acceptedBytes(m_format, bytes, index == 0 ? 0 : m_bytesPerPixel);
    if (keep == 0 || (bytes != 1 && bytes != 2 && bytes != 3 && bytes != 4 && bytes != 6 && bytes != 8)) {
        std::snprintf(text, sizeof text, "%s has %d bytes per pixel, a %s needs %d", path.c_str(), bytes,
                      formatName(m_format), m_format == LayerFormat::Mask ? 4 : m_bytesPerPixel);
        problem = text;
        return false;
    }
    m_bytesPerPixel = keep;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[tileBytes()]);
    if (bytes == keep) {
        std::memcpy(pixels.get(), picture.m_data, tileBytes());
    } else {
        convertPixels(picture.m_data, bytes, pixels.get(), keep, static_cast<size_t>(m_tileSize) * m_tileSize);
        converted = true;
    }
    m_tiles[static_cast<size_t>(index)] = std::move(pixels);
    return true;
}

bool TextureLayer::load(const char* fileName, int size)
{
    release();
    m_fileName = fileName ? fileName : "";
    if (!layOut(size)) return false;
    m_bytesPerPixel = 0;
    m_tiles.clear();
    m_tiles.resize(static_cast<size_t>(m_tileCount));
    generateTextures();
    std::string problem;
    bool converted = false;
    for (int index = 0; index < m_tileCount; ++index) {
        if (!readTile(index, tileFileName(m_fileName.c_str(), index), problem, converted)) {
            if (!problem.empty()) {
                char text[400];
                std::snprintf(text, sizeof text, "The %s was not loaded: %s. A blank layer is used instead.",
                              formatName(m_format), problem.c_str());
                ShowMessageBox("Map", text, MessageIcon::Warning);
            }
            String name = m_fileName;
            release();
            m_fileName = name;
            return false;
        }
        selectTile(index);
        uploadCurrent();
    }
    if (converted) {
        char text[300];
        std::snprintf(text, sizeof text, "The %s tiles of %s were converted to %d bytes per pixel.",
                      formatName(m_format), m_fileName.c_str(), m_bytesPerPixel);
        ShowMessageBox("Map", text, MessageIcon::Information);
    }
    selectTile(0);
    return true;
}

bool TextureLayer::writeTile(int index, const std::string& path) const
{
    // The picture writer picks its format by extension and would rename a
    // staged temporary name, so it always writes a ".png" name.
    const bool pngName = path.size() >= 4 && path.compare(path.size() - 4, 4, ".png") == 0;
    const std::string written = pngName ? path : path + ".png";
    Image picture;
    picture.Set(const_cast<uint8_t*>(tile(index)), m_tileSize, m_tileSize, m_bytesPerPixel, written.c_str());
    bool ok = picture.Save();
    picture.m_data = nullptr; // lent, not owned
    if (ok && !pngName && std::rename(written.c_str(), path.c_str()) != 0) {
        std::remove(written.c_str());
        ok = false;
    }
    if (!ok && !pngName) std::remove(written.c_str());
    return ok;
}

bool TextureLayer::save(FileTransaction* transaction)
{
    for (int index = 0; index < static_cast<int>(m_tiles.size()); ++index) {
        const std::string target = tileFileName(m_fileName.c_str(), index);
        const std::string path = transaction ? transaction->stage(target) : target;
        if (!writeTile(index, path)) {
            if (transaction) transaction->fail(target);
            return false;
        }
    }
    return true;
}
