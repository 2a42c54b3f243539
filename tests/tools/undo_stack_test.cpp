#include "tools/undo_stack.h"

#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "texturing/texture_layers.h"
#include "tools/brush.h"
#include "tools/grid_rect.h"
#include "tools/paint.h"
#include "tools/terraform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Everything an edit can change, copied for byte comparisons.
struct MapState {
    std::vector<float> heights;
    std::vector<float> vertexHeights;
    std::vector<uint8_t> cellMax;
    std::vector<std::vector<uint8_t>> layers[4];

    explicit MapState(Heightfield& field)
    {
        const size_t samples = static_cast<size_t>(field.size()) * field.size();
        heights.assign(field.heights(), field.heights() + samples);
        for (size_t i = 0; i < samples; ++i)
            vertexHeights.push_back(field.vertices()[i].y);
        const size_t cells = static_cast<size_t>(field.size() - 1) * (field.size() - 1);
        cellMax.assign(field.cellMax(), field.cellMax() + cells);
        TextureLayers& l = field.layers();
        const TextureLayer* all[4] = {&l.colourMap, &l.detailMask1, &l.detailMask2, &l.lightmap};
        for (int k = 0; k < 4; ++k)
            for (int t = 0; t < all[k]->tileCount() && all[k]->hasTiles(); ++t)
                layers[k].emplace_back(all[k]->tile(t), all[k]->tile(t) + all[k]->tileBytes());
    }
};

void ExpectSame(const MapState& a, const MapState& b, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_TRUE(a.heights == b.heights) << "heights";
    EXPECT_TRUE(a.vertexHeights == b.vertexHeights) << "vertex copy";
    EXPECT_TRUE(a.cellMax == b.cellMax) << "cell maxima";
    const char* names[4] = {"colour map", "detail mask 1", "detail mask 2", "lightmap"};
    for (int k = 0; k < 4; ++k)
        EXPECT_TRUE(a.layers[k] == b.layers[k]) << names[k];
}

class UndoTest : public ::testing::Test {
protected:
    void makeMap(int n, int divisions, int detailCount, int layerSize = 128)
    {
        NewMapParameters params;
        params.size = n;
        params.divisions = divisions;
        params.detailCount = detailCount;
        params.colorMapSize = layerSize;
        params.detailMapSize = layerSize;
        params.lightMapSize = layerSize;
        ASSERT_TRUE(field.Create(params));
        for (int z = 0; z < n; ++z)
            for (int x = 0; x < n; ++x)
                field.setHeight(x, z, 15.0f + 5.0f * std::sin(x * 0.2f) * std::cos(z * 0.15f));
        field.UpdateRegion(0, 0, n - 1, n - 1);
        field.UpdateErrors(0, 0, n - 1, n - 1);
        field.layers().lightmap.GenerateAll(true);
        undo.setHeightfield(&field);
    }

    // A raise stroke along path as the tool controller drives one: record,
    // change, relight the dirty rectangle without shadows, and with shadows
    // when the button goes up.
    void raiseStroke(const std::vector<Vec3>& path, float radius = 6.0f, float amount = 2.0f)
    {
        const int n = field.size();
        Lightmap& lightmap = field.layers().lightmap;
        GridRect dirty;
        bool first = true;
        for (Vec3 p : path) {
            undo.recordTerrain("raise", clampRect(brushRect(p, radius), n - 1, 0), first);
            first = false;
            Raise(field, p, radius, 1.0f, amount);
            GridRect changed = clampRect(inflate(brushRect(p, radius), 1), n - 1, 0);
            dirty = dirty.empty()
                        ? changed
                        : GridRect{std::min(dirty.left, changed.left), std::min(dirty.top, changed.top),
                                   std::max(dirty.right, changed.right), std::max(dirty.bottom, changed.bottom)};
            lightmap.ExtendForShadows(changed);
            dirty = {std::min(dirty.left, changed.left), std::min(dirty.top, changed.top),
                     std::max(dirty.right, changed.right), std::max(dirty.bottom, changed.bottom)};
            lightmap.UpdateRegion(dirty, false);
        }
        lightmap.UpdateRegion(dirty, true);
    }

