// TerrainProgram: the seam to the terrain shading program.
//
// The program that combines the layers when the terrain is drawn is display
// code; the texture layers own one and ask it to recompose whenever the set
// of layers changes. The display layer installs a factory; without one (batch
// runs, tests) the layers have no program and draw nothing.
#pragma once

#include <memory>

class TextureLayers;

class TerrainProgram {
public:
    virtual ~TerrainProgram() = default;
    // Builds the program for the layers' current state (detail count, which
    // layers are enabled, colour mode) and sets layers.passCount.
    virtual void compose(TextureLayers& layers) = 0;
};

using TerrainProgramFactory = std::unique_ptr<TerrainProgram> (*)();
void SetTerrainProgramFactory(TerrainProgramFactory factory);
// A new program, or nullptr when no factory is installed.
std::unique_ptr<TerrainProgram> MakeTerrainProgram();
