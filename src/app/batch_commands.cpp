#include "app/batch_commands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "image/image.h"
#include "map/heightmap_io.h"
#include "map/map_document.h"
#include "map/scene_settings.h"
#include "shared/string.h"
#include "terrain/heightfield.h"
#include "terrain/new_map_parameters.h"
#include "texturing/texture_layers.h"
#include "tools/brush.h"
#include "tools/paint.h"
#include "tools/terraform.h"

namespace {

constexpr const char* kUsage =
    "usage: glebora --batch COMMAND ...\n"
    "  new OUT.map [--size N] [--divisions D] [--colormap S] [--detailmap S] [--lightmap S]\n"
    "              [--details 4|8] [--rgb-lightmap]\n"
    "  info MAP\n"
    "  import-heightmap MAP PICTURE\n"
    "  export-heightmap MAP OUT.png|OUT.tga|OUT.obj\n"
    "  brush MAP TOOL X Z [--y H] [--radius R] [--softness S] [--amount A] [--strength S]\n"
    "        [--to X2 Z2]... [--times N]\n"
    "        TOOL: raise, lower, level, smooth, erode, push, ramp, point\n"
    "  paint-detail MAP SLOT X Z [--radius R] [--softness S] [--amount A] [--noise N]\n"
    "               [--height H --height-range R] [--slopes 0101] [--times N]\n"
    "  paint-color MAP AARRGGBB X Z [same options] [--texture PICTURE --scale S]\n"
    "  lightmap MAP [--no-shadows]\n";

// Positional arguments and --options of one command line.
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options;

    bool has(const char* name) const { return options.count(name) != 0; }
    const char* value(const char* name, const char* fallback = nullptr) const
    {
        auto found = options.find(name);
        return found == options.end() || found->second.empty() ? fallback : found->second.back().c_str();
    }
};

struct BatchError {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw BatchError{message}; }

// Options that take no value; every other option takes exactly one.
bool isFlag(const std::string& name) { return name == "--rgb-lightmap" || name == "--no-shadows"; }

Arguments parse(int argc, char** argv, int valueCount(const std::string&))
{
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word.rfind("--", 0) != 0) {
            args.positional.push_back(word);
            continue;
        }
        int count = isFlag(word) ? 0 : valueCount(word);
        std::vector<std::string>& values = args.options[word];
        for (int k = 0; k < count; ++k) {
            if (i + 1 >= argc) fail("option " + word + " needs a value");
            values.push_back(argv[++i]);
        }
    }
    return args;
}

int oneValue(const std::string&) { return 1; }

int brushValues(const std::string& name) { return name == "--to" ? 2 : 1; }

float parseFloat(const char* text, const char* what)
{
    char* end = nullptr;
    float value = text ? std::strtof(text, &end) : 0.0f;
    if (!text || end == text || *end != '\0' || !std::isfinite(value))
        fail(std::string(what) + " must be a number, not \"" + (text ? text : "") + "\"");
    return value;
}

int parseInt(const char* text, const char* what)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!text || end == text || *end != '\0' || value < -1000000000L || value > 1000000000L)
        fail(std::string(what) + " must be a whole number, not \"" + (text ? text : "") + "\"");
    return static_cast<int>(value);
}

// Paths on the command line are relative to where the user started the
// program; the editor itself changes folders while it loads and saves.
std::filesystem::path g_startFolder;

std::string absolute(const std::string& path)
{
    std::filesystem::path given(path);
    return given.is_absolute() ? given.string() : (g_startFolder / given).lexically_normal().string();
}

struct OpenMap {
    LightAndFog lightAndFog;
    WaterSettings water;
    MapDocument document{lightAndFog, &water};
};

std::unique_ptr<OpenMap> loadMap(const std::string& path)
{
    auto map = std::make_unique<OpenMap>();
    String error;
    if (!map->document.Load(absolute(path).c_str(), &error)) fail(error.c_str());
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    return map;
}

void saveMap(OpenMap& map, const std::string& path)
{
    String error;
    if (!map.document.Save(absolute(path).c_str(), &error)) fail(error.c_str());
}

