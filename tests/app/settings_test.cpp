// Glebora.ini: defaults, the exact text written, the window rectangle and
// the relative map path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/editor_app.h"
#include "app/shell.h"
#include "camera/camera.h"
#include "shared/program_folder.h"
#include "tools/tool_controller.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Each test gets its own program folder and a fresh shell state.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("glebora_settings_" + std::to_string(::getpid()) + "_" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_previousFolder = ProgramFolder().c_str();
        SetProgramFolder((m_folder.string() + "/").c_str());
        Shell() = ShellState{};
    }

    void TearDown() override
    {
        SetProgramFolder(m_previousFolder.c_str());
        fs::remove_all(m_folder);
    }

    // Starts an application the way the entry does, with the given file.
    std::unique_ptr<EditorApp> start(const std::string* iniText = nullptr)
    {
        if (iniText) writeText(m_folder / "Glebora.ini", *iniText);
        auto app = std::make_unique<EditorApp>();
        app->createToolController();
        app->loadSettings("Glebora.ini");
        return app;
    }

    std::string written() { return readText(m_folder / "Glebora.ini"); }

    fs::path m_folder;
    std::string m_previousFolder;
};

TEST_F(SettingsFile, MissingFileGivesDefaultsAndShowsKeyControls)
{
    auto app = start();
    const ShellState& shell = Shell();
    EXPECT_EQ(shell.windowX, 0);
    EXPECT_EQ(shell.windowY, 0);
    EXPECT_EQ(shell.viewWidth, 640);
    EXPECT_EQ(shell.viewHeight, 480);
    EXPECT_TRUE(shell.keyControlsShown);
    EXPECT_TRUE(app->mapPath.empty());
    EXPECT_EQ(app->camera().keyForward, 'E');
    EXPECT_EQ(app->toolController()->lodSetting, 8);
    EXPECT_FLOAT_EQ(app->toolController()->terraformBrushes[7].radius, 20.0f);
}

TEST_F(SettingsFile, DefaultsAreWrittenExactlyInRegistrationOrder)
{
    start().reset();  // the destructor saves
    EXPECT_EQ(written(), readText(fs::path(GLEBORA_TEST_DATA) / "settings" / "default_glebora.ini"));
}

TEST_F(SettingsFile, ValuesSurviveARoundTrip)
{
    std::string text = "map \"Maps/island.map\"\n"
                       "windowDimensions 50 60 1074 828\n"
                       "firstTime 0\n"
                       "key-Forward W\n"
                       "toolbarPosition 12 -30\n"
                       "cameraSpeed 1.5\n"
                       "terraform_smooth_radius 33.5\n"
                       "detail_Detail8_strength 0.25\n"
                       "palleteItem27 4283190348 \"[HOME]Data/Textures/rock.tga\"\n";
    start(&text).reset();
    auto again = start();
    EXPECT_STREQ(again->mapPath.c_str(), "Maps/island.map");
    EXPECT_EQ(Shell().windowX, 50);
    EXPECT_EQ(Shell().viewWidth, 1024);
    EXPECT_EQ(Shell().viewHeight, 768);
    EXPECT_FALSE(Shell().keyControlsShown);
    EXPECT_EQ(again->camera().keyForward, 'W');
    EXPECT_EQ(again->toolController()->toolbarPosition.y, -30);
    EXPECT_FLOAT_EQ(again->camera().speedFactor, 1.5f);
    EXPECT_FLOAT_EQ(again->toolController()->terraformBrushes[4].radius, 33.5f);
    EXPECT_FLOAT_EQ(again->toolController()->detailBrushes[7].strength, 0.25f);
    EXPECT_STREQ(again->toolController()->palette[27].textureName.c_str(), "[HOME]Data/Textures/rock.tga");
    std::string out = written();
    EXPECT_NE(out.find("windowDimensions 50 60 1074 828\n"), std::string::npos) << out;
    EXPECT_NE(out.find("palleteItem27 4283190348 \"[HOME]Data/Textures/rock.tga\"\n"), std::string::npos);
}

