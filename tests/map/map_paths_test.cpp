#include "map/map_paths.h"

#include <gtest/gtest.h>

TEST(MapPaths, ResolveAndRelative)
{
    const char* map = "/home/ann/Maps/";
    const char* home = "/opt/glebora/";
    struct Case {
        const char* path;
        const char* resolved;
    } resolveCases[] = {
        {"[HOME]Data/Textures/default1.tga", "/opt/glebora/Data/Textures/default1.tga"},
        {"grass.png", "/home/ann/Maps/grass.png"},
        {"sub/grass.png", "/home/ann/Maps/sub/grass.png"},
        {"/usr/share/grass.png", "/usr/share/grass.png"},
        {"C:\\textures\\grass.png", "C:\\textures\\grass.png"},
        {"\\\\server\\share\\grass.png", "\\\\server\\share\\grass.png"},
    };
    for (const Case& c : resolveCases) EXPECT_EQ(ResolvePath(c.path, map, home), c.resolved) << c.path;

    struct Case2 {
        const char* path;
        const char* relative;
    } relativeCases[] = {
        {"/home/ann/Maps/grass.png", "grass.png"},
        {"/opt/glebora/Data/rock.tga", "[HOME]Data/rock.tga"},
        {"/elsewhere/rock.tga", "/elsewhere/rock.tga"},
        {"grass.png", "grass.png"},
    };
    for (const Case2& c : relativeCases) EXPECT_EQ(RelativePath(c.path, map, home), c.relative) << c.path;
}

TEST(MapPaths, MapNameDropsOnlyTheLastExtension)
{
    struct Case {
        const char* file;
        const char* name;
    } cases[] = {
        {"island.map", "island"},
        {"island.v2.map", "island.v2"},
        {"/maps/island.map", "island"},
        {"noext", "noext"},
        {".hidden", ".hidden"},
    };
    for (const Case& c : cases) EXPECT_EQ(MapNameFromFileName(c.file), c.name) << c.file;
}

TEST(MapPaths, AbsoluteFolder)
{
    EXPECT_EQ(AbsoluteFolder("", "/opt/g/"), "/opt/g/");
    EXPECT_EQ(AbsoluteFolder("Maps/", "/opt/g/"), "/opt/g/Maps/");
    EXPECT_EQ(AbsoluteFolder("Maps", "/opt/g"), "/opt/g/Maps/");
    EXPECT_EQ(AbsoluteFolder("/data/maps", "/opt/g/"), "/data/maps/");
}

TEST(MapPaths, ExtensionOfTheFilePartOnly)
{
    struct Case {
        const char* path;
        const char* extension;  // nullptr: none
    } cases[] = {
        {"/m/island.map", ".map"}, {"/m/island.v2.MAP", ".MAP"}, {"/m.d/island", nullptr},
        {"C:\\m.d\\island", nullptr}, {"island", nullptr},
    };
    for (const Case& c : cases) {
        const char* found = FileExtension(c.path);
        if (c.extension)
            EXPECT_STREQ(found, c.extension) << c.path;
        else
            EXPECT_EQ(found, nullptr) << c.path;
    }
    EXPECT_TRUE(HasExtension("/m/a.PNG", ".png"));
    EXPECT_FALSE(HasExtension("/m.png/a", ".png"));
}
