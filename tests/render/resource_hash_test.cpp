// The cache's hash and bucket choice (no display needed).
#include <gtest/gtest.h>

#include <string>

#include "render/resource_cache.h"

namespace {

TEST(ResourceHash, SumsCharactersShiftedByHalfTheirPosition)
{
    struct Case {
        const char* key;
        uint32_t hash;
        uint32_t bucket97;
        uint32_t bucket13;
    };
    const Case cases[] = {
        {"", 0, 0, 0},
        {"a", 0, 0, 0},  // position 0 does not count
        {"abcd", 98 + (99 << 1) + (100 << 1), 79, 6},
        {"Data/Textures/keyControls.png", 5061359, 33, 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResourceHash(c.key), c.hash) << c.key;
        EXPECT_EQ(ResourceBucket(c.key, 97), c.bucket97) << c.key;
        EXPECT_EQ(ResourceBucket(c.key, 13), c.bucket13) << c.key;
    }
}

TEST(ResourceHash, LongPathsWrapTheirShiftsInsteadOfOverflowing)
{
    // Positions 64 and on would shift by 32 bits or more; they wrap to
    // small shifts (what the arithmetic has always done on x86).
    std::string key(70, 'a');
    EXPECT_EQ(ResourceHash(key.c_str()), 1067u);
    EXPECT_EQ(ResourceBucket(key.c_str(), 97), 0u);
    std::string longer(5000, '/');
    EXPECT_LT(ResourceBucket(longer.c_str(), 97), 97u);
    // Bytes above 127 count as themselves, never as negative numbers.
    EXPECT_EQ(ResourceHash("x\xff"), 255u);
}

TEST(ResourceHash, TablesKeepTheNewestEntryFirstAndFindEveryKey)
{
    PathTable<int> table(13);
    std::vector<std::string> keys;
    for (int i = 0; i < 100; ++i) keys.push_back("Data/Textures/t" + std::to_string(i) + ".tga");
    for (int i = 0; i < 100; ++i) table.insert(keys[static_cast<size_t>(i)].c_str(), std::make_unique<int>(i));
    for (int i = 0; i < 100; ++i) {
        int* value = table.find(keys[static_cast<size_t>(i)].c_str());
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(*value, i);
    }
    EXPECT_EQ(table.find("Data/Textures/t100.tga"), nullptr);
    size_t total = 0;
    for (uint32_t b = 0; b < 13; ++b) total += table.chainLength(b);
    EXPECT_EQ(total, 100u);
}

}  // namespace
