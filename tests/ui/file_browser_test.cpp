#include "ui/file_browser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(FileFilter, PatternsAndDefaultExtension)
{
    FileFilter maps = MakeFileFilter("Map Files (*.map)", "*.map");
    EXPECT_EQ(maps.defaultExtension, "map");
    EXPECT_TRUE(MatchesFilter(maps, "island.map"));
    EXPECT_TRUE(MatchesFilter(maps, "ISLAND.MAP"));
    EXPECT_FALSE(MatchesFilter(maps, "island.map.bak"));

    FileFilter images = MakeFileFilter("Images (*.tga;*.bmp,*.png)", "*.tga;*.bmp;*.png;");
    EXPECT_EQ(images.patterns.size(), 3u);
    EXPECT_TRUE(MatchesFilter(images, "a.bmp"));
    EXPECT_FALSE(MatchesFilter(images, "a.dds"));

    EXPECT_EQ(MakeFileFilter("PNG image (.png)", "*.png;").defaultExtension, "png");
    EXPECT_EQ(MakeFileFilter("Object (.obj)", "*.obj").defaultExtension, "obj");
}

TEST(FileFilter, DefaultExtensionOnlyWhenMissing)
{
    EXPECT_EQ(WithDefaultExtension("/m/island", "map"), "/m/island.map");
    EXPECT_EQ(WithDefaultExtension("/m/island.map", "map"), "/m/island.map");
    EXPECT_EQ(WithDefaultExtension("/m.d/island", "tga"), "/m.d/island.tga");
    EXPECT_EQ(WithDefaultExtension("heights.png", "tga"), "heights.png");
}

TEST(FileBrowser, ListsFoldersThenMatchingFilesAndAcceptsNames)
{
    fs::path root = fs::temp_directory_path() / "glebora-browser-test";
    fs::remove_all(root);
    fs::create_directories(root / "Maps");
    std::ofstream(root / "b.map") << "x";
    std::ofstream(root / "a.map") << "x";
    std::ofstream(root / "notes.txt") << "x";

    FileBrowser open(MakeFileFilter("Map Files (*.map)", "*.map"), root.string(), false);
    ASSERT_EQ(open.entries().size(), 4u);
    EXPECT_EQ(open.entries()[0].name, "..");
    EXPECT_EQ(open.entries()[1].name, "Maps");
    EXPECT_EQ(open.entries()[2].name, "a.map");
    EXPECT_EQ(open.entries()[3].name, "b.map");
    open.pick(open.entries()[2]);
    EXPECT_EQ(open.accept(), (root / "a.map").string());
    open.name = "b";  // typed without extension
    EXPECT_EQ(open.accept(), (root / "b.map").string());
    open.name = "Maps";  // a folder opens instead of being returned
    EXPECT_EQ(open.accept(), "");
    EXPECT_EQ(fs::path(open.folder()), root / "Maps");

    FileBrowser save(MakeFileFilter("PNG image (.png)", "*.png;"), root.string(), true);
    save.name = "heights";
    EXPECT_EQ(save.accept(), (root / "heights.png").string());
    save.name = "";
    EXPECT_EQ(save.accept(), "");
    fs::remove_all(root);
}