// The window keeps its size from run to run: what is written is read back
// as the same rectangle, run after run.
TEST_F(SettingsFile, WindowRectangleIsStable)
{
    std::string text = "windowDimensions 100 120 900 720\n";
    start(&text).reset();
    for (int run = 0; run < 3; ++run) start().reset();
    EXPECT_NE(written().find("windowDimensions 100 120 900 720\n"), std::string::npos);
    EXPECT_EQ(Shell().viewWidth, 800);
    EXPECT_EQ(Shell().viewHeight, 600);
}

TEST_F(SettingsFile, FullscreenIsAlwaysWrittenAsZero)
{
    std::string text = "fullscreen 1\n";
    auto app = start(&text);
    EXPECT_TRUE(Shell().fullscreen);  // read as written; the entry resets it before the window exists
    Shell().fullscreen = false;
    app.reset();
    EXPECT_NE(written().find("fullscreen 0\n"), std::string::npos);
}

TEST_F(SettingsFile, NonsenseValuesFallBackToDefaults)
{
    std::string text = "windowDimensions 200 200 100 100\n"
                       "LOD 0\n"
                       "maxTerrainHeight -5\n"
                       "maxClippingPlane 0\n"
                       "toolMaxRadius nan\n"
                       "terraformStrengthMultiplier 0\n"
                       "cameraSpeed -1\n"
                       "terraform_raise_radius 0\n"
                       "terraform_lower_radius -3\n"
                       "terraform_level_strength 7\n"
                       "color_Color2_softness inf\n"
                       "key-Left s\n"
                       "detail_Detail1_radius 12abc\n";
    auto app = start(&text);
    ToolController& tools = *app->toolController();
    EXPECT_EQ(Shell().viewWidth, 640);
    EXPECT_EQ(Shell().viewHeight, 480);
    EXPECT_EQ(tools.lodSetting, 8);
    EXPECT_FLOAT_EQ(tools.maxTerrainHeight, 300.0f);
    EXPECT_FLOAT_EQ(tools.maxClippingPlane, 2000.0f);
    EXPECT_FLOAT_EQ(tools.toolMaxRadius, 100.0f);
    EXPECT_FLOAT_EQ(tools.terraformStrengthMultiplier, 100.0f);
    EXPECT_FLOAT_EQ(app->camera().speedFactor, 1.0f);
    EXPECT_FLOAT_EQ(tools.terraformBrushes[0].radius, 20.0f);
    EXPECT_FLOAT_EQ(tools.terraformBrushes[1].radius, 20.0f);
    EXPECT_FLOAT_EQ(tools.terraformBrushes[2].strength, 0.5f);
    EXPECT_FLOAT_EQ(tools.colourBrushes[1].softness, 1.0f);
    EXPECT_EQ(app->camera().keyLeft, 'S');
    EXPECT_TRUE(std::isfinite(tools.detailBrushes[0].radius));
}

TEST_F(SettingsFile, HostileFilesLeaveDefaults)
{
    std::string binary("\x00\xff\x7f\x01LOD\x00 9\n\x89PNG\r\n\x1a\n", 20);
    std::string longLine = "map \"" + std::string(5000, 'x') + "\"\n";
    std::string unterminated = "map \"Maps/no end\nLOD 12\n";
    std::string longKey = std::string(40, 'k') + " 1\n" + "terraform_raise_radius_and_far_too_long 5\n";
    for (const std::string* text : {&binary, &longLine, &unterminated, &longKey}) {
        Shell() = ShellState{};
        auto app = start(text);
        EXPECT_EQ(Shell().viewWidth, 640);
        EXPECT_FLOAT_EQ(app->toolController()->terraformBrushes[0].radius, 20.0f);
    }
    // A long value is read whole, not in pieces.
    Shell() = ShellState{};
    auto app = start(&longLine);
    EXPECT_EQ(app->mapPath.length(), 5000u);
}

