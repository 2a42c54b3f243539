// Mesh and clip files: a small writer builds files in the format, then the
// reader is held to them (valid, wrong magic, truncated anywhere, counts
// that lie, bad indices, unterminated names).
#include "objects/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct PartSpec {
    std::string name = "body";
    int flags = 0;
    int vertices = 3;
    int triangles = 1;
    int texCoords = 0;
    int keyFrames = 1;
    int materialFlags = 0;
    uint32_t colour = 0xFF336699u;
    std::string texture;
    std::vector<uint16_t> indices = {0, 1, 2};
    std::vector<float> positions = {0, 0, 0, 2, 0, 0, 0, 4, 6};
};

class MeshBytes {
public:
    void i32(int32_t v)
    {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(u >> (8 * i)));
    }
    void f32(float v)
    {
        int32_t i;
        std::memcpy(&i, &v, 4);
        i32(i);
    }
    void u16(uint16_t v)
    {
        bytes.push_back(static_cast<unsigned char>(v));
        bytes.push_back(static_cast<unsigned char>(v >> 8));
    }
    void field(const std::string& text, size_t size, bool terminate = true)
    {
        for (size_t i = 0; i < size; ++i)
            bytes.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
        if (!terminate)
            for (size_t i = text.size(); i < size; ++i) bytes[bytes.size() - size + i] = 'x';
    }

    // The header, then each part with its arrays. Section boundaries are
    // remembered so tests can cut the file at every one of them.
    // Without arrays only the header and the part records are written
    // (for counts that promise more than any file would hold).
    void build(const std::vector<PartSpec>& parts, int frames, bool withArrays = true)
    {
        bytes.clear();
        boundaries.clear();
        field("Mesh V0.1", 10);
        i32(static_cast<int32_t>(parts.size()));
        i32(frames);
        for (float v : {9.0f, 9.0f, 9.0f, 99.0f}) f32(v);  // bounds the reader must not trust
        for (const PartSpec& part : parts) {
            boundaries.push_back(bytes.size());
            field(part.name, 32);
            i32(part.flags);
            i32(part.vertices);
            i32(part.triangles);
            i32(part.texCoords);
            i32(part.keyFrames);
            f32(77.0f);
            for (int i = 0; i < 3; ++i) f32(7.0f);
            i32(part.materialFlags);
            i32(static_cast<int32_t>(part.colour));
            field(part.texture, 64);
            boundaries.push_back(bytes.size());
            if (!withArrays) continue;
            for (uint16_t index : part.indices) u16(index);
            boundaries.push_back(bytes.size());
            for (float p : part.positions) f32(p);
            if (part.flags & MeshPart::PerFrame) {
                boundaries.push_back(bytes.size());
                for (int f = 0; f < frames; ++f) {
                    for (float v : {float(f), 0.0f, 0.0f}) f32(v);
                    for (float v : {0.0f, 0.0f, 0.0f, 1.0f}) f32(v);
                }
            }
            if (part.flags & MeshPart::Animated) {
                boundaries.push_back(bytes.size());
                for (int f = 0; f < frames; ++f) u16(static_cast<uint16_t>(f));
            }
            if (part.flags & MeshPart::TexCoords) {
                boundaries.push_back(bytes.size());
                for (int c = 0; c < part.texCoords * 2; ++c) f32(0.5f);
                if (part.flags & MeshPart::Animated)
                    for (int c = 0; c < part.texCoords; ++c) u16(1);
            }
            if (part.flags & MeshPart::Normals) {
                boundaries.push_back(bytes.size());
                size_t count = (part.flags & MeshPart::Animated)
                                   ? static_cast<size_t>(part.keyFrames * part.vertices * 2)
                                   : static_cast<size_t>(part.vertices * 3);
                for (size_t i = 0; i < count; ++i) bytes.push_back(127);
            }
        }
        boundaries.push_back(bytes.size());
    }

    std::vector<unsigned char> bytes;
    std::vector<size_t> boundaries;
};

bool load(Mesh& mesh, const std::vector<unsigned char>& bytes, const char* path = "/nonexistent/model.msh")
{
    return mesh.LoadFromMemory(bytes.data(), bytes.size(), path);
}

