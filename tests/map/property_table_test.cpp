#include "map/property_table.h"

#include "map/material.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A file in memory, so reading and writing go through the same FILE* paths
// the program uses.
struct MemoryFile {
    explicit MemoryFile(const std::string& text = "")
    {
        file = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), file);
        std::rewind(file);
    }
    ~MemoryFile() { std::fclose(file); }
    std::string contents()
    {
        std::fflush(file);
        std::rewind(file);
        std::string text;
        int c;
        while ((c = std::fgetc(file)) != EOF) text += static_cast<char>(c);
        return text;
    }
    FILE* file;
};

struct AllKinds {
    bool flag = false;
    int number = 7;
    float real = 1.5f;
    float triple[3] = {1, 2, 3};
    String text = "start";
    int pair[2] = {1, 2};
    int rect[4] = {0, 0, 640, 480};
    float quad[4] = {0.1f, 0.2f, 0.3f, 0.4f};
    Material material;
    float colour[4] = {1, 1, 1, 1};
    char key = 'E';

    void registerAll(PropertyTable& table)
    {
        table.registerEntry("flag", PropertyKind::Bool, &flag);
        table.registerEntry("number", PropertyKind::Int, &number);
        table.registerEntry("real", PropertyKind::Float, &real);
        table.registerEntry("triple", PropertyKind::Float3, triple);
        table.registerEntry("text", PropertyKind::Text, &text);
        table.registerEntry("pair", PropertyKind::Int2, pair);
        table.registerEntry("rect", PropertyKind::Int4, rect);
        table.registerEntry("quad", PropertyKind::Float4, quad);
        table.registerEntry("material", PropertyKind::MaterialKind, &material);
        table.registerEntry("colour", PropertyKind::Colour, colour);
        table.registerEntry("key", PropertyKind::Char, &key);
    }
};

std::string writeTable(const PropertyTable& table)
{
    MemoryFile out;
    table.writeAll(out.file);
    return out.contents();
}

void readText(const PropertyTable& table, const std::string& text)
{
    MemoryFile in(text);
    table.readAll(in.file);
}

}  // namespace

TEST(Tokenizer, Lines)
{
    struct Case {
        const char* line;
        bool carries;
        const char* key;
        std::vector<std::string> tokens;
    } cases[] = {
        {"", false, "", {}},
        {"   \t  ", false, "", {}},
        {"// fogNear 75", false, "", {}},
        {"   // comment after blanks", false, "", {}},
        {"fogNear", false, "fogNear", {}},
        {"fogNear     ", false, "fogNear", {}},
        {"fogNear      75", true, "fogNear", {"75"}},
        {"\tkey\t1\t2", true, "key", {"1", "2"}},
        {"path \"a b c\" next", true, "path", {"\"a b c\"", "next"}},
        {"path \"unterminated value", true, "path", {"\"unterminated value"}},
        {"many 1 2 3 4 5 6 7 8", true, "many", {"1", "2", "3", "4", "5", "6"}},
        {"crlf 5\r", true, "crlf", {"5"}},
        {"a//b 1", true, "a//b", {"1"}},
    };
    for (const Case& c : cases) {
        LineRecord record;
        EXPECT_EQ(tokenizeLine(std::string(c.line), record), c.carries) << c.line;
        if (!c.carries) continue;
        EXPECT_EQ(record.key, c.key) << c.line;
        ASSERT_EQ(record.tokenCount, static_cast<int>(c.tokens.size())) << c.line;
        for (size_t i = 0; i < c.tokens.size(); ++i) EXPECT_EQ(record.tokens[i], c.tokens[i]) << c.line;
    }
}

TEST(PropertyTable, WritesEveryKindInRegistrationOrder)
{
    AllKinds v;
    v.flag = true;
    v.material.colour[0] = v.material.colour[1] = v.material.colour[2] = 0.3f;
    v.material.textureName = "[HOME]Data/Textures/rock.tga";
    PropertyTable table;
    v.registerAll(table);
    EXPECT_EQ(writeTable(table), "flag 1\n"
                                 "number 7\n"
                                 "real 1.500000\n"
                                 "triple 1.000000 2.000000 3.000000\n"
                                 "text \"start\"\n"
                                 "pair 1 2\n"
                                 "rect 0 0 640 480\n"
                                 "quad 0.100000 0.200000 0.300000 0.400000\n"
                                 "material 4283190348 \"[HOME]Data/Textures/rock.tga\"\n"
                                 "colour 4294967295\n"
                                 "key E\n");
}

