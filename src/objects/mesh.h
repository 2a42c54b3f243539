// Mesh: a model read from a "Mesh V0.1" file, with its clip table.
//
// File layout (little-endian; int 32 bits, u16 unsigned 16 bits):
//   header: magic "Mesh V0.1" with its NUL (10 bytes), part count P, frame
//   count F, centre (3 floats), radius; then P parts, each a 140-byte record
//   (name[32], flags, vertex count V, triangle count T, texture-coordinate
//   count C, key-frame count K, radius, centre[3], material flags, colour
//   0xAARRGGBB, texture name[64]) followed by its arrays: T x 3 u16
//   indices; K x V x 3 floats positions; F transforms (translation, then a
//   quaternion x y z w) with flag 1; F u16 with flag 2; C x 2 floats
//   texture coordinates with flag 8 (and C u16 after them with flag 2 too);
//   normals with flag 4: K x V x 2 bytes with flag 2, else V x 3 signed bytes.
//
// A file is refused when any count is negative, when what the counts
// promise does not fit in the file (checked before anything is allocated),
// when an index names a vertex the part does not have, or when it ends
// early. Names are cut at their fields. Bounds are recomputed from the
// positions, never taken from the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class GlTexture;

struct MeshTransform {
    float translation[3];
    float rotation[4];  // quaternion x, y, z, w
};

struct MeshPart {
    enum Flags {
        PerFrame = 1,
        Animated = 2,
        Normals = 4,
        TexCoords = 8,
        TwoSided = 0x20,
    };
    static constexpr int kMaterialTextured = 1;

    std::string name;
    int flags = 0;
    int vertexCount = 0;
    int triangleCount = 0;
    int texCoordCount = 0;
    int keyFrameCount = 0;
    float radius = 0.0f;
    float centre[3] = {0.0f, 0.0f, 0.0f};
    int materialFlags = 0;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::string textureName;
    GlTexture* texture = nullptr;  // held by the resource cache

    std::vector<uint16_t> indices;           // triangleCount x 3
    std::vector<float> positions;            // keyFrameCount x vertexCount x 3
    std::vector<MeshTransform> transforms;   // frame count, with PerFrame
    std::vector<uint16_t> frameValues;       // frame count, with Animated
    std::vector<float> texCoords;            // texCoordCount x 2
    std::vector<uint16_t> texCoordValues;    // texCoordCount, with Animated and TexCoords
    std::vector<int8_t> normals;             // vertexCount x 3 (static parts)
    std::vector<uint8_t> animatedNormals;    // keyFrameCount x vertexCount x 2
};

struct MeshClip {
    std::string name;
    int firstFrame = 0;
    int lastFrame = 0;
    float framesPerSecond = 24.0f;
};

using TextureLoader = std::function<GlTexture*(const char* path)>;

class Mesh {
public:
    static constexpr size_t kHeaderSize = 34;
    static constexpr size_t kPartRecordSize = 140;
    // Files larger than this are not meshes the editor can use.
    static constexpr size_t kMaxFileSize = size_t(256) << 20;

    // Reads the mesh file and its clip file. loadTexture (may be empty)
    // gets each part's texture path, joined to the mesh file's folder.
    bool Load(const char* path, const TextureLoader& loadTexture = {});
    // The same from bytes already in memory; path names the clip file and
    // the folder textures are found in.
    bool LoadFromMemory(const unsigned char* bytes, size_t size, const char* path,
                        const TextureLoader& loadTexture = {});
    // Why the last load failed, in the program's words.
    const std::string& error() const { return m_error; }

    // Reads clip lines "name first last speed"; frames are clamped to
    // [0, frameCount - 1]. A missing file or one without clips gives the
    // single clip "default" over every frame at 24 frames per second.
    void LoadClips(const char* clipPath);
    static std::string ClipPathFor(const char* meshPath);

    // The part's transform between frames a and b at fraction t (translation
    // linear, rotation spherical), as a column-major 4 x 4 matrix. Parts
    // without per-frame records get the identity.
    void PartTransform(const MeshPart& part, int frameA, int frameB, float t, float out[16]) const;

    std::string path;
    int frameCount = 0;
    float centre[3] = {0.0f, 0.0f, 0.0f};
    float radius = 0.0f;
    std::vector<MeshPart> parts;
    std::vector<MeshClip> clips;

private:
    void recomputeBounds();

    std::string m_error;
};

// The rotation matrix of a unit quaternion with a translation, column-major.
void QuaternionMatrix(const float q[4], const float translation[3], float out[16]);
// Spherical interpolation from a to b (the shorter way round).
void SlerpQuaternion(const float a[4], const float b[4], float t, float out[4]);