int commandNew(const Arguments& args)
{
    if (args.positional.size() != 1) fail("new needs one output file: new OUT.map [options]");
    NewMapParameters params;
    params.size = parseInt(args.value("--size", "513"), "--size");
    params.divisions = parseInt(args.value("--divisions", "0"), "--divisions");
    params.colorMapSize = parseInt(args.value("--colormap", "512"), "--colormap");
    params.detailMapSize = parseInt(args.value("--detailmap", "512"), "--detailmap");
    params.lightMapSize = parseInt(args.value("--lightmap", "512"), "--lightmap");
    params.detailCount = parseInt(args.value("--details", "4"), "--details");
    params.colorLightmap = args.has("--rgb-lightmap");
    if (params.detailCount != 4 && params.detailCount != 8) fail("--details must be 4 or 8");
    if (params.divisions < 0 || params.divisions > 2) fail("--divisions must be 0, 1 or 2");
    for (int size : {params.colorMapSize, params.detailMapSize, params.lightMapSize})
        if (size < 128 || size > 4096 || (size & (size - 1)) != 0)
            fail("layer sizes must be 128, 256, 512, 1024, 2048 or 4096");

    OpenMap map;
    String error;
    if (!map.document.NewMap(params, &error)) fail(error.c_str());
    saveMap(map, args.positional[0]);
    return 0;
}

int commandInfo(const Arguments& args)
{
    if (args.positional.size() != 1) fail("info needs one map: info MAP");
    auto map = loadMap(args.positional[0]);
    std::printf("%s\n", map->document.infoText().c_str());
    return 0;
}

int commandImportHeightmap(const Arguments& args)
{
    if (args.positional.size() != 2) fail("import-heightmap needs a map and a picture: import-heightmap MAP PICTURE");
    std::string picture = absolute(args.positional[1]);
    auto map = loadMap(args.positional[0]);
    String error;
    if (!map->document.heightfield().ImportHeightmap(picture.c_str(), &error))
        fail(std::string("Could not import ") + picture + ": " + error.c_str());
    saveMap(*map, args.positional[0]);
    return 0;
}

int commandExportHeightmap(const Arguments& args)
{
    if (args.positional.size() != 2) fail("export-heightmap needs a map and a target: export-heightmap MAP OUT");
    std::string target = absolute(args.positional[1]);
    auto map = loadMap(args.positional[0]);
    String error;
    if (!ExportHeightmap(map->document.heightfield(), target.c_str(), &error)) fail(error.c_str());
    return 0;
}

// One tool applied as the tool controller would apply it, with the amount
// passed straight to the algorithm.
int commandBrush(const Arguments& args)
{
    if (args.positional.size() != 4) fail("brush needs a map, a tool and a point: brush MAP TOOL X Z [options]");
    const std::string& tool = args.positional[1];
    float x = parseFloat(args.positional[2].c_str(), "X");
    float z = parseFloat(args.positional[3].c_str(), "Z");
    float radius = parseFloat(args.value("--radius", "20"), "--radius");
    float softness = parseFloat(args.value("--softness", "1"), "--softness");
    float strength = parseFloat(args.value("--strength", "0.5"), "--strength");
    float amount = parseFloat(args.value("--amount", "1"), "--amount");
    int times = parseInt(args.value("--times", "1"), "--times");
    if (times < 1 || times > 100000) fail("--times must be between 1 and 100000");
    if (!(radius > 0.0f)) fail("--radius must be positive");
    if (softness < 0.0f || softness > 1.0f) fail("--softness must be between 0 and 1");

    std::vector<Vec3> targets;
    if (auto found = args.options.find("--to"); found != args.options.end())
        for (size_t i = 0; i + 1 < found->second.size(); i += 2)
            targets.push_back({parseFloat(found->second[i].c_str(), "--to X2"), 0.0f,
                               parseFloat(found->second[i + 1].c_str(), "--to Z2")});

    auto map = loadMap(args.positional[0]);
    Heightfield& field = map->document.heightfield();
    int last = field.size() - 1;
    if (x < 0.0f || z < 0.0f || x > static_cast<float>(last) || z > static_cast<float>(last))
        fail("the point " + args.positional[2] + " " + args.positional[3] + " is outside the map (0 to " +
             std::to_string(last) + ")");
    auto pointAt = [&](float px, float pz) { return Vec3{px, field.GetHeight(px, pz), pz}; };
    // The editor seeds the C random generator when its window opens, so a
    // batch run replays erosion the same way.
    std::srand(100);

    for (int i = 0; i < times; ++i) {
        Vec3 p = pointAt(x, z);
        if (tool == "raise") {
            Raise(field, p, radius, softness, std::fabs(amount));
        } else if (tool == "lower") {
            Raise(field, p, radius, softness, -std::fabs(amount));
        } else if (tool == "level") {
            if (args.has("--y")) p.y = parseFloat(args.value("--y"), "--y");
            Level(field, p, radius, softness, amount);
        } else if (tool == "smooth") {
            Smooth(field, p, radius, softness, amount);
        } else if (tool == "erode") {
            Erode(field, p, radius, softness, amount);
        } else if (tool == "push") {
            if (targets.empty()) fail("push needs at least one --to X2 Z2");
            float pushAmount = args.has("--amount") ? amount : 0.75f * strength + 0.25f;
            PushState state;
            Push(field, state, p, radius, softness, pushAmount);
            for (const Vec3& target : targets) {
                Vec3 q = pointAt(target.x, target.z);
                Push(field, state, q, radius, softness, pushAmount);
            }
            ResetPush(state);
        } else if (tool == "ramp") {
            if (targets.size() != 1) fail("ramp needs one --to X2 Z2");
            Vec3 b = pointAt(targets[0].x, targets[0].z);
            Ramp(field, p, b, radius, softness, strength);
        } else if (tool == "point") {
            Point(field, p, amount);
        } else {
            fail("unknown tool \"" + tool + "\"; use raise, lower, level, smooth, erode, push, ramp or point");
        }
    }
    saveMap(*map, args.positional[0]);
    return 0;
}

