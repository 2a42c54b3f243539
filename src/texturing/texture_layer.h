// TextureLayer: one texture layer of the terrain (colour map, detail mask,
// lightmap) kept as D x D square tiles of T x T pixels.
//
// Tile (column j, row i) textures terrain patch (j, i); D = 2^divisions.
// Neighbouring tiles share their border row or column: tile j holds the
// whole layer's columns j(T-1) .. j(T-1)+T-1, so its last column is the
// next tile's first. Linear filtering is then seamless across patch edges,
// as long as every edit writes both copies of a border pixel; the whole
// layer is S = D(T-1)+1 pixels per side.
//
// Pixels live in memory, C bytes each (1 grey, 3 RGB, 4 RGBA), rows top to
// bottom; every tile also has a GPU texture that receives a copy through
// the TextureUploader whenever the tile changes. Tile buffers are always
// kept after upload: painting, undo and plug-ins read them.
//
// Heightfield mapping: with N samples per side, whole-layer pixel (px, py)
// lies at x = px N / S, z = py N / S, and a rectangle of heightfield
// vertices maps to pixels by multiplying each bound by S / N, truncated.
//
// Which pixel sizes a layer accepts is fixed when it is made (colour map 3,
// detail masks 4, lightmap 1 or 3): tiles read from files with another
// pixel size are converted where that loses nothing that matters, or the
// load fails with a message and the caller creates the layer afresh.
#pragma once

#include "shared/string.h"
#include "texturing/texture_uploader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FileTransaction;
struct GridRect;

// The pixel sizes a layer accepts.
enum class LayerFormat {
    Colour,   // 3 bytes, red, green, blue
    Mask,     // 4 bytes, four detail weights
    Lightmap, // 1 byte grey or 3 bytes RGB
    Any,      // whatever the file holds (tests, tools)
};

class TextureLayer {
public:
    static constexpr int kDefaultTileSize = 256;
    static constexpr int kMaxLayerSize = 4096;

    explicit TextureLayer(LayerFormat format = LayerFormat::Any);
    virtual ~TextureLayer();
    TextureLayer(const TextureLayer&) = delete;
    TextureLayer& operator=(const TextureLayer&) = delete;

    // The heightfield this layer covers: N samples per side and its
    // divisions (0, 1 or 2). create and load cut tiles by the divisions;
    // colourAt and the snapshot family map through N. Set before create.
    void setGrid(int samples, int divisions);
    int gridSamples() const { return m_samples; }
    int divisions() const { return m_divisions; }

    // Deletes the textures and frees every tile.
    virtual void release();
    // Cuts an S x S picture of C bytes per pixel (S, C of this layer) into
    // the tiles, filling the shared borders of both neighbours. A call with
    // the single tile's own buffer changes nothing.
    virtual void split(const uint8_t* whole);
    // New texture names; selects and uploads every tile.
    virtual void rebuildTextures();
    // Reads the tiles of fileName ("%s.png", or "%s%i.png" by tile index
    // when there is more than one tile). False when any tile is missing,
    // unreadable, not size/D pixels square or of a pixel size this layer
    // cannot take; the layer is then empty and the caller creates it. A
    // missing file is silent (the feature falls back), the others say why.
    // Pixels are always kept in memory after the upload.
    virtual bool load(const char* fileName, int size);
    // Writes every tile under the file name given to load (or setFileName).
    // With a transaction, every file goes to its staged temporary name and
    // failures are recorded there; true when every tile was written.
    virtual bool save(FileTransaction* transaction = nullptr);
    // Tiles of (size / D) pixels and C bytes each, every byte 255.
    virtual void create(int size, int bytesPerPixel);
    // Uploads the current tile; nothing without pixels.
    virtual void uploadCurrent();

    // The S x S whole layer: a new buffer built from the tiles, or with one
    // tile that tile itself. Free it with releaseAssembled.
    uint8_t* assemble();
    void releaseAssembled(uint8_t* whole);
    // Takes an edited whole layer back: split (unless it is the single
    // tile, edited in place), then rebuildTextures.
    void replaceFrom(const uint8_t* whole);

    void selectTile(int index);
    void bindTile(int index);
    // Every pixel of every tile becomes value's low C bytes (little-endian:
    // the low byte is red); each tile is uploaded.
    void fill(uint32_t value);
    // The colour under heightfield point (x, z), red, green, blue in 0..1
    // and alpha 1; a one-byte layer gives its byte for all three. False
    // outside [0, N-1]. The last row and column of the map read the last
    // tile's edge pixel.
    bool colourAt(float x, float z, float rgba[4]) const;

