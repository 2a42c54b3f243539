#include "texturing/texture_layer.h"

#include "tools/grid_rect.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

bool isEmpty(const GridRect& rect)
{
    return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}

} // namespace

TextureLayer::TextureLayer(LayerFormat format) : m_format(format) {}

TextureLayer::~TextureLayer()
{
    deleteTextures();
}

void TextureLayer::setGrid(int samples, int divisions)
{
    m_samples = std::max(0, samples);
    m_divisions = std::clamp(divisions, 0, 2);
}

void TextureLayer::release()
{
    deleteTextures();
    m_tiles.clear();
    m_currentPixels = nullptr;
    m_currentTexture = 0;
    m_currentTile = 0;
    m_tileCount = 0;
    m_layerSize = 0;
    m_fileName = "";
}

bool TextureLayer::layOut(int size)
{
    int perSide = 1 << m_divisions;
    if (size < 2 * perSide || size > kMaxLayerSize) return false;
    m_tilesPerSide = perSide;
    m_tileSize = size / perSide;
    m_layerSize = perSide * (m_tileSize - 1) + 1;
    m_tileCount = perSide * perSide;
    return true;
}

void TextureLayer::allocateTiles(uint8_t fillByte)
{
    m_tiles.clear();
    m_tiles.reserve(static_cast<size_t>(m_tileCount));
    for (int index = 0; index < m_tileCount; ++index) {
        m_tiles.emplace_back(new uint8_t[tileBytes()]);
        std::memset(m_tiles.back().get(), fillByte, tileBytes());
    }
    selectTile(0);
}

void TextureLayer::generateTextures()
{
    TextureUploader& uploader = GetTextureUploader();
    m_textures.assign(static_cast<size_t>(m_tileCount), 0);
    for (TextureName& name : m_textures)
        name = uploader.createTexture();
    m_currentTexture = m_textures.empty() ? 0 : m_textures[static_cast<size_t>(m_currentTile)];
}

void TextureLayer::deleteTextures()
{
    TextureUploader& uploader = GetTextureUploader();
    for (TextureName name : m_textures)
        uploader.deleteTexture(name);
    m_textures.clear();
    m_currentTexture = 0;
}

void TextureLayer::create(int size, int bytesPerPixel)
{
    release();
    if (!layOut(size)) {
        // Callers validate sizes; a bad one still gets a usable layer.
        layOut(512);
    }
    m_bytesPerPixel = bytesPerPixel;
    allocateTiles(255);
    generateTextures();
    for (int index = 0; index < m_tileCount; ++index)
        uploadTile(index);
}

void TextureLayer::split(const uint8_t* whole)
{
    if (!whole || m_tiles.empty()) return;
    const size_t rowBytes = static_cast<size_t>(m_tileSize) * m_bytesPerPixel;
    if (m_tileCount == 1) {
        if (whole != m_tiles[0].get()) std::memcpy(m_tiles[0].get(), whole, tileBytes());
        return;
    }
    const int step = m_tileSize - 1;
    for (int i = 0; i < m_tilesPerSide; ++i) {
        for (int j = 0; j < m_tilesPerSide; ++j) {
            uint8_t* target = tile(i * m_tilesPerSide + j);
            for (int v = 0; v < m_tileSize; ++v) {
                size_t source =
                    (static_cast<size_t>(i * step + v) * m_layerSize + static_cast<size_t>(j * step)) * m_bytesPerPixel;
                std::memcpy(target + static_cast<size_t>(v) * rowBytes, whole + source, rowBytes);
            }
        }
    }
}