    // Paints every pixel of the layer under rect (as snapshot maps it) with
    // value, keeping shared borders equal.
    static void paint(TextureLayer& layer, const GridRect& rect, uint8_t value)
    {
        TextureLayer::PixelRect pixels;
        ASSERT_TRUE(layer.pixelRectOf(rect, pixels));
        uint8_t* whole = layer.assemble();
        const int s = layer.layerSize(), c = layer.bytesPerPixel();
        for (int y = pixels.top; y <= pixels.bottom; ++y)
            std::memset(whole + (static_cast<size_t>(y) * s + pixels.left) * c, value,
                        static_cast<size_t>(pixels.right - pixels.left + 1) * c);
        layer.replaceFrom(whole);
        layer.releaseAssembled(whole);
    }

    Heightfield field;
    UndoStack undo;
};

} // namespace

TEST_F(UndoTest, ThirtyOneStrokesKeepThirty)
{
    makeMap(65, 0, 4);
    std::vector<MapState> states;
    states.emplace_back(field);
    for (int i = 0; i < 31; ++i) {
        raiseStroke({{8.0f + i * 1.5f, 0, 20.0f + (i % 5) * 6.0f}});
        states.emplace_back(field);
    }
    EXPECT_EQ(undo.count(), UndoStack::kLimit);
    EXPECT_EQ(undo.position(), UndoStack::kLimit);
    for (int i = 0; i < 30; ++i)
        undo.undo();
    EXPECT_EQ(undo.position(), 0);
    // The first stroke can no longer be undone.
    ExpectSame(MapState(field), states[1], "all undone");
    undo.undo();
    ExpectSame(MapState(field), states[1], "one undo too many");
    for (int i = 0; i < 30; ++i)
        undo.redo();
    ExpectSame(MapState(field), states[31], "all redone");
    undo.redo();
    EXPECT_EQ(undo.position(), 30);
}

TEST_F(UndoTest, AStrokeAfterUndoDropsTheRedoTail)
{
    makeMap(65, 1, 4);
    raiseStroke({{10, 0, 10}});
    raiseStroke({{30, 0, 30}});
    raiseStroke({{50, 0, 50}});
    const unsigned revision = undo.revision();
    undo.undo();
    undo.undo();
    EXPECT_EQ(undo.revision(), revision); // check marks only, no rebuild
    std::vector<UndoStack::MenuItem> items = undo.menuItems();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_FALSE(items[0].undone);
    EXPECT_TRUE(items[1].undone);
    EXPECT_TRUE(items[2].undone);
    EXPECT_EQ(items[2].identifier, 3003);

    const MapState before(field);
    raiseStroke({{40, 0, 20}});
    EXPECT_NE(undo.revision(), revision);
    EXPECT_EQ(undo.count(), 2);
    EXPECT_EQ(undo.position(), 2);
    const MapState after(field);
    undo.redo(); // nothing left to redo
    ExpectSame(MapState(field), after, "redo after the tail was dropped");
    undo.undo();
    ExpectSame(MapState(field), before, "undo of the new stroke");
}

TEST_F(UndoTest, AWanderingStrokeIsUndoneInOneStep)
{
    makeMap(129, 2, 4);
    const MapState before(field);
    // Loops across tiles, leaves the map at the edge and comes back, and
    // returns over its own start.
    std::vector<Vec3> path;
    for (int i = 0; i <= 120; ++i) {
        const float t = i * 0.06f;
        path.push_back({64.0f + 58.0f * std::sin(t), 0, 64.0f + 45.0f * std::sin(t * 1.7f + 0.4f)});
    }
    path.push_back(path.front());
    raiseStroke(path, 8.0f, 1.5f);
    const MapState stroked(field);
    ASSERT_EQ(undo.count(), 1);
    ASSERT_NE(stroked.heights, before.heights);
    undo.undo();
    ExpectSame(MapState(field), before, "undone");
    undo.redo();
    ExpectSame(MapState(field), stroked, "redone");
}