TEST(MeshFile, ValidFileLoadsEveryArrayAndRecomputesBounds)
{
    PartSpec full;
    full.flags = MeshPart::PerFrame | MeshPart::Animated | MeshPart::Normals | MeshPart::TexCoords;
    full.texCoords = 3;
    full.keyFrames = 2;
    full.positions.insert(full.positions.end(), {1, 1, 1, 1, 1, 1, 1, 1, 1});
    PartSpec plain;
    plain.name = "fin";
    plain.flags = MeshPart::Normals | MeshPart::TwoSided;
    plain.positions = {-2, 0, 0, 0, 0, 0, 0, 0, 2};
    MeshBytes file;
    file.build({full, plain}, 4);
    Mesh mesh;
    ASSERT_TRUE(load(mesh, file.bytes)) << mesh.error();
    ASSERT_EQ(mesh.parts.size(), 2u);
    const MeshPart& a = mesh.parts[0];
    EXPECT_EQ(a.name, "body");
    EXPECT_EQ(a.positions.size(), 18u);
    EXPECT_EQ(a.transforms.size(), 4u);
    EXPECT_FLOAT_EQ(a.transforms[3].translation[0], 3.0f);
    EXPECT_EQ(a.frameValues.size(), 4u);
    EXPECT_EQ(a.texCoords.size(), 6u);
    EXPECT_EQ(a.texCoordValues.size(), 3u);
    EXPECT_EQ(a.animatedNormals.size(), 12u);
    EXPECT_FLOAT_EQ(a.colour[0], 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(a.colour[3], 1.0f);
    // Bounds from the first key frame's positions: box (0..2, 0..4, 0..6).
    EXPECT_FLOAT_EQ(a.centre[0], 1.0f);
    EXPECT_FLOAT_EQ(a.centre[2], 3.0f);
    EXPECT_FLOAT_EQ(a.radius, std::sqrt(4.0f + 16.0f + 36.0f) / 2.0f);
    EXPECT_EQ(mesh.parts[1].normals.size(), 9u);
    // The mesh box spans both parts: x -2..2, y 0..4, z 0..6.
    EXPECT_FLOAT_EQ(mesh.centre[0], 0.0f);
    EXPECT_FLOAT_EQ(mesh.radius, std::sqrt(16.0f + 16.0f + 36.0f) / 2.0f);
    ASSERT_EQ(mesh.clips.size(), 1u);
    EXPECT_EQ(mesh.clips[0].name, "default");
    EXPECT_EQ(mesh.clips[0].lastFrame, 3);
    EXPECT_FLOAT_EQ(mesh.clips[0].framesPerSecond, 24.0f);
}

TEST(MeshFile, EmptyPartsLoadWithEmptyArrays)
{
    PartSpec empty;
    empty.flags = MeshPart::Normals | MeshPart::Animated | MeshPart::TexCoords | MeshPart::PerFrame;
    empty.vertices = 0;
    empty.triangles = 0;
    empty.indices.clear();
    empty.positions.clear();
    for (int frames : {0, 2}) {
        MeshBytes file;
        file.build({empty, empty}, frames);
        Mesh mesh;
        ASSERT_TRUE(load(mesh, file.bytes)) << mesh.error();
        EXPECT_EQ(mesh.parts.size(), 2u);
        EXPECT_FLOAT_EQ(mesh.radius, 0.0f);
        ASSERT_EQ(mesh.clips.size(), 1u);
        EXPECT_EQ(mesh.clips[0].lastFrame, frames > 0 ? frames - 1 : 0);
    }
}

TEST(MeshFile, MagicMustMatchEveryByteIncludingTheNul)
{
    MeshBytes file;
    file.build({PartSpec{}}, 1);
    for (size_t i = 0; i < 10; ++i) {
        std::vector<unsigned char> changed = file.bytes;
        changed[i] = i == 9 ? ' ' : static_cast<unsigned char>(changed[i] ^ 0x20);
        Mesh mesh;
        EXPECT_FALSE(load(mesh, changed)) << "byte " << i;
    }
}

TEST(MeshFile, TruncatedAnywhereIsRefused)
{
    PartSpec full;
    full.flags = MeshPart::PerFrame | MeshPart::Animated | MeshPart::Normals | MeshPart::TexCoords;
    full.texCoords = 3;
    MeshBytes file;
    file.build({full, PartSpec{}}, 2);
    std::vector<size_t> cuts = {0, 5, 10, 14, 33};
    for (size_t boundary : file.boundaries)
        for (size_t offset : {size_t(1), size_t(3)})
            if (boundary >= offset) cuts.push_back(boundary - offset);
    for (size_t cut : cuts) {
        if (cut >= file.bytes.size()) continue;
        std::vector<unsigned char> shorter(file.bytes.begin(), file.bytes.begin() + static_cast<long>(cut));
        Mesh mesh;
        EXPECT_FALSE(load(mesh, shorter)) << "cut at " << cut;
        EXPECT_TRUE(mesh.parts.empty());
    }
    Mesh whole;
    EXPECT_TRUE(load(whole, file.bytes)) << whole.error();
}

TEST(MeshFile, CountsTheFileCannotHoldAreRefused)
{
    struct Case {
        const char* what;
        int parts, vertices, triangles, texCoords, keyFrames, frames, flags;
    };
    const Case cases[] = {
        {"parts", 0x7FFFFFFF, 3, 1, 0, 1, 1, 0},
        {"negative parts", -1, 3, 1, 0, 1, 1, 0},
        {"vertices", 1, 0x7FFFFFFF, 1, 0, 1, 1, 0},
        {"triangles", 1, 3, 0x7FFFFFFF, 0, 1, 1, 0},
        {"key frames", 1, 3, 1, 0, 0x7FFFFFFF, 1, 0},
        {"key frames x vertices", 1, 0x10000, 1, 0, 0x10000, 1, 0},
        {"frames", 1, 3, 1, 0, 1, 0x7FFFFFFF, MeshPart::PerFrame},
        {"texture coordinates", 1, 3, 1, 0x7FFFFFFF, 1, 1, MeshPart::TexCoords},
        {"negative vertices", 1, -3, 1, 0, 1, 1, 0},
        {"negative frames", 1, 3, 1, 0, 1, -1, 0},
    };
    for (const Case& c : cases) {
        PartSpec part;
        part.vertices = c.vertices;
        part.triangles = c.triangles;
        part.texCoords = c.texCoords;
        part.keyFrames = c.keyFrames;
        part.flags = c.flags;
        part.indices.clear();
        part.positions.clear();
        MeshBytes file;
        file.build({part}, c.frames, false);
        for (int i = 0; i < 64; ++i) file.bytes.push_back(0);  // a little data, far less than promised
        // Patch the part count in place.
        int32_t parts = c.parts;
        std::memcpy(&file.bytes[10], &parts, 4);
        Mesh mesh;
        EXPECT_FALSE(load(mesh, file.bytes)) << c.what;
    }
}

TEST(MeshFile, TriangleIndicesMustNameVerticesOfThePart)
{
    PartSpec part;
    part.indices = {0, 1, 3};  // the part has three vertices: 0..2
    MeshBytes file;
    file.build({part}, 1);
    Mesh mesh;
    EXPECT_FALSE(load(mesh, file.bytes));
    EXPECT_NE(mesh.error().find("vertex"), std::string::npos);
}

TEST(MeshFile, NamesEndWithinTheirFields)
{
    PartSpec part;
    part.name = std::string(40, 'n');
    part.texture = std::string(80, 't');
    part.materialFlags = MeshPart::kMaterialTextured;
    MeshBytes file;
    file.build({part}, 1);
    // No NUL anywhere in either field.
    std::memset(&file.bytes[Mesh::kHeaderSize], 'n', 32);
    std::memset(&file.bytes[Mesh::kHeaderSize + 76], 't', 64);
    std::string requested;
    Mesh mesh;
    ASSERT_TRUE(mesh.LoadFromMemory(file.bytes.data(), file.bytes.size(), "models/tree.msh",
                                    [&](const char* path) {
                                        requested = path;
                                        return nullptr;
                                    }));
    EXPECT_EQ(mesh.parts[0].name, std::string(32, 'n'));
    EXPECT_EQ(mesh.parts[0].textureName, std::string(64, 't'));
    EXPECT_EQ(requested, "models/" + std::string(64, 't'));
    // The texture did not load, so the part is drawn untextured.
    EXPECT_EQ(mesh.parts[0].materialFlags & MeshPart::kMaterialTextured, 0);
}

TEST(MeshFile, PartTransformsInterpolateSpherically)
{
    Mesh mesh;
    MeshPart part;
    part.flags = MeshPart::PerFrame;
    const float s = std::sqrt(0.5f);
    part.transforms = {{{0, 0, 0}, {0, 0, 0, 1}}, {{10, 0, 0}, {0, s, 0, s}}};  // 0 and 90 degrees about y
    float m[16];
    mesh.PartTransform(part, 0, 1, 0.5f, m);
    EXPECT_NEAR(m[12], 5.0f, 1e-5f);
    // Halfway: 45 degrees about y, first column (cos, 0, -sin).
    EXPECT_NEAR(m[0], std::cos(0.785398f), 1e-5f);
    EXPECT_NEAR(m[2], -std::sin(0.785398f), 1e-5f);
    EXPECT_NEAR(m[5], 1.0f, 1e-5f);
    // Frames beyond the records are clamped, never read past the array.
    mesh.PartTransform(part, 7, -3, 0.0f, m);
    EXPECT_NEAR(m[12], 10.0f, 1e-5f);
}

class ClipFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("glebora_clips_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string write(const char* name, const std::string& text)
    {
        std::ofstream(folder / name, std::ios::binary) << text;
        return (folder / name).string();
    }
    fs::path folder;
};

TEST_F(ClipFiles, ClipsAreReadAndClamped)
{
    std::string clipPath = write("walker.clp", "// clips of the walker\n"
                                               "walk 0 999 30\n"
                                               "\n"
                                               "idle -4 3\n"
                                               "run 5 9 12.5\n"
                                               "broken\n");
    Mesh mesh;
    mesh.frameCount = 10;
    mesh.LoadClips(clipPath.c_str());
    ASSERT_EQ(mesh.clips.size(), 3u);
    EXPECT_EQ(mesh.clips[0].name, "walk");
    EXPECT_EQ(mesh.clips[0].firstFrame, 0);
    EXPECT_EQ(mesh.clips[0].lastFrame, 9);
    EXPECT_FLOAT_EQ(mesh.clips[0].framesPerSecond, 30.0f);
    EXPECT_EQ(mesh.clips[1].firstFrame, 0);
    EXPECT_FLOAT_EQ(mesh.clips[1].framesPerSecond, 24.0f);
    EXPECT_FLOAT_EQ(mesh.clips[2].framesPerSecond, 12.5f);
}

TEST_F(ClipFiles, MissingOrEmptyClipFileGivesTheDefaultClip)
{
    Mesh mesh;
    mesh.frameCount = 10;
    mesh.LoadClips((folder / "none.clp").string().c_str());
    ASSERT_EQ(mesh.clips.size(), 1u);
    EXPECT_EQ(mesh.clips[0].name, "default");
    EXPECT_EQ(mesh.clips[0].lastFrame, 9);
    mesh.LoadClips(write("empty.clp", "// nothing\n\n").c_str());
    ASSERT_EQ(mesh.clips.size(), 1u);
    EXPECT_EQ(mesh.clips[0].name, "default");
}

TEST_F(ClipFiles, TheClipFileSitsBesideTheMesh)
{
    MeshBytes file;
    file.build({PartSpec{}}, 3);
    write("thing.msh", std::string(file.bytes.begin(), file.bytes.end()));
    write("thing.clp", "spin 1 2 8\n");
    Mesh mesh;
    ASSERT_TRUE(mesh.Load((folder / "thing.msh").string().c_str())) << mesh.error();
    ASSERT_EQ(mesh.clips.size(), 1u);
    EXPECT_EQ(mesh.clips[0].name, "spin");
    EXPECT_EQ(Mesh::ClipPathFor("a.msh"), "a.clp");
    EXPECT_EQ(Mesh::ClipPathFor("ab"), "ab.clp");  // too short to have an extension
    EXPECT_EQ(Mesh::ClipPathFor(""), ".clp");
    Mesh missing;
    EXPECT_FALSE(missing.Load((folder / "absent.msh").string().c_str()));
}

}  // namespace
