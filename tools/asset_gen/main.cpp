// Writes the program's Data/ folder. Until the picture writers exist this
// only lays out the folders.
#include <cstdio>
#include <filesystem>

#include "detail_textures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: glebora_assets DATA_FOLDER\n");
        return 2;
    }
    std::filesystem::path data(argv[1]);
    for (const char* sub : {"Textures", "EditorUI", "Models"})
        std::filesystem::create_directories(data / sub);
    if (!WriteDefaultDetailTextures(data / "Textures")) return 1;
    return 0;
}
