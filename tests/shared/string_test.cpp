#include "shared/string.h"

#include <gtest/gtest.h>

#include <utility>

TEST(String, CopiesAreIndependent)
{
    String a("terrain");
    String b(a);
    b.append(".map");
    EXPECT_STREQ(a.c_str(), "terrain");
    EXPECT_STREQ(b.c_str(), "terrain.map");
    a = b;
    EXPECT_EQ(a, "terrain.map");
    String moved(std::move(a));
    EXPECT_STREQ(moved.c_str(), "terrain.map");
}

TEST(String, EmptyAndNull)
{
    String empty;
    EXPECT_TRUE(empty.empty());
    EXPECT_STREQ(empty.c_str(), "");
    String fromNull(nullptr);
    EXPECT_TRUE(fromNull.empty());
}

TEST(String, FormatGrowsToAnyLength)
{
    String s;
    s.format("%s_%d", "detailtexture", 7);
    EXPECT_EQ(s, "detailtexture_7");
    std::string longText(1000, 'x');
    s.format("%s!", longText.c_str());
    EXPECT_EQ(s.length(), 1001u);
}

TEST(String, PathParts)
{
    struct Case {
        const char* path;
        const char* folder;
        const char* file;
    } cases[] = {
        {"/home/me/Maps/island.map", "/home/me/Maps/", "island.map"},
        {"C:\\Maps\\island.map", "C:\\Maps\\", "island.map"},
        {"island.map", "", "island.map"},
        {"/Maps/", "/Maps/", ""},
    };
    for (const Case& c : cases) {
        String path(c.path);
        EXPECT_EQ(path.folder(), c.folder) << c.path;
        EXPECT_EQ(path.fileName(), c.file) << c.path;
    }
}