TEST_F(UndoTest, HeightsLayersAndLightmapComeBackByteForByte)
{
    makeMap(65, 1, 8);
    TextureLayers& layers = field.layers();
    std::vector<MapState> states;
    states.emplace_back(field);

    raiseStroke({{20, 0, 20}, {26, 0, 24}, {33, 0, 30}});
    states.emplace_back(field);

    // A colour stroke of two applications, then a detail stroke in
    // eight-detail mode that changes both masks.
    GridRect a = clampRect(brushRect({40, 0, 12}, 5), 65, 0), b = clampRect(brushRect({46, 0, 16}, 5), 65, 0);
    undo.recordColour("paint color", a, true);
    paint(layers.colourMap, a, 10);
    undo.recordColour("paint color", b, false);
    paint(layers.colourMap, b, 20);
    states.emplace_back(field);

    GridRect c = clampRect(brushRect({10, 0, 50}, 7), 65, 0);
    undo.recordDetail("paint detail 6", c, true);
    paint(layers.detailMask1, c, 0);
    paint(layers.detailMask2, c, 200);
    states.emplace_back(field);
    ASSERT_EQ(undo.count(), 3);

    for (int i = 3; i-- > 0;) {
        undo.undo();
        ExpectSame(MapState(field), states[static_cast<size_t>(i)], "undo");
    }
    for (int i = 1; i <= 3; ++i) {
        undo.redo();
        ExpectSame(MapState(field), states[static_cast<size_t>(i)], "redo");
    }
    EXPECT_STREQ(undo.entry(2).name.c_str(), "paint detail 6");
    EXPECT_FALSE(undo.entry(2).secondBefore.empty()); // mask 2 was recorded
}

TEST_F(UndoTest, MenuJumps)
{
    makeMap(65, 0, 4);
    std::vector<MapState> states;
    states.emplace_back(field);
    // Two overlapping strokes, then three apart: the refresh batches runs.
    const Vec3 points[5] = {{12, 0, 12}, {16, 0, 14}, {50, 0, 12}, {12, 0, 50}, {50, 0, 50}};
    for (Vec3 p : points) {
        raiseStroke({p});
        states.emplace_back(field);
    }
    struct Step {
        int identifier;
        int position; // afterwards
    } steps[] = {
        {3005, 4},            // the newest applied item: undoes exactly that entry
        {3002, 1},            // an applied item: undoes it and every later one
        {3005, 5},            // an undone item: redoes everything up to it
        {3001, 0}, {3001, 1}, // all undone, the oldest: redoes only the oldest
        {3003, 3},            // the third: the first three
        {3000, 3},            // not an entry
        {3006, 3},            // beyond the history
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "jump to " << step.identifier);
        undo.jumpTo(step.identifier);
        EXPECT_EQ(undo.position(), step.position);
        // States hold refreshed cell maxima: the batched refresh must
        // cover every entry passed.
        ExpectSame(MapState(field), states[static_cast<size_t>(step.position)], "after the jump");
        std::vector<UndoStack::MenuItem> items = undo.menuItems();
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(items[static_cast<size_t>(i)].undone, i >= step.position);
    }
}

TEST_F(UndoTest, AStrokeGrowsOnlyItsOwnEntry)
{
    makeMap(65, 0, 4);
    const MapState start(field);
    // Undo in the middle of a stroke: the rest of the stroke must not grow
    // the entry before it, whose copy holds other values.
    raiseStroke({{15, 0, 15}});
    const MapState first(field);
    undo.recordTerrain("raise", clampRect(brushRect({40, 0, 40}, 6), 64, 0), true);
    Vec3 p = {40, 0, 40};
    Raise(field, p, 6, 1, 2);
    undo.undo();
    const GridRect firstRect = undo.entry(0).rect;
    undo.recordTerrain("raise", clampRect(brushRect({44, 0, 40}, 6), 64, 0), false);
    p = {44, 0, 40};
    Raise(field, p, 6, 1, 2);
    EXPECT_EQ(undo.entry(0).rect, firstRect);
    EXPECT_EQ(undo.count(), 2);
    undo.undo();
    ExpectSame(MapState(field), first, "the continued stroke undone");
    undo.undo();
    ExpectSame(MapState(field), start, "the first stroke undone");

    // A record of another kind never grows a terrain entry.
    undo.setHeightfield(&field);
    raiseStroke({{20, 0, 20}});
    undo.recordColour("paint color", {0, 0, 10, 10}, false);
    EXPECT_EQ(undo.count(), 2);
    EXPECT_EQ(undo.entry(1).kind, UndoKind::Colour);
    EXPECT_EQ(undo.entry(0).rect, clampRect(brushRect({20, 0, 20}, 6), 64, 0));
}

