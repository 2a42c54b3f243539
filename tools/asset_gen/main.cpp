// Writes the program's Data/ folder. Every picture and model is generated
// here, procedurally, with the program's own code; nothing is copied.
#include <cstdio>
#include <filesystem>
#include <string>

#include "assets.h"
#include "detail_textures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: glebora_assets DATA_FOLDER\n");
        return 2;
    }
    std::filesystem::path data(argv[1]);
    for (const char* sub : {"Textures", "EditorUI", "Models"}) std::filesystem::create_directories(data / sub);

    struct Asset {
        const char* path;
        bool (*write)(const std::string&);
    };
    const Asset assets[] = {
        {"EditorUI/splash.png", WriteSplash},
        {"Textures/keyControls.png", WriteKeyControls},
        {"Models/arrow.msh", WriteArrowMesh},
    };
    int failures = 0;
    if (!WriteDefaultDetailTextures(data / "Textures")) {
        std::fprintf(stderr, "glebora_assets: could not write the default detail textures\n");
        ++failures;
    }
    for (const Asset& asset : assets) {
        std::string path = (data / asset.path).string();
        if (!asset.write(path)) {
            std::fprintf(stderr, "glebora_assets: could not write %s\n", path.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