// The brush settings shared by both paint commands, as the paint panels
// would leave them in the working record.
BrushSettings paintSettings(const Arguments& args)
{
    BrushSettings settings;
    settings.radius = parseFloat(args.value("--radius", "20"), "--radius");
    settings.softness = parseFloat(args.value("--softness", "1"), "--softness");
    settings.noise = parseFloat(args.value("--noise", "0"), "--noise");
    settings.scale = parseFloat(args.value("--scale", "1"), "--scale");
    if (!(settings.radius > 0.0f)) fail("--radius must be positive");
    if (settings.softness < 0.0f || settings.softness > 1.0f) fail("--softness must be between 0 and 1");
    if (settings.noise < 0.0f || settings.noise > 1.0f) fail("--noise must be between 0 and 1");
    if (!(settings.scale > 0.0f)) fail("--scale must be positive");
    if (args.has("--height")) {
        settings.heightEnabled = true;
        settings.height = parseFloat(args.value("--height"), "--height");
        settings.heightRange = parseFloat(args.value("--height-range", "10"), "--height-range");
        if (!(settings.heightRange > 0.0f)) fail("--height-range must be positive");
    }
    if (const char* slopes = args.value("--slopes")) {
        if (std::strlen(slopes) != 4 || std::strspn(slopes, "01") != 4)
            fail(std::string("--slopes takes four 0 or 1 digits for 0, 25, 50 and 75 degrees, not \"") + slopes + "\"");
        int checked = 0;
        for (int i = 0; i < 4; ++i)
            checked += settings.slopeButtons[i] = slopes[i] == '1';
        // As the tool controller does: all four buttons mean no restriction.
        settings.slopeEnabled = checked > 0 && checked < 4;
    }
    return settings;
}

Vec3 paintPoint(const Heightfield& field, const Arguments& args)
{
    float x = parseFloat(args.positional[2].c_str(), "X");
    float z = parseFloat(args.positional[3].c_str(), "Z");
    int last = field.size() - 1;
    if (x < 0.0f || z < 0.0f || x > static_cast<float>(last) || z > static_cast<float>(last))
        fail("the point " + args.positional[2] + " " + args.positional[3] + " is outside the map (0 to " +
             std::to_string(last) + ")");
    return {x, field.GetHeight(x, z), z};
}

int paintTimes(const Arguments& args)
{
    int times = parseInt(args.value("--times", "1"), "--times");
    if (times < 1 || times > 100000) fail("--times must be between 1 and 100000");
    return times;
}

// The editor fills its paint noise table at start-up, when its timer reads
// 0 whole seconds, and then seeds the C generator with 100.
void seedLikeTheEditor()
{
    initNoise(0);
    std::srand(100);
}

