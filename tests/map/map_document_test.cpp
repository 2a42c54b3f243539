#include "map/map_document.h"

#include "image/image.h"
#include "map/heightmap_io.h"
#include "shared/program_folder.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "texturing/texture_layers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
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

std::set<std::string> filesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

// Each test gets a program folder and a map folder of its own.
class MapDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = fs::temp_directory_path() / (std::string("glebora-map-") + info->test_suite_name() + "-" + info->name());
        fs::remove_all(root);
        fs::create_directories(root / "program");
        fs::create_directories(root / "maps");
        SetProgramFolder((root / "program").c_str());
    }
    void TearDown() override
    {
        SetProgramFolder(nullptr);
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(root);
    }

    NewMapParameters smallParams(int divisions = 0)
    {
        NewMapParameters params;
        params.size = 65;
        params.divisions = divisions;
        params.colorMapSize = params.detailMapSize = params.lightMapSize = 128;
        return params;
    }

    std::string mapPath(const char* name) { return (root / "maps" / name).string(); }

    fs::path root;
    LightAndFog lightAndFog;
    WaterSettings water;
};

}  // namespace

TEST_F(MapDocumentTest, NewMapTextMatchesGolden)
{
    MapDocument document(lightAndFog, &water);
    ASSERT_TRUE(document.NewMap(smallParams()));
    ASSERT_TRUE(document.Save(mapPath("golden.map").c_str()));
    std::string golden = readFile(fs::path(GLEBORA_TEST_DATA) / "maps" / "new_map.map");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(readFile(mapPath("golden.map")), golden);
}

TEST_F(MapDocumentTest, SaveLoadRoundTripForEveryTiling)
{
    struct Case {
        int divisions;
        int details;
        bool colourLight;
        std::vector<std::string> expectedFiles;
    } cases[] = {
        {0, 4, false, {"m.map", "m.png", "m_c.png", "m_d.png", "m_l.png"}},
        {1, 8, false, {"m.map", "m.png", "m_c0.png", "m_c3.png", "m_d0.png", "m_d3.png", "m_dd0.png", "m_dd3.png", "m_l3.png"}},
        {2, 4, true, {"m.map", "m.png", "m_c15.png", "m_d15.png", "m_l15.png"}},
    };
    for (const Case& c : cases) {
        fs::remove_all(root / "maps");
        fs::create_directories(root / "maps");
        {
            MapDocument document(lightAndFog, &water);
            NewMapParameters params = smallParams(c.divisions);
            params.detailCount = c.details;
            params.colorLightmap = c.colourLight;
            ASSERT_TRUE(document.NewMap(params));
            Heightfield& h = document.heightfield();
            h.setHeight(3, 5, 40.0f);
            h.setHeight(64, 64, 65.0f);
            h.setHeight(0, 0, -10.0f);  // below zero must clamp, never wrap into a spike
            ASSERT_TRUE(document.Save(mapPath("m.map").c_str()));
        }
        std::set<std::string> files = filesIn(root / "maps");
        for (const std::string& expected : c.expectedFiles) EXPECT_TRUE(files.count(expected)) << expected;
        if (c.details == 4) {
            EXPECT_FALSE(files.count("m_dd.png") || files.count("m_dd0.png"));
        }

        MapDocument loaded(lightAndFog, &water);
        String error;
        ASSERT_TRUE(loaded.Load(mapPath("m.map").c_str(), &error)) << error.c_str();
        const Heightfield& h = loaded.heightfield();
        EXPECT_EQ(h.size(), 65);
        EXPECT_EQ(h.divisions, c.divisions);
        // trunc(h * 65536 / scale) read back as value * scale / 65535.
        EXPECT_FLOAT_EQ(h.height(3, 5), static_cast<float>(static_cast<int>(40.0f / (65.0f / 65536.0f))) * 65.0f / 65535.0f);
        EXPECT_FLOAT_EQ(h.height(64, 64), 65.0f);
        EXPECT_FLOAT_EQ(h.height(0, 0), 0.0f);
        EXPECT_EQ(loaded.layers().detailCount, c.details);
        EXPECT_EQ(loaded.layers().colouredLightmap, c.colourLight);
        EXPECT_EQ(loaded.mapName(), "m");
        EXPECT_EQ(loaded.fileName(), "m.map");
    }
}

