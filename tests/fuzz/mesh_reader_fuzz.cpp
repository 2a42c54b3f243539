// Feeds arbitrary bytes to the mesh reader: whatever the counts claim,
// nothing may be read or allocated beyond what the bytes hold, and a mesh
// that loads must be safe to draw (every index names a vertex).
#include "objects/mesh.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Mesh mesh;
    if (!mesh.LoadFromMemory(data, size, "/nonexistent/fuzz.msh")) return 0;
    for (const MeshPart& part : mesh.parts) {
        if (part.indices.size() != static_cast<size_t>(part.triangleCount) * 3) std::abort();
        for (uint16_t index : part.indices)
            if (index >= part.vertexCount) std::abort();
        if (part.positions.size() != static_cast<size_t>(part.keyFrameCount) * part.vertexCount * 3) std::abort();
        float transform[16];
        mesh.PartTransform(part, 0, mesh.frameCount, 0.5f, transform);
    }
    if (mesh.clips.empty()) std::abort();
    return 0;
}