uint8_t* TextureLayer::assemble()
{
    if (m_tiles.empty()) return nullptr;
    if (m_tileCount == 1) return m_tiles[0].get();
    const size_t pixelBytes = static_cast<size_t>(m_bytesPerPixel);
    uint8_t* whole = new uint8_t[static_cast<size_t>(m_layerSize) * m_layerSize * pixelBytes];
    const int step = m_tileSize - 1;
    // A shared border pixel comes from the tile to the left or above, the
    // same rule the painters use to keep both copies equal.
    for (int i = 0; i < m_tilesPerSide; ++i) {
        for (int j = 0; j < m_tilesPerSide; ++j) {
            const uint8_t* source = tile(i * m_tilesPerSide + j);
            int firstRow = i > 0 ? 1 : 0;
            int firstColumn = j > 0 ? 1 : 0;
            size_t spanBytes = static_cast<size_t>(m_tileSize - firstColumn) * pixelBytes;
            for (int v = firstRow; v < m_tileSize; ++v) {
                size_t to =
                    (static_cast<size_t>(i * step + v) * m_layerSize + static_cast<size_t>(j * step + firstColumn)) *
                    pixelBytes;
                size_t from = (static_cast<size_t>(v) * m_tileSize + static_cast<size_t>(firstColumn)) * pixelBytes;
                std::memcpy(whole + to, source + from, spanBytes);
            }
        }
    }
    return whole;
}

void TextureLayer::releaseAssembled(uint8_t* whole)
{
    if (!whole) return;
    if (!m_tiles.empty() && whole == m_tiles[0].get()) return;
    delete[] whole;
}

void TextureLayer::replaceFrom(const uint8_t* whole)
{
    split(whole);
    rebuildTextures();
}

void TextureLayer::rebuildTextures()
{
    deleteTextures();
    generateTextures();
    for (int index = 0; index < m_tileCount; ++index)
        uploadTile(index);
}

void TextureLayer::selectTile(int index)
{
    if (index < 0 || index >= m_tileCount) return;
    m_currentTile = index;
    m_currentPixels = m_tiles.empty() ? nullptr : m_tiles[static_cast<size_t>(index)].get();
    m_currentTexture = m_textures.empty() ? 0 : m_textures[static_cast<size_t>(index)];
}

void TextureLayer::bindTile(int index)
{
    selectTile(index);
    GetTextureUploader().bindTexture(m_currentTexture);
}

void TextureLayer::uploadCurrent()
{
    if (!m_currentPixels) return;
    GetTextureUploader().uploadTile(m_currentTexture, m_currentPixels, m_tileSize, m_bytesPerPixel);
}

