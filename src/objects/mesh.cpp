#include "objects/mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "map/property_table.h"

namespace {

// Reads little-endian values from a byte range, never past its end.
class ByteReader {
public:
    ByteReader(const unsigned char* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    size_t remaining() const { return m_size - m_offset; }
    bool skip(size_t count)
    {
        if (count > remaining()) return false;
        m_offset += count;
        return true;
    }
    bool bytes(void* out, size_t count)
    {
        if (count > remaining()) return false;
        if (count == 0) return true;  // an empty array may have no buffer at all
        std::memcpy(out, m_bytes + m_offset, count);
        m_offset += count;
        return true;
    }
    bool i32(int& out)
    {
        unsigned char b[4];
        if (!bytes(b, 4)) return false;
        uint32_t v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        std::memcpy(&out, &v, 4);
        return true;
    }
    bool u32(uint32_t& out)
    {
        int v;
        if (!i32(v)) return false;
        std::memcpy(&out, &v, 4);
        return true;
    }
    bool f32(float& out)
    {
        uint32_t v;
        if (!u32(v)) return false;
        std::memcpy(&out, &v, 4);
        return true;
    }
    bool floats(std::vector<float>& out, size_t count)
    {
        if (count > remaining() / 4) return false;
        out.resize(count);
        for (float& v : out) f32(v);
        return true;
    }
    bool u16s(std::vector<uint16_t>& out, size_t count)
    {
        if (count > remaining() / 2) return false;
        out.resize(count);
        for (uint16_t& v : out) {
            unsigned char b[2];
            bytes(b, 2);
            v = static_cast<uint16_t>(b[0] | b[1] << 8);
        }
        return true;
    }

private:
    const unsigned char* m_bytes;
    size_t m_size;
    size_t m_offset = 0;
};

// A text field of fixed size: everything up to the first NUL, and never
// beyond the field even when the file put no NUL in it.
std::string fixedText(const char* field, size_t size)
{
    size_t length = 0;
    while (length < size && field[length] != '\0') ++length;
    return std::string(field, length);
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

void QuaternionMatrix(const float q[4], const float translation[3], float out[16])
{
    float x = q[0], y = q[1], z = q[2], w = q[3];
    out[0] = 1 - 2 * (y * y + z * z);
    out[1] = 2 * (x * y + z * w);
    out[2] = 2 * (x * z - y * w);
    out[3] = 0;
    out[4] = 2 * (x * y - z * w);
    out[5] = 1 - 2 * (x * x + z * z);
    out[6] = 2 * (y * z + x * w);
    out[7] = 0;
    out[8] = 2 * (x * z + y * w);
    out[9] = 2 * (y * z - x * w);
    out[10] = 1 - 2 * (x * x + y * y);
    out[11] = 0;
    out[12] = translation[0];
    out[13] = translation[1];
    out[14] = translation[2];
    out[15] = 1;
}

void SlerpQuaternion(const float a[4], const float b[4], float t, float out[4])
{
    float d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
    float sign = 1.0f;
    if (d < 0.0f) {
        d = -d;
        sign = -1.0f;
    }
    float wa = 1.0f - t;
    float wb = t;
    if (1.0f - d > 0.001f) {
        float theta = std::acos(std::min(d, 1.0f));
        float s = std::sin(theta);
        wa = std::sin((1.0f - t) * theta) / s;
        wb = std::sin(t * theta) / s;
    }
    for (int i = 0; i < 4; ++i) out[i] = wa * a[i] + wb * sign * b[i];
}

bool Mesh::Load(const char* filePath, const TextureLoader& loadTexture)
{
    m_error.clear();
    FILE* file = filePath ? std::fopen(filePath, "rb") : nullptr;
    if (!file) {
        m_error = std::string("Could not open the mesh file ") + (filePath ? filePath : "");
        return false;
    }
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    size_t got;
    bool tooLarge = false;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > kMaxFileSize) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (tooLarge || readError) {
        m_error = std::string(tooLarge ? "Mesh file too large: " : "Could not read the mesh file ") + filePath;
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size(), filePath, loadTexture);
}

bool Mesh::LoadFromMemory(const unsigned char* data, size_t size, const char* filePath,
                          const TextureLoader& loadTexture)
{
    m_error.clear();
    std::string name = filePath ? filePath : "";
    auto fail = [&](const char* reason) {
        m_error = "Mesh " + name + ": " + reason;
        parts.clear();
        clips.clear();
        return false;
    };
    if (!data && size > 0) return fail("no data");
    ByteReader in(data, size);
    char magic[10];
    if (!in.bytes(magic, sizeof magic)) return fail("the file is too short for a mesh");
    if (std::memcmp(magic, "Mesh V0.1", 10) != 0) return fail("not a \"Mesh V0.1\" file");
    int partCount = 0;
    int frames = 0;
    float ignored;
    if (!in.i32(partCount) || !in.i32(frames)) return fail("the header ends early");
    for (int i = 0; i < 4; ++i)
        if (!in.f32(ignored)) return fail("the header ends early");
    if (partCount < 0 || frames < 0) return fail("negative counts in the header");
    // Every part needs at least its record: a count the file cannot hold
    // is refused before anything is allocated.
    if (static_cast<uint64_t>(partCount) > in.remaining() / kPartRecordSize) return fail("more parts than the file holds");

    std::vector<MeshPart> loaded;
    loaded.reserve(static_cast<size_t>(partCount));
    for (int p = 0; p < partCount; ++p) {
        MeshPart part;
        char partName[32];
        char textureName[64];
        uint32_t packed = 0;
        bool ok = in.bytes(partName, sizeof partName) && in.i32(part.flags) && in.i32(part.vertexCount) &&
                  in.i32(part.triangleCount) && in.i32(part.texCoordCount) && in.i32(part.keyFrameCount) &&
                  in.f32(part.radius) && in.f32(part.centre[0]) && in.f32(part.centre[1]) &&
                  in.f32(part.centre[2]) && in.i32(part.materialFlags) && in.u32(packed) &&
                  in.bytes(textureName, sizeof textureName);
        if (!ok) return fail("a part record ends early");
        part.name = fixedText(partName, sizeof partName);
        part.textureName = fixedText(textureName, sizeof textureName);
        part.colour[0] = static_cast<float>((packed >> 16) & 0xFF) / 255.0f;
        part.colour[1] = static_cast<float>((packed >> 8) & 0xFF) / 255.0f;
        part.colour[2] = static_cast<float>(packed & 0xFF) / 255.0f;
        part.colour[3] = static_cast<float>((packed >> 24) & 0xFF) / 255.0f;
        if (part.vertexCount < 0 || part.triangleCount < 0 || part.texCoordCount < 0 || part.keyFrameCount < 0)
            return fail("negative counts in a part");

        const uint64_t V = static_cast<uint64_t>(part.vertexCount);
        const uint64_t T = static_cast<uint64_t>(part.triangleCount);
        const uint64_t C = static_cast<uint64_t>(part.texCoordCount);
        const uint64_t K = static_cast<uint64_t>(part.keyFrameCount);
        const uint64_t F = static_cast<uint64_t>(frames);
        const bool animated = part.flags & MeshPart::Animated;
        // What the counts promise, in 64 bits (each count is below 2^31).
        uint64_t need = T * 6 + K * V * 12;
        if (part.flags & MeshPart::PerFrame) need += F * 28;
        if (animated) need += F * 2;
        if (part.flags & MeshPart::TexCoords) need += C * 8 + (animated ? C * 2 : 0);
        if (part.flags & MeshPart::Normals) need += animated ? K * V * 2 : V * 3;
        if (need > in.remaining()) return fail("a part's counts promise more data than the file holds");

        in.u16s(part.indices, static_cast<size_t>(T * 3));
        for (uint16_t index : part.indices)
            if (index >= V) return fail("a triangle names a vertex the part does not have");
        in.floats(part.positions, static_cast<size_t>(K * V * 3));
        if (part.flags & MeshPart::PerFrame) {
            part.transforms.resize(static_cast<size_t>(F));
            for (MeshTransform& transform : part.transforms) {
                for (float& v : transform.translation) in.f32(v);
                for (float& v : transform.rotation) in.f32(v);
            }
        }
        if (animated) in.u16s(part.frameValues, static_cast<size_t>(F));
        if (part.flags & MeshPart::TexCoords) {
            in.floats(part.texCoords, static_cast<size_t>(C * 2));
            if (animated) in.u16s(part.texCoordValues, static_cast<size_t>(C));
        }
        if (part.flags & MeshPart::Normals) {
            if (animated) {
                part.animatedNormals.resize(static_cast<size_t>(K * V * 2));
                in.bytes(part.animatedNormals.data(), part.animatedNormals.size());
            } else {
                part.normals.resize(static_cast<size_t>(V * 3));
                in.bytes(part.normals.data(), part.normals.size());
            }
        }
        loaded.push_back(std::move(part));
    }

    path = name;
    frameCount = frames;
    parts = std::move(loaded);
    recomputeBounds();

    std::string folder = folderOf(path);
    for (MeshPart& part : parts) {
        part.texture = nullptr;
        if ((part.materialFlags & MeshPart::kMaterialTextured) && !part.textureName.empty() && loadTexture)
            part.texture = loadTexture((folder + part.textureName).c_str());
        if (!part.texture) part.materialFlags &= ~MeshPart::kMaterialTextured;
    }
    LoadClips(ClipPathFor(path.c_str()).c_str());
    return true;
}

std::string Mesh::ClipPathFor(const char* meshPath)
{
    std::string clipPath = meshPath ? meshPath : "";
    // The last four characters are the extension; a shorter path has none
    // to replace and gets ".clp" added.
    if (clipPath.size() >= 4) clipPath.resize(clipPath.size() - 4);
    return clipPath + ".clp";
}

void Mesh::LoadClips(const char* clipPath)
{
    clips.clear();
    int lastFrame = std::max(frameCount - 1, 0);
    if (FILE* file = clipPath ? std::fopen(clipPath, "rb") : nullptr) {
        std::string line;
        LineRecord record;
        while (readWholeLine(file, line)) {
            if (!tokenizeLine(line, record)) continue;
            MeshClip clip;
            clip.name = record.key;
            clip.lastFrame = lastFrame;
            auto readInt = [&](int i, int& value) {
                if (i >= record.tokenCount) return;
                char* end = nullptr;
                long v = std::strtol(record.tokens[i].c_str(), &end, 10);
                if (end != record.tokens[i].c_str())
                    value = static_cast<int>(std::clamp<long>(v, std::numeric_limits<int>::min(),
                                                              std::numeric_limits<int>::max()));
            };
            readInt(0, clip.firstFrame);
            readInt(1, clip.lastFrame);
            if (record.tokenCount > 2) {
                char* end = nullptr;
                float speed = std::strtof(record.tokens[2].c_str(), &end);
                if (end != record.tokens[2].c_str() && std::isfinite(speed)) clip.framesPerSecond = speed;
            }
            clip.firstFrame = std::clamp(clip.firstFrame, 0, lastFrame);
            clip.lastFrame = std::clamp(clip.lastFrame, 0, lastFrame);
            clips.push_back(clip);
        }
        std::fclose(file);
    }
    if (clips.empty()) clips.push_back({"default", 0, lastFrame, 24.0f});
}

void Mesh::PartTransform(const MeshPart& part, int frameA, int frameB, float t, float out[16]) const
{
    if (!(part.flags & MeshPart::PerFrame) || part.transforms.empty()) {
        for (int i = 0; i < 16; ++i) out[i] = (i % 5 == 0) ? 1.0f : 0.0f;
        return;
    }
    int last = static_cast<int>(part.transforms.size()) - 1;
    const MeshTransform& a = part.transforms[static_cast<size_t>(std::clamp(frameA, 0, last))];
    const MeshTransform& b = part.transforms[static_cast<size_t>(std::clamp(frameB, 0, last))];
    float translation[3];
    for (int i = 0; i < 3; ++i) translation[i] = a.translation[i] + (b.translation[i] - a.translation[i]) * t;
    float rotation[4];
    SlerpQuaternion(a.rotation, b.rotation, t, rotation);
    QuaternionMatrix(rotation, translation, out);
}

void Mesh::recomputeBounds()
{
    float meshMin[3] = {0, 0, 0};
    float meshMax[3] = {0, 0, 0};
    bool any = false;
    for (MeshPart& part : parts) {
        size_t count = part.keyFrameCount > 0 ? static_cast<size_t>(part.vertexCount) : 0;
        if (count == 0) {
            part.centre[0] = part.centre[1] = part.centre[2] = 0.0f;
            part.radius = 0.0f;
            continue;
        }
        float low[3] = {part.positions[0], part.positions[1], part.positions[2]};
        float high[3] = {low[0], low[1], low[2]};
        for (size_t v = 0; v < count; ++v) {
            for (int i = 0; i < 3; ++i) {
                float value = part.positions[v * 3 + static_cast<size_t>(i)];
                low[i] = std::min(low[i], value);
                high[i] = std::max(high[i], value);
            }
        }
        float diagonal = 0.0f;
        for (int i = 0; i < 3; ++i) {
            part.centre[i] = (low[i] + high[i]) * 0.5f;
            diagonal += (high[i] - low[i]) * (high[i] - low[i]);
            meshMin[i] = any ? std::min(meshMin[i], low[i]) : low[i];
            meshMax[i] = any ? std::max(meshMax[i], high[i]) : high[i];
        }
        part.radius = std::sqrt(diagonal) * 0.5f;
        any = true;
    }
    float diagonal = 0.0f;
    for (int i = 0; i < 3; ++i) {
        centre[i] = (meshMin[i] + meshMax[i]) * 0.5f;
        diagonal += (meshMax[i] - meshMin[i]) * (meshMax[i] - meshMin[i]);
    }
    radius = std::sqrt(diagonal) * 0.5f;
}
