#include "map/file_transaction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct TempFolder {
    TempFolder() : path(fs::temp_directory_path() / ("glebora-tx-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    size_t fileCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(path), fs::directory_iterator())); }
    fs::path path;
};

}  // namespace

TEST(FileTransaction, CommitReplacesEveryFile)
{
    TempFolder dir;
    writeFile(dir.path / "a.map", "old");
    {
        FileTransaction tx;
        writeFile(tx.stage((dir.path / "a.map").string()), "new map");
        writeFile(tx.stage((dir.path / "a.png").string()), "new png");
        EXPECT_TRUE(tx.commit());
    }
    EXPECT_EQ(readFile(dir.path / "a.map"), "new map");
    EXPECT_EQ(readFile(dir.path / "a.png"), "new png");
    EXPECT_EQ(dir.fileCount(), 2u);
}

TEST(FileTransaction, AnyFailureKeepsOldFilesAndLeavesNoTemporaries)
{
    TempFolder dir;
    writeFile(dir.path / "a.map", "old map");
    writeFile(dir.path / "a.png", "old png");
    fs::create_directories(dir.path / "a_c.png");  // a folder where a picture should go

    struct Case {
        const char* name;
        bool reportFailure;
        bool skipWriting;
        const char* expectFailed;
    } cases[] = {
        {"writer reported failure", true, false, "a.png"},
        {"staged file never written", false, true, "a.png"},
    };
    for (const Case& c : cases) {
        FileTransaction tx;
        writeFile(tx.stage((dir.path / "a.map").string()), "new map");
        std::string png = (dir.path / "a.png").string();
        std::string staged = tx.stage(png);
        if (!c.skipWriting) writeFile(staged, "new png");
        if (c.reportFailure) tx.fail(png);
        EXPECT_FALSE(tx.commit()) << c.name;
        EXPECT_EQ(fs::path(tx.failedTarget()).filename(), c.expectFailed) << c.name;
        EXPECT_EQ(readFile(dir.path / "a.map"), "old map") << c.name;
        EXPECT_EQ(readFile(dir.path / "a.png"), "old png") << c.name;
        EXPECT_EQ(dir.fileCount(), 3u) << c.name;
    }

    FileTransaction tx;
    writeFile(tx.stage((dir.path / "a.map").string()), "new map");
    writeFile(tx.stage((dir.path / "a_c.png").string()), "colour");
    EXPECT_FALSE(tx.commit());
    EXPECT_EQ(fs::path(tx.failedTarget()).filename(), "a_c.png");
    EXPECT_EQ(readFile(dir.path / "a.map"), "old map");
    EXPECT_EQ(dir.fileCount(), 3u);
}

TEST(FileTransaction, DestructionWithoutCommitRollsBack)
{
    TempFolder dir;
    {
        FileTransaction tx;
        writeFile(tx.stage((dir.path / "b.map").string()), "x");
    }
    EXPECT_EQ(dir.fileCount(), 0u);
}

TEST(FileTransaction, TemporaryNamesKeepFolderAndExtension)
{
    FileTransaction tx;
    fs::path staged = tx.stage("/maps/island.v2_c3.png");
    EXPECT_EQ(staged.parent_path(), "/maps");
    EXPECT_EQ(staged.extension(), ".png");
    EXPECT_NE(staged, "/maps/island.v2_c3.png");
    EXPECT_EQ(tx.stage("/maps/island.v2_c3.png"), staged.string());
    tx.rollback();
}