TEST_F(UndoTest, NewAndLoadEmptyTheHistory)
{
    makeMap(65, 0, 4);
    raiseStroke({{20, 0, 20}});
    const unsigned revision = undo.revision();
    undo.setHeightfield(&field);
    EXPECT_EQ(undo.count(), 0);
    EXPECT_EQ(undo.position(), 0);
    EXPECT_NE(undo.revision(), revision);
    EXPECT_TRUE(undo.menuItems().empty());
    undo.undo(); // nothing to undo
    undo.jumpTo(3001);
    // Off-map rectangles record nothing.
    undo.recordTerrain("raise", {-30, -30, -10, -10}, true);
    undo.recordColour("paint color", {200, 200, 220, 220}, true);
    EXPECT_EQ(undo.count(), 0);
}

TEST_F(UndoTest, PaintSnapshotsCoverTheirMargins)
{
    // A coarse layer on a fine grid (a pixel spans several vertices) and a
    // fine layer on a coarse one: the entry covers more pixels than the
    // brush square maps to, enough for the painters' own pixel mapping.
    for (int layerSize : {32, 512}) {
        SCOPED_TRACE(layerSize);
        makeMap(129, 1, 4, layerSize);
        TextureLayer& colour = field.layers().colourMap;
        const GridRect brush = clampRect(brushRect({60, 0, 60}, 3), 129, 0);
        undo.recordColour("paint color", brush, true);
        TextureLayer::PixelRect plain, covered;
        ASSERT_TRUE(colour.pixelRectOf(brush, plain));
        ASSERT_TRUE(colour.pixelRectOf(undo.entry(0).rect, covered));
        EXPECT_LE(covered.left, plain.left - 1);
        EXPECT_GE(covered.right, plain.right + 1);
        EXPECT_LE(covered.top, plain.top - 1);
        EXPECT_GE(covered.bottom, plain.bottom + 1);
        // One pixel beyond the square on every side comes back.
        const MapState before(field);
        const GridRect wider = {brush.left - 129 / layerSize - 1, brush.top - 129 / layerSize - 1,
                                brush.right + 129 / layerSize + 1, brush.bottom + 129 / layerSize + 1};
        paint(colour, wider, 3);
        undo.undo();
        ExpectSame(MapState(field), before, "undone");
    }
}

TEST_F(UndoTest, PaintStrokesAreUndoneToTheLastPixel)
{
    // The painters map brush squares to pixels tile by tile, the undo copies
    // through the whole layer: the copies must still hold every pixel a
    // stroke touched, with coarse and fine layers, across tile borders and
    // for brushes smaller than a pixel.
    struct Case {
        int n, divisions, layerSize;
        float radius;
    } cases[] = {{129, 2, 32, 3.0f}, {129, 2, 32, 0.5f}, {65, 1, 512, 2.0f}, {129, 0, 128, 4.0f}, {65, 2, 256, 0.2f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " samples, layers " << c.layerSize << ", radius " << c.radius);
        makeMap(c.n, c.divisions, 8, c.layerSize);
        TextureLayers& layers = field.layers();
        const MapState before(field);
        BrushSettings settings;
        settings.radius = c.radius;
        settings.softness = 0.3f;
        const float colour[4] = {0.9f, 0.1f, 0.4f, 1.0f};
        const int n = c.n;
        auto pointAt = [&](int i) {
            // Along a tile border and across the corner of four tiles.
            const float half = (n - 1) * 0.5f;
            return Vec3{half - 6.0f + i * 0.7f, 0.0f, half + 3.0f * std::sin(i * 0.9f)};
        };
        for (int i = 0; i < 20; ++i) {
            Vec3 p = pointAt(i);
            undo.recordDetail("paint detail 6", clampRect(brushRect(p, c.radius), n, 0), i == 0);
            PaintDetail8(layers, field, 5, p, 1.0f, 1.0f, settings);
        }
        for (int i = 0; i < 20; ++i) {
            Vec3 p = pointAt(i);
            undo.recordColour("paint color", clampRect(brushRect(p, c.radius + 0.5f), n, 0), i == 0);
            PaintColour(layers, field, colour, p, 1.0f, settings);
        }
        ASSERT_EQ(undo.count(), 2);
        const MapState painted(field);
        ASSERT_NE(painted.layers[0], before.layers[0]);
        ASSERT_NE(painted.layers[2], before.layers[2]);
        undo.undo();
        undo.undo();
        ExpectSame(MapState(field), before, "both strokes undone");
        undo.redo();
        undo.redo();
        ExpectSame(MapState(field), painted, "both strokes redone");
    }
}