TEST_F(SettingsFile, UnwritableFolderWritesNothing)
{
    fs::create_directories(m_folder / "Glebora.ini");  // a folder where the file should be
    auto app = start();
    EXPECT_FALSE(app->saveSettings("Glebora.ini"));
    EXPECT_TRUE(fs::is_directory(m_folder / "Glebora.ini"));
    EXPECT_FALSE(fs::exists(m_folder / "Glebora.ini.tmp"));
}

TEST(WindowRect, UsableRectangles)
{
    std::vector<ScreenRect> oneScreen = {{0, 0, 1600, 1000}};
    std::vector<ScreenRect> twoScreens = {{0, 0, 1600, 1000}, {1600, 0, 1920, 1080}};
    struct Case {
        int rect[4];
        const std::vector<ScreenRect>* screens;
        bool usable;
    };
    const std::vector<ScreenRect> none;
    const Case cases[] = {
        {{0, 0, 640, 480}, &oneScreen, true},
        {{10, 20, 11, 21}, &oneScreen, true},          // tiny but on screen
        {{-5, 0, 640, 480}, &oneScreen, false},        // negative left
        {{0, -1, 640, 480}, &oneScreen, false},        // negative top
        {{100, 100, 100, 300}, &oneScreen, false},     // no width
        {{100, 100, 50, 300}, &oneScreen, false},      // negative width
        {{0, 0, 0, 0}, &oneScreen, false},
        {{3000, 100, 3600, 500}, &oneScreen, false},   // off every screen
        {{3000, 100, 3600, 500}, &twoScreens, true},   // on the second screen
        {{1590, 990, 2000, 1200}, &oneScreen, false},  // 10 x 10 pixels showing
        {{1500, 900, 2000, 1200}, &oneScreen, true},
        {{0, 0, 20000, 480}, &oneScreen, false},       // absurd size
        {{2147483000, 0, 2147483647, 10}, &none, true}, // screens unknown: size rules only
        {{0, 0, 2147483647, 2147483647}, &none, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowRectUsable(c.rect, *c.screens), c.usable)
            << c.rect[0] << " " << c.rect[1] << " " << c.rect[2] << " " << c.rect[3];
}

TEST(WindowRect, WrittenRectangleClampsNegativeCorner)
{
    int rect[4];
    WindowRectFromGeometry(-8, -30, 800, 600, rect);
    EXPECT_EQ(rect[0], 0);
    EXPECT_EQ(rect[1], 0);
    EXPECT_EQ(rect[2], 800);
    EXPECT_EQ(rect[3], 600);
}

TEST(WindowRect, MaximizedRule)
{
    EXPECT_TRUE(OpensMaximized(1600, 926, 1600, 1000));
    EXPECT_FALSE(OpensMaximized(1600, 925, 1600, 1000));
    EXPECT_FALSE(OpensMaximized(1599, 1000, 1600, 1000));
    EXPECT_FALSE(OpensMaximized(640, 480, 800, 600));
}

TEST(MapSetting, RelativeInsideTheProgramFolderOnly)
{
    struct Case {
        const char* folder;
        const char* file;
        const char* stored;
    };
    const Case cases[] = {
        {"/opt/glebora/Maps/", "island.map", "Maps/island.map"},
        {"/opt/glebora/", "island.map", "island.map"},
        {"/home/artist/maps/", "island.map", "/home/artist/maps/island.map"},
        // The folder's text elsewhere in a path is part of that path.
        {"/data/opt/glebora/maps/", "a.map", "/data/opt/glebora/maps/a.map"},
        {"/opt/glebora-old/", "a.map", "/opt/glebora-old/a.map"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(MapPathForSettings(c.folder, c.file, "/opt/glebora/").c_str(), c.stored) << c.folder;
    // Files from other systems: a separator left at the front goes with
    // the blanks after it.
    EXPECT_STREQ(MapPathForSettings("C:\\glebora\\\\  Maps\\", "a.map", "C:\\glebora\\").c_str(), "Maps\\a.map");
}

}  // namespace