int commandPaintDetail(const Arguments& args)
{
    if (args.positional.size() != 4) fail("paint-detail needs a map, a slot and a point: paint-detail MAP SLOT X Z");
    int slot = parseInt(args.positional[1].c_str(), "SLOT");
    BrushSettings settings = paintSettings(args);
    float amount = parseFloat(args.value("--amount", "1"), "--amount");
    int times = paintTimes(args);
    auto map = loadMap(args.positional[0]);
    Heightfield& field = map->document.heightfield();
    TextureLayers& layers = field.layers();
    if (slot < 1 || slot > layers.detailCount)
        fail("SLOT must be 1 to " + std::to_string(layers.detailCount) + " on this map");
    Vec3 p = paintPoint(field, args);
    seedLikeTheEditor();
    for (int i = 0; i < times; ++i) {
        if (layers.detailCount == 8)
            PaintDetail8(layers, field, slot - 1, p, amount, 1.0f, settings);
        else
            PaintDetail4(layers, field, slot - 1, p, amount, 1.0f, settings);
    }
    saveMap(*map, args.positional[0]);
    return 0;
}

int commandPaintColour(const Arguments& args)
{
    if (args.positional.size() != 4)
        fail("paint-color needs a map, a colour and a point: paint-color MAP AARRGGBB X Z");
    const std::string& hex = args.positional[1];
    if (hex.size() != 8 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        fail("the colour must be eight hexadecimal digits AARRGGBB, not \"" + hex + "\"");
    const unsigned long packed = std::strtoul(hex.c_str(), nullptr, 16);
    // Each channel times 0.003921569, as the colour panel splits its colour.
    const float colour[4] = {static_cast<float>((packed >> 16) & 0xff) * 0.003921569f,
                             static_cast<float>((packed >> 8) & 0xff) * 0.003921569f,
                             static_cast<float>(packed & 0xff) * 0.003921569f,
                             static_cast<float>((packed >> 24) & 0xff) * 0.003921569f};
    BrushSettings settings = paintSettings(args);
    float amount = parseFloat(args.value("--amount", "1"), "--amount");
    int times = paintTimes(args);
    Image picture;
    if (const char* texture = args.value("--texture")) {
        std::string path = absolute(texture);
        if (!picture.Load(path.c_str())) fail("Could not read the paint texture " + path);
        if (picture.m_compressedFormat != 0) fail("Cannot paint with the compressed picture " + path);
    }
    auto map = loadMap(args.positional[0]);
    Heightfield& field = map->document.heightfield();
    Vec3 p = paintPoint(field, args);
    seedLikeTheEditor();
    for (int i = 0; i < times; ++i) {
        if (picture.m_data)
            PaintTexture(field.layers(), field, picture, colour, p, amount, settings);
        else
            PaintColour(field.layers(), field, colour, p, amount, settings);
    }
    saveMap(*map, args.positional[0]);
    return 0;
}

// Lights the whole map from its own light settings and saves it, as the
// lighting panel's "Generate Entire Lightmap" does followed by a save.
int commandLightmap(const Arguments& args)
{
    if (args.positional.size() != 1) fail("lightmap needs one map: lightmap MAP [--no-shadows]");
    for (const auto& [name, values] : args.options)
        if (name != "--no-shadows") fail("lightmap does not know the option " + name);
    auto map = loadMap(args.positional[0]);
    map->document.heightfield().layers().lightmap.GenerateAll(!args.has("--no-shadows"));
    saveMap(*map, args.positional[0]);
    return 0;
}

}  // namespace

int RunBatchCommand(int argc, char** argv)
{
    if (argc < 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    using Command = int (*)(const Arguments&);
    static const std::map<std::string, Command> commands = {
        {"new", commandNew},
        {"info", commandInfo},
        {"import-heightmap", commandImportHeightmap},
        {"export-heightmap", commandExportHeightmap},
        {"brush", commandBrush},
        {"paint-detail", commandPaintDetail},
        {"paint-color", commandPaintColour},
        {"lightmap", commandLightmap},
    };
    std::error_code ignored;
    g_startFolder = std::filesystem::current_path(ignored);
    auto found = commands.find(argv[0]);
    if (found == commands.end()) {
        std::fprintf(stderr, "glebora: unknown batch command \"%s\"\n%s", argv[0], kUsage);
        return 2;
    }
    try {
        return found->second(parse(argc, argv, found->first == "brush" ? brushValues : oneValue));
    } catch (const BatchError& error) {
        std::fprintf(stderr, "glebora: %s\n", error.message.c_str());
        return 1;
    }
}