TEST(PropertyTable, ReadsEveryKind)
{
    AllKinds v;
    PropertyTable table;
    v.registerAll(table);
    readText(table, "flag 2\nnumber -12\nreal 0.25\ntriple 4 5 6\ntext \"two words\"\npair 3 4\n"
                    "rect 10 20 30 40\nquad 1 2 3 4\nmaterial 4283190348\ncolour 2147483648\nkey Wx\n");
    EXPECT_TRUE(v.flag);
    EXPECT_EQ(v.number, -12);
    EXPECT_FLOAT_EQ(v.real, 0.25f);
    EXPECT_FLOAT_EQ(v.triple[2], 6.0f);
    EXPECT_EQ(v.text, "two words");
    EXPECT_EQ(v.pair[1], 4);
    EXPECT_EQ(v.rect[3], 40);
    EXPECT_FLOAT_EQ(v.quad[3], 4.0f);
    EXPECT_FLOAT_EQ(v.material.colour[0], 76.0f / 255.0f);
    EXPECT_FLOAT_EQ(v.material.colour[3], 1.0f);
    EXPECT_FLOAT_EQ(v.colour[3], 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(v.colour[0], 0.0f);
    EXPECT_EQ(v.key, 'W');
    // A bool read as 2 is written back as 1.
    EXPECT_NE(writeTable(table).find("flag 1\n"), std::string::npos);
}

TEST(PropertyTable, RoundTripKeepsEveryValue)
{
    AllKinds a;
    a.flag = true;
    a.number = -2147483647 - 1;
    a.real = 123.456f;
    a.text = "Maps/long name.map";
    a.rect[0] = -5;
    a.material.colour[1] = 0.5f;
    a.material.textureName = "tex.png";
    a.colour[2] = 0.25f;
    a.key = 'Z';
    PropertyTable tableA;
    a.registerAll(tableA);
    std::string written = writeTable(tableA);

    AllKinds b;
    PropertyTable tableB;
    b.registerAll(tableB);
    readText(tableB, written);
    EXPECT_EQ(writeTable(tableB), written);
    EXPECT_EQ(b.number, a.number);
    EXPECT_EQ(b.text, a.text);
    EXPECT_EQ(b.material.textureName, "tex.png");
}

TEST(PropertyTable, UnparsableOrMissingTokensKeepValues)
{
    AllKinds v;
    PropertyTable table;
    v.registerAll(table);
    readText(table, "number abc\nreal x\nrect 1 2\ntriple 9\nflag\nunknown 5\ncolour -\n");
    EXPECT_EQ(v.number, 7);
    EXPECT_FLOAT_EQ(v.real, 1.5f);
    EXPECT_EQ(v.rect[0], 1);
    EXPECT_EQ(v.rect[1], 2);
    EXPECT_EQ(v.rect[2], 640);
    EXPECT_EQ(v.rect[3], 480);
    EXPECT_FLOAT_EQ(v.triple[0], 9.0f);
    EXPECT_FLOAT_EQ(v.triple[1], 2.0f);
    EXPECT_FALSE(v.flag);
    EXPECT_FLOAT_EQ(v.colour[0], 1.0f);
}

TEST(PropertyTable, NumbersBeyondTheirTypeAreClamped)
{
    AllKinds v;
    PropertyTable table;
    v.registerAll(table);
    readText(table, "number 99999999999999999999\nmaterial 99999999999\n");
    EXPECT_EQ(v.number, 2147483647);
    EXPECT_FLOAT_EQ(v.material.colour[0], 1.0f);
    readText(table, "number -99999999999999999999\n");
    EXPECT_EQ(v.number, -2147483647 - 1);
}

TEST(PropertyTable, FirstRegistrationWinsAndLastLineWins)
{
    int first = 1;
    int second = 2;
    PropertyTable table;
    EXPECT_TRUE(table.registerEntry("LOD", PropertyKind::Int, &first));
    EXPECT_FALSE(table.registerEntry("LOD", PropertyKind::Int, &second));
    EXPECT_EQ(writeTable(table), "LOD 1\n");
    readText(table, "LOD 5\nlod 6\nLOD 9\n");
    EXPECT_EQ(first, 9);
    EXPECT_EQ(second, 2);
}

TEST(PropertyTable, LongLinesAreReadWholeAndLongKeysMatchNothing)
{
    String path;
    int value = 3;
    std::string longKey(32, 'k');
    PropertyTable table;
    table.registerEntry("detailtexture0", PropertyKind::Text, &path);
    table.registerEntry(longKey.c_str(), PropertyKind::Int, &value);
    std::string longPath = "\"/" + std::string(300, 'p') + "/grass.tga\"";
    readText(table, "detailtexture0 " + longPath + "\n" + longKey + " 8\n");
    EXPECT_EQ(path.length(), 300u + 11u);
    EXPECT_EQ(value, 3);
    std::string key31(31, 'q');
    table.registerEntry(key31.c_str(), PropertyKind::Int, &value);
    readText(table, key31 + " 8\n");
    EXPECT_EQ(value, 8);
}

TEST(PropertyTable, MaterialWithoutQuotedNameKeepsTexture)
{
    Material material;
    material.textureName = "grass.tga";
    PropertyTable table;
    table.registerEntry("palleteItem0", PropertyKind::MaterialKind, &material);
    readText(table, "palleteItem0 4278190080 unquoted\n");
    EXPECT_EQ(material.textureName, "grass.tga");
    EXPECT_FLOAT_EQ(material.colour[0], 0.0f);
    EXPECT_FLOAT_EQ(material.colour[3], 1.0f);
}

TEST(PropertyTable, MaterialTextureGoesThroughTheLoader)
{
    static std::string requested;
    SetMaterialTextureLoader([](const char* name) -> GlTexture* {
        requested = name;
        return nullptr;
    });
    Material material;
    PropertyTable table;
    table.registerEntry("background", PropertyKind::MaterialKind, &material);
    readText(table, "background 4294967295 \"[HOME]Data/sky.png\"\n");
    SetMaterialTextureLoader(nullptr);
    EXPECT_EQ(requested, "[HOME]Data/sky.png");
    EXPECT_EQ(material.textureName, "[HOME]Data/sky.png");
    EXPECT_EQ(material.texture, nullptr);
}

TEST(PackedColour, ClampsAndTruncates)
{
    struct Case {
        float rgba[4];
        uint32_t packed;
    } cases[] = {
        {{1, 1, 1, 1}, 4294967295u},
        {{0.3f, 0.3f, 0.3f, 1}, 0xFF4C4C4Cu},
        {{1.2f, 0, 0, 0}, 0x00FF0000u},
        {{-1, 0.5f, 0, 1}, 0xFF007F00u},
        {{0, 0, 0, 128.0f / 255.0f}, 0x80000000u},
    };
    for (const Case& c : cases) EXPECT_EQ(PackColour(c.rgba), c.packed);
    float rgba[4];
    UnpackColour(0xFF4C4C4Cu, rgba);
    EXPECT_EQ(PackColour(rgba), 0xFF4C4C4Cu);
}

TEST(PropertyTable, ReadUntilStopsAtKeyAndHandsItBack)
{
    int size = 0;
    int after = 0;
    PropertyTable table;
    table.registerEntry("mapHeight", PropertyKind::Int, &size);
    table.registerEntry("after", PropertyKind::Int, &after);
    MemoryFile in("mapHeight 300\nobject \"tree.obx\"\nafter 5\n");
    LineRecord stop;
    EXPECT_TRUE(table.readUntil(in.file, "object", stop));
    EXPECT_EQ(size, 300);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(stop.key, "object");
    EXPECT_EQ(stop.tokens[0], "\"tree.obx\"");
    std::string rest;
    ASSERT_TRUE(readWholeLine(in.file, rest));
    EXPECT_EQ(rest, "after 5");
    MemoryFile none("mapHeight 1\n");
    EXPECT_FALSE(table.readUntil(none.file, "object", stop));
}

TEST(PropertyTable, BinaryGarbageChangesNothingRegistered)
{
    int value = 4;
    PropertyTable table;
    table.registerEntry("value", PropertyKind::Int, &value);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    readText(table, garbage);
    readText(table, std::string("value\0 9\n", 9));
    EXPECT_EQ(value, 4);
}