TEST_F(MapDocumentTest, MapNameKeyDecidesWhichPicturesLoad)
{
    {
        MapDocument document(lightAndFog, &water);
        ASSERT_TRUE(document.NewMap(smallParams()));
        document.heightfield().setHeight(1, 1, 30.0f);
        ASSERT_TRUE(document.Save(mapPath("island.map").c_str()));
    }
    // A second file whose mapname names the first map's pictures.
    std::string text = readFile(mapPath("island.map"));
    writeFile(mapPath("copy.map"), text);
    MapDocument loaded(lightAndFog, &water);
    ASSERT_TRUE(loaded.Load(mapPath("copy.map").c_str()));
    EXPECT_EQ(loaded.mapName(), "island");
    EXPECT_NEAR(loaded.heightfield().height(1, 1), 30.0f, 0.01f);

    // Save As with a dotted name keeps the other map's pictures untouched.
    std::string before = readFile(mapPath("island.png"));
    loaded.heightfield().setHeight(1, 1, 5.0f);
    ASSERT_TRUE(loaded.Save(mapPath("island.v2.map").c_str()));
    EXPECT_EQ(loaded.mapName(), "island.v2");
    EXPECT_TRUE(fs::exists(mapPath("island.v2.png")));
    EXPECT_EQ(readFile(mapPath("island.png")), before);
    EXPECT_NE(readFile(mapPath("island.v2.map")).find("mapname \"island.v2\""), std::string::npos);
}

TEST_F(MapDocumentTest, KeysMissingFromAFileKeepThePreviousValues)
{
    MapDocument document(lightAndFog, &water);
    ASSERT_TRUE(document.NewMap(smallParams()));
    ASSERT_TRUE(document.Save(mapPath("plain.map").c_str()));
    std::string text = readFile(mapPath("plain.map"));
    std::string withoutWater;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("water", 0) != 0) withoutWater += line + "\n";
    writeFile(mapPath("plain.map"), withoutWater);

    water.enabled = true;
    water.height = 33.0f;
    ASSERT_TRUE(document.Load(mapPath("plain.map").c_str()));
    EXPECT_TRUE(water.enabled);
    EXPECT_FLOAT_EQ(water.height, 33.0f);
    // New resets them.
    ASSERT_TRUE(document.NewMap(smallParams()));
    EXPECT_FALSE(water.enabled);
}

TEST_F(MapDocumentTest, BadHeightmapsFailWithTheFileAndReason)
{
    MapDocument document(lightAndFog, &water);
    ASSERT_TRUE(document.NewMap(smallParams()));
    ASSERT_TRUE(document.Save(mapPath("bad.map").c_str()));
    std::string picture = mapPath("bad.png");

    struct Case {
        const char* name;
        int width;
        int height;
        bool remove;
    } cases[] = {
        {"missing", 0, 0, true},
        {"not square", 65, 33, false},
        {"not 2^k+1", 64, 64, false},
    };
    for (const Case& c : cases) {
        fs::remove(picture);
        if (!c.remove) {
            Image bad(new unsigned char[static_cast<size_t>(c.width) * c.height * 2](), c.width, c.height, 2,
                      picture.c_str());
            ASSERT_TRUE(bad.Save());
        }
        MapDocument loaded(lightAndFog, &water);
        String error;
        EXPECT_FALSE(loaded.Load(mapPath("bad.map").c_str(), &error)) << c.name;
        EXPECT_NE(std::string(error.c_str()).find("bad.png"), std::string::npos) << c.name << ": " << error.c_str();
    }
    MapDocument none(lightAndFog, &water);
    EXPECT_FALSE(none.Load(mapPath("nothing-here.map").c_str()));
}

TEST_F(MapDocumentTest, ValuesThatBreakTheGridAreReplaced)
{
    MapDocument document(lightAndFog, &water);
    ASSERT_TRUE(document.NewMap(smallParams()));
    ASSERT_TRUE(document.Save(mapPath("odd.map").c_str()));
    std::string text = readFile(mapPath("odd.map"));
    text += "mapHeight 0\ndivisions 7\ncolorMapSize 1\ndetailScales -1 10 10 10\n";
    writeFile(mapPath("odd.map"), text);
    MapDocument loaded(lightAndFog, &water);
    String messages;
    ASSERT_TRUE(loaded.Load(mapPath("odd.map").c_str(), &messages));
    EXPECT_FLOAT_EQ(loaded.heightfield().heightScale, 65.0f);
    EXPECT_EQ(loaded.heightfield().divisions, 0);
    EXPECT_FLOAT_EQ(loaded.layers().detailScales[0], 10.0f);
    EXPECT_NE(std::string(messages.c_str()).find("mapHeight"), std::string::npos);
}

TEST_F(MapDocumentTest, FailedSaveKeepsThePreviousMapByteIdentical)
{
    MapDocument document(lightAndFog, &water);
    ASSERT_TRUE(document.NewMap(smallParams()));
    ASSERT_TRUE(document.Save(mapPath("keep.map").c_str()));
    std::map<std::string, std::string> before;
    for (const std::string& name : filesIn(root / "maps")) before[name] = readFile(root / "maps" / name);

    // A folder where the colour map should go makes that picture unwritable.
    fs::remove(mapPath("keep_c.png"));
    fs::create_directories(mapPath("keep_c.png"));
    before.erase("keep_c.png");
    document.heightfield().setHeight(2, 2, 50.0f);
    String error;
    EXPECT_FALSE(document.Save(mapPath("keep.map").c_str(), &error));
    EXPECT_NE(std::string(error.c_str()).find("keep_c.png"), std::string::npos) << error.c_str();
    for (const auto& [name, bytes] : before) EXPECT_EQ(readFile(root / "maps" / name), bytes) << name;
    for (const std::string& name : filesIn(root / "maps")) EXPECT_EQ(name.find(".saving-"), std::string::npos) << name;
}

