#include "objects/scene_object.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "map/property_table.h"
#include "objects/object_grid.h"

namespace {

std::string written(const SceneObject& object)
{
    FILE* file = std::tmpfile();
    object.Write(file);
    std::rewind(file);
    char buffer[256] = {};
    size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
    std::fclose(file);
    return std::string(buffer, got);
}

LineRecord line(const char* text)
{
    LineRecord record;
    tokenizeLine(std::string(text), record);
    return record;
}

TEST(SceneObject, AnglesAreWrittenAsDegreesInOneTurn)
{
    struct Case {
        float a, b, c;
        float written[3];
    };
    const Case cases[] = {
        {0, 0, 0, {0, 0, 0}},
        // A quarter turn back about the vertical axis: never negative.
        {0, -90, 0, {0, 270, 0}},
        {0, 90, 0, {0, 90, 0}},
        {30, 0, 0, {30, 0, 0}},
        {0, 0, -45, {0, 0, 315}},
    };
    for (const Case& c : cases) {
        SceneObject object;
        object.SetAngles(c.a, c.b, c.c);
        std::string text = written(object);
        size_t at = text.find("angles ");
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.find('-', at), std::string::npos) << text;
        float angles[3] = {-1, -1, -1};
        ASSERT_EQ(std::sscanf(text.c_str() + at, "angles %f %f %f", &angles[0], &angles[1], &angles[2]), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(angles[i], c.written[i], 1e-3f) << c.a << " " << c.b << " " << c.c << ": " << text;
    }
}

TEST(SceneObject, SetAnglesBuildsTheRotation)
{
    SceneObject object;
    object.SetPosition(1, 2, 3);
    object.SetAngles(0, 90, 0);
    EXPECT_NEAR(object.matrix[2], 1.0f, 1e-6f);
    EXPECT_NEAR(object.matrix[8], -1.0f, 1e-6f);
    EXPECT_NEAR(object.matrix[0], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(object.matrix[12], 1.0f);  // the translation stays
    EXPECT_FLOAT_EQ(object.matrix[14], 3.0f);
}

TEST(SceneObject, WrittenAnglesReadBackToTheSameRotation)
{
    const float samples[][3] = {{10, 20, 30}, {-40, 15, 100}, {170, -60, -20}, {0, 89, 0}, {45, 0, 200}};
    for (const auto& angles : samples) {
        SceneObject original;
        original.SetAngles(angles[0], angles[1], angles[2]);
        float stored[3];
        original.ExtractAngles(stored);
        SceneObject copy;
        copy.SetAngles(stored[0], stored[1], stored[2]);
        for (int i = 0; i < 11; ++i) EXPECT_NEAR(copy.matrix[i], original.matrix[i], 2e-5f) << i;
    }
}

TEST(SceneObject, ReadsItsOwnProperties)
{
    SceneObject object;
    EXPECT_TRUE(object.ReadProperty(line("position 4 5 6")));
    EXPECT_TRUE(object.ReadProperty(line("radius 2.5")));
    EXPECT_TRUE(object.ReadProperty(line("angles 0 270 0")));
    EXPECT_FALSE(object.ReadProperty(line("mesh \"tree.msh\"")));
    EXPECT_FLOAT_EQ(object.position[1], 5.0f);
    EXPECT_FLOAT_EQ(object.matrix[13], 5.0f);
    EXPECT_FLOAT_EQ(object.radius, 2.5f);
    EXPECT_NEAR(object.matrix[2], -1.0f, 1e-6f);
    // A value that does not parse leaves that component alone.
    EXPECT_TRUE(object.ReadProperty(line("position 7 x")));
    EXPECT_FLOAT_EQ(object.position[0], 7.0f);
    EXPECT_FLOAT_EQ(object.position[1], 5.0f);
    EXPECT_FLOAT_EQ(object.position[2], 6.0f);
}

TEST(SceneObject, ClonesTakeNewIdsAndAreIndependent)
{
    SceneObject original;
    EXPECT_EQ(original.id(), -1);
    original.SetPosition(1, 1, 1);
    original.flags = SceneObject::kSpecialFlag;
    std::unique_ptr<SceneObject> a(original.Clone());
    std::unique_ptr<SceneObject> b(a->Clone());
    EXPECT_GE(a->id(), 0);
    EXPECT_GT(b->id(), a->id());
    EXPECT_EQ(FindSceneObject(a->id()), a.get());
    EXPECT_EQ(a->flags, 0);
    a->SetPosition(9, 9, 9);
    EXPECT_FLOAT_EQ(original.position[0], 1.0f);
    EXPECT_FLOAT_EQ(b->position[0], 1.0f);
    int id = b->id();
    b.reset();
    EXPECT_EQ(FindSceneObject(id), nullptr);
}

TEST(ObjectGrid, FilesObjectsByCellAndMovesThem)
{
    ObjectGrid grid(16);
    SetCurrentObjectGrid(&grid);
    SceneObject a;
    SceneObject b;
    a.SetPosition(3.5f, 0, 2.2f);
    b.SetPosition(3.9f, 0, 2.9f);
    int cell = 2 * 16 + 3;
    EXPECT_EQ(a.cell(), cell);
    EXPECT_EQ(grid.objectsIn(cell).size(), 2u);
    a.SetPosition(3.1f, 5, 2.1f);  // same cell: no list changes
    EXPECT_EQ(grid.objectsIn(cell).front(), &b);
    a.SetPosition(4.0f, 0, 2.0f);  // across the boundary
    EXPECT_EQ(grid.objectsIn(cell).size(), 1u);
    EXPECT_EQ(grid.objectsIn(cell + 1).size(), 1u);
    SetCurrentObjectGrid(nullptr);
}

TEST(ObjectGrid, PositionsOutsideTheMapStayInTheGrid)
{
    ObjectGrid grid(8);
    SetCurrentObjectGrid(&grid);
    SceneObject object;
    const float positions[][2] = {{-5, -5}, {8, 8}, {1e9f, 3}, {NAN, 2}, {7.999f, -0.5f}};
    for (const auto& p : positions) {
        object.SetPosition(p[0], 0, p[1]);
        EXPECT_GE(object.cell(), 0);
        EXPECT_LT(object.cell(), 64);
    }
    object.SetPosition(-5, 0, -5);
    EXPECT_EQ(object.cell(), 0);
    object.SetPosition(8, 0, 8);  // the far edge
    EXPECT_EQ(object.cell(), 63);
    SetCurrentObjectGrid(nullptr);
}

TEST(ObjectGrid, SpecialObjectsAreListedOnceAndForgottenWithTheObject)
{
    auto grid = std::make_unique<ObjectGrid>(4);
    SetCurrentObjectGrid(grid.get());
    auto special = std::make_unique<SceneObject>();
    special->flags = SceneObject::kSpecialFlag;
    special->SetPosition(0.5f, 0, 0.5f);
    special->SetPosition(2.5f, 0, 2.5f);
    EXPECT_EQ(grid->specialObjects().size(), 1u);
    special.reset();
    EXPECT_TRUE(grid->specialObjects().empty());
    EXPECT_TRUE(grid->objectsIn(2 * 4 + 2).empty());
    // A grid that goes first leaves its objects unfiled, not dangling.
    SceneObject survivor;
    survivor.SetPosition(1, 0, 1);
    grid.reset();
    EXPECT_EQ(survivor.grid(), nullptr);
    survivor.SetPosition(2, 0, 2);  // no grid now: just moves
    EXPECT_FLOAT_EQ(survivor.position[0], 2.0f);
}

TEST(SceneObject, MovesWithoutAMap)
{
    SetCurrentObjectGrid(nullptr);
    SceneObject object;
    object.SetPosition(-5, 0, -5);
    EXPECT_EQ(object.grid(), nullptr);
    EXPECT_FLOAT_EQ(object.matrix[12], -5.0f);
}

}  // namespace