void TextureLayer::fill(uint32_t value)
{
    uint8_t pixel[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    const int bytes = std::min(m_bytesPerPixel, 4);
    const size_t pixels = static_cast<size_t>(m_tileSize) * m_tileSize;
    for (int index = 0; index < m_tileCount; ++index) {
        uint8_t* out = tile(index);
        if (bytes == 4) {
            for (size_t p = 0; p < pixels; ++p)
                std::memcpy(out + p * 4, pixel, 4);
        } else {
            for (size_t p = 0; p < pixels; ++p)
                std::memcpy(out + p * static_cast<size_t>(bytes), pixel, static_cast<size_t>(bytes));
        }
        uploadTile(index);
    }
}

bool TextureLayer::colourAt(float x, float z, float rgba[4]) const
{
    const int n = m_samples;
    if (m_tiles.empty() || n < 2) return false;
    const float last = static_cast<float>(n - 1);
    if (!(x >= 0.0f && x <= last && z >= 0.0f && z <= last)) return false;
    const int patch = std::max(1, (n - 1) >> m_divisions);
    // At x or z = N - 1 the patch index is one past the last tile; such
    // points read the last tile's edge pixel.
    const int column = std::min(static_cast<int>(x) / patch, m_tilesPerSide - 1);
    const int row = std::min(static_cast<int>(z) / patch, m_tilesPerSide - 1);
    const float perCell = static_cast<float>(m_tileSize) / static_cast<float>(patch);
    int u = static_cast<int>((x - static_cast<float>(patch * column)) * perCell);
    int v = static_cast<int>((z - static_cast<float>(patch * row)) * perCell);
    u = std::clamp(u, 0, m_tileSize - 1);
    v = std::clamp(v, 0, m_tileSize - 1);
    const uint8_t* pixel = tile(row * m_tilesPerSide + column) +
                           (static_cast<size_t>(v) * m_tileSize + static_cast<size_t>(u)) * m_bytesPerPixel;
    constexpr float kByteToUnit = 0.003921569f;
    if (m_bytesPerPixel >= 3) {
        rgba[0] = pixel[0] * kByteToUnit;
        rgba[1] = pixel[1] * kByteToUnit;
        rgba[2] = pixel[2] * kByteToUnit;
    } else {
        rgba[0] = rgba[1] = rgba[2] = pixel[0] * kByteToUnit;
    }
    rgba[3] = 1.0f;
    return true;
}

bool TextureLayer::pixelRectOf(const GridRect& rect, PixelRect& pixels) const
{
    const int n = m_samples;
    if (m_tiles.empty() || n <= 0 || isEmpty(rect)) return false;
    auto toPixel = [&](int bound) {
        int64_t clamped = std::clamp(bound, 0, n);
        return static_cast<int>(clamped * m_layerSize / n);
    };
    pixels.left = toPixel(rect.left);
    pixels.top = toPixel(rect.top);
    pixels.right = std::min(toPixel(rect.right), m_layerSize - 1);
    pixels.bottom = std::min(toPixel(rect.bottom), m_layerSize - 1);
    return pixels.left <= pixels.right && pixels.top <= pixels.bottom;
}

template <class Visit> void TextureLayer::forEachTileIn(const PixelRect& pixels, Visit&& visit) const
{
    const int step = m_tileSize - 1;
    for (int i = 0; i < m_tilesPerSide; ++i) {
        for (int j = 0; j < m_tilesPerSide; ++j) {
            PixelRect part{std::max(pixels.left, j * step), std::max(pixels.top, i * step),
                           std::min(pixels.right, j * step + step), std::min(pixels.bottom, i * step + step)};
            if (part.left > part.right || part.top > part.bottom) continue;
            visit(i * m_tilesPerSide + j, part);
        }
    }
}

size_t TextureLayer::bytesIn(const PixelRect& pixels) const
{
    size_t total = 0;
    forEachTileIn(pixels, [&](int, const PixelRect& part) {
        total += static_cast<size_t>(part.right - part.left + 1) * static_cast<size_t>(part.bottom - part.top + 1) *
                 static_cast<size_t>(m_bytesPerPixel);
    });
    return total;
}

size_t TextureLayer::snapshotSize(const GridRect& rect) const
{
    PixelRect pixels;
    return pixelRectOf(rect, pixels) ? bytesIn(pixels) : 0;
}

std::vector<uint8_t> TextureLayer::snapshot(const GridRect& rect) const
{
    std::vector<uint8_t> copy;
    PixelRect pixels;
    if (!pixelRectOf(rect, pixels)) return copy;
    copy.resize(bytesIn(pixels));
    uint8_t* out = copy.data();
    const int step = m_tileSize - 1;
    const size_t pixelBytes = static_cast<size_t>(m_bytesPerPixel);
    forEachTileIn(pixels, [&](int index, const PixelRect& part) {
        const uint8_t* source = tile(index);
        const int x0 = (index % m_tilesPerSide) * step;
        const int y0 = (index / m_tilesPerSide) * step;
        const size_t span = static_cast<size_t>(part.right - part.left + 1) * pixelBytes;
        for (int y = part.top; y <= part.bottom; ++y) {
            std::memcpy(out,
                        source + (static_cast<size_t>(y - y0) * m_tileSize + static_cast<size_t>(part.left - x0)) *
                                     pixelBytes,
                        span);
            out += span;
        }
    });
    return copy;
}

std::vector<uint8_t> TextureLayer::growSnapshot(const GridRect& newRect, const GridRect& oldRect,
                                                std::vector<uint8_t>&& oldCopy) const
{
    std::vector<uint8_t> old = std::move(oldCopy);
    PixelRect oldPixels;
    bool haveOld = pixelRectOf(oldRect, oldPixels) && old.size() == bytesIn(oldPixels);
    GridRect both = newRect;
    if (isEmpty(newRect)) {
        both = oldRect;
    } else if (!isEmpty(oldRect)) {
        both.left = std::min(newRect.left, oldRect.left);
        both.top = std::min(newRect.top, oldRect.top);
        both.right = std::max(newRect.right, oldRect.right);
        both.bottom = std::max(newRect.bottom, oldRect.bottom);
    }
    std::vector<uint8_t> copy = snapshot(both);
    if (!haveOld || copy.empty()) return copy;

    PixelRect pixels;
    pixelRectOf(both, pixels);
    // Where each tile's part of the old copy starts.
    std::vector<size_t> oldOffset(static_cast<size_t>(m_tileCount), 0);
    std::vector<PixelRect> oldPart(static_cast<size_t>(m_tileCount), PixelRect{1, 1, 0, 0});
    const size_t pixelBytes = static_cast<size_t>(m_bytesPerPixel);
    size_t offset = 0;
    forEachTileIn(oldPixels, [&](int index, const PixelRect& part) {
        oldOffset[static_cast<size_t>(index)] = offset;
        oldPart[static_cast<size_t>(index)] = part;
        offset += static_cast<size_t>(part.right - part.left + 1) * static_cast<size_t>(part.bottom - part.top + 1) *
                  pixelBytes;
    });
    uint8_t* out = copy.data();
    forEachTileIn(pixels, [&](int index, const PixelRect& part) {
        const PixelRect& was = oldPart[static_cast<size_t>(index)];
        const size_t width = static_cast<size_t>(part.right - part.left + 1);
        const size_t oldWidth = static_cast<size_t>(was.right - was.left + 1);
        for (int y = part.top; y <= part.bottom; ++y) {
            if (was.left <= was.right && y >= was.top && y <= was.bottom) {
                const uint8_t* from = old.data() + oldOffset[static_cast<size_t>(index)] +
                                      static_cast<size_t>(y - was.top) * oldWidth * pixelBytes;
                std::memcpy(out + static_cast<size_t>(was.left - part.left) * pixelBytes, from, oldWidth * pixelBytes);
            }
            out += width * pixelBytes;
        }
    });
    return copy;
}

bool TextureLayer::restore(const GridRect& rect, const std::vector<uint8_t>& copy)
{
    PixelRect pixels;
    if (!pixelRectOf(rect, pixels) || copy.size() != bytesIn(pixels)) return false;
    const uint8_t* in = copy.data();
    const int step = m_tileSize - 1;
    const size_t pixelBytes = static_cast<size_t>(m_bytesPerPixel);
    forEachTileIn(pixels, [&](int index, const PixelRect& part) {
        uint8_t* target = m_tiles[static_cast<size_t>(index)].get();
        const int x0 = (index % m_tilesPerSide) * step;
        const int y0 = (index / m_tilesPerSide) * step;
        const size_t span = static_cast<size_t>(part.right - part.left + 1) * pixelBytes;
        for (int y = part.top; y <= part.bottom; ++y) {
            std::memcpy(target + (static_cast<size_t>(y - y0) * m_tileSize + static_cast<size_t>(part.left - x0)) *
                                     pixelBytes,
                        in, span);
            in += span;
        }
    });
    // Uploads after all writes, so a tile is sent once.
    forEachTileIn(pixels, [&](int index, const PixelRect&) { uploadTile(index); });
    return true;
}

void TextureLayer::readBack(uint8_t* destination) const
{
    if (!destination || !m_currentPixels) return;
    if (GetTextureUploader().readBack(m_currentTexture, m_tileSize, m_bytesPerPixel, destination)) return;
    std::memcpy(destination, m_currentPixels, tileBytes());
}

std::string TextureLayer::tileFileName(const char* base, int index) const
{
    char name[32];
    std::string text(base ? base : "");
    if (m_tileCount > 1) {
        std::snprintf(name, sizeof name, "%i.png", index);
        text += name;
    } else {
        text += ".png";
    }
    return text;
}