    // Undo copies. A copy holds, for every tile whose pixel square meets
    // the rectangle (row-major), the intersection's pixels row by row, so
    // shared border pixels are stored once per tile holding them. A copy
    // only fits the layer and rectangle it was taken with.
    std::vector<uint8_t> snapshot(const GridRect& rect) const;
    // The copy of the bounding rectangle of both: the old copy's pixels
    // inside the old rectangle, the current pixels elsewhere.
    std::vector<uint8_t> growSnapshot(const GridRect& newRect, const GridRect& oldRect,
                                      std::vector<uint8_t>&& oldCopy) const;
    // Writes a copy back and uploads the tiles touched. False, changing
    // nothing, when the copy does not fit the rectangle.
    bool restore(const GridRect& rect, const std::vector<uint8_t>& copy);
    // Bytes a snapshot of rect holds.
    size_t snapshotSize(const GridRect& rect) const;

    // The current tile's pixels as the GPU shows them (the lightmap blurs
    // its textures); the memory copy when no texture can be read back.
    void readBack(uint8_t* destination) const;

    // Pixel rectangle (inclusive, whole-layer pixels) under a rectangle of
    // heightfield vertices: bounds clamped to [0, N], times S / N,
    // truncated, then clipped to the layer. False when nothing remains.
    struct PixelRect {
        int left, top, right, bottom;
    };
    bool pixelRectOf(const GridRect& rect, PixelRect& pixels) const;

    // Tile storage for painters, plug-ins and tests.
    bool hasTiles() const { return !m_tiles.empty(); }
    int tileCount() const { return m_tileCount; }
    int tilesPerSide() const { return m_tilesPerSide; }
    int tileSize() const { return m_tileSize; }
    int layerSize() const { return m_layerSize; }
    int bytesPerPixel() const { return m_bytesPerPixel; }
    size_t tileBytes() const { return static_cast<size_t>(m_tileSize) * m_tileSize * m_bytesPerPixel; }
    uint8_t* tile(int index) { return m_tiles[static_cast<size_t>(index)].get(); }
    const uint8_t* tile(int index) const { return m_tiles[static_cast<size_t>(index)].get(); }
    TextureName texture(int index) const { return m_textures.empty() ? 0 : m_textures[static_cast<size_t>(index)]; }
    int currentTile() const { return m_currentTile; }
    const uint8_t* currentPixels() const { return m_currentPixels; }
    LayerFormat format() const { return m_format; }
    const String& fileName() const { return m_fileName; }
    void setFileName(const char* name) { m_fileName = name; }
    // Selects tile index and uploads it: the painters' and undo's refresh.
    void uploadTile(int index)
    {
        selectTile(index);
        uploadCurrent();
    }

    // File name of tile index for base name: "%s.png" with one tile,
    // "%s%i.png" otherwise.
    std::string tileFileName(const char* base, int index) const;

protected:
    // Sets D, T, S and the tile count for a requested size; false for a
    // size that cannot give tiles of at least 2 x 2 pixels.
    bool layOut(int size);
    void allocateTiles(uint8_t fillByte);
    void generateTextures();
    void deleteTextures();
    // Writes one tile as a PNG picture.
    bool writeTile(int index, const std::string& path) const;
    // Reads one tile file into tile index, converting its pixel size where
    // this layer's format allows. False with the reason in problem, which
    // stays empty for a file that does not exist.
    bool readTile(int index, const std::string& path, std::string& problem, bool& converted);

    std::vector<std::unique_ptr<uint8_t[]>> m_tiles;
    uint8_t* m_currentPixels = nullptr;
    String m_fileName;
    TextureName m_currentTexture = 0;
    int m_bytesPerPixel = 0;
    int m_tileSize = kDefaultTileSize;
    int m_layerSize = 0;
    int m_tileCount = 0;
    int m_tilesPerSide = 1;
    int m_currentTile = 0;
    std::vector<TextureName> m_textures;

private:
    // Calls visit(tileIndex, intersection) for every tile whose pixel square
    // meets pixels, row-major; intersection in whole-layer pixels.
    template <class Visit> void forEachTileIn(const PixelRect& pixels, Visit&& visit) const;
    size_t bytesIn(const PixelRect& pixels) const;

    LayerFormat m_format;
    int m_samples = 0;
    int m_divisions = 0;
};
