#include "texturing/terrain_program.h"

namespace {
TerrainProgramFactory g_factory = nullptr;
}

void SetTerrainProgramFactory(TerrainProgramFactory factory)
{
    g_factory = factory;
}

std::unique_ptr<TerrainProgram> MakeTerrainProgram()
{
    return g_factory ? g_factory() : nullptr;
}