TEST_F(MapDocumentTest, ObjectEntriesAreFramedPerObject)
{
    struct Recorder : MapObjectReader {
        bool beginObject(const char* type) override
        {
            objects.push_back({type, {}});
            return std::string(type) != "unknown.obx";
        }
        void applyLine(const LineRecord& line) override { objects.back().second.push_back(line.key); }
        std::vector<std::pair<std::string, std::vector<std::string>>> objects;
    } recorder;

    MapDocument document(lightAndFog, &water);
    ASSERT_TRUE(document.NewMap(smallParams()));
    ASSERT_TRUE(document.Save(mapPath("obj.map").c_str()));
    std::string text = readFile(mapPath("obj.map"));
    text += "object \"tree.obx\"\nposition 1 2 3\nangles 0 90 0\nobject unknown.obx\nposition 5 5 5\n"
            "object rock.obx\n\nscale 2\n";
    writeFile(mapPath("obj.map"), text);
    MapDocument loaded(lightAndFog, &water);
    loaded.setObjectReader(&recorder);
    ASSERT_TRUE(loaded.Load(mapPath("obj.map").c_str()));
    ASSERT_EQ(recorder.objects.size(), 3u);
    EXPECT_EQ(recorder.objects[0].first, "tree.obx");
    EXPECT_EQ(recorder.objects[0].second, (std::vector<std::string>{"position", "angles"}));
    EXPECT_TRUE(recorder.objects[1].second.empty());
    EXPECT_EQ(recorder.objects[2].second, (std::vector<std::string>{"scale"}));
    // Saving writes no object entries.
    ASSERT_TRUE(loaded.Save(mapPath("obj.map").c_str()));
    EXPECT_EQ(readFile(mapPath("obj.map")).find("object"), std::string::npos);
}

TEST_F(MapDocumentTest, ExportByExtension)
{
    MapDocument document(lightAndFog, &water);
    NewMapParameters params = smallParams();
    params.size = 65;
    ASSERT_TRUE(document.NewMap(params));
    Heightfield& h = document.heightfield();
    h.setHeight(0, 0, 65.0f);

    ASSERT_TRUE(ExportHeightmap(h, mapPath("h.png").c_str()));
    Image png;
    png.Force8BitDepth(false);
    ASSERT_TRUE(png.Load(mapPath("h.png").c_str()));
    EXPECT_EQ(png.m_bytesPerPixel, 2);
    EXPECT_EQ(png.m_data[0] | png.m_data[1] << 8, 65535);

    ASSERT_TRUE(ExportHeightmap(h, mapPath("h.TGA").c_str()));
    Image tga;
    ASSERT_TRUE(tga.Load(mapPath("h.TGA").c_str()));
    EXPECT_EQ(tga.m_bytesPerPixel, 1);
    EXPECT_EQ(tga.m_data[0], 255);
    EXPECT_EQ(tga.m_data[1], static_cast<unsigned char>(16.25f / (65.0f / 256.0f)));

    String error;
    EXPECT_FALSE(ExportHeightmap(h, mapPath("h.bmp").c_str(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ExportHeightmap(h, mapPath("noextension").c_str(), &error));
    EXPECT_FALSE(fs::exists(mapPath("h.bmp")));
    EXPECT_FALSE(fs::exists(mapPath("noextension")));
    EXPECT_FALSE(ExportHeightmap(h, (root / "no-such-folder" / "h.png").c_str(), &error));
}

TEST_F(MapDocumentTest, ObjWritesEveryVertexAndTwoFacesPerCell)
{
    Heightfield h;
    NewMapParameters params;
    params.size = 3;
    params.colorMapSize = params.detailMapSize = params.lightMapSize = 128;
    ASSERT_TRUE(h.Create(params));
    ASSERT_TRUE(WriteObj(h, mapPath("t.obj").c_str()));
    std::string text = readFile(mapPath("t.obj"));
    EXPECT_EQ(text.rfind("#terrain\n\n g terrain\n", 0), 0u);
    EXPECT_NE(text.find("v 0.0000 16.2500 0.0000\nv 1.0000 16.2500 0.0000\n"), std::string::npos);
    size_t vertices = 0, faces = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        vertices += line.rfind("v ", 0) == 0;
        faces += line.rfind("f ", 0) == 0;
    }
    EXPECT_EQ(vertices, 9u);
    EXPECT_EQ(faces, 8u);
    EXPECT_NE(text.find("f 1 4 2\nf 2 4 5\n"), std::string::npos);
}
