// The light-direction arrow: a shaft and a cone along +z, written in the
// "Mesh V0.1" format the program reads.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "assets.h"

namespace {

class MeshWriter {
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
        bytes.push_back(static_cast<unsigned char>(v & 0xFF));
        bytes.push_back(static_cast<unsigned char>(v >> 8));
    }
    void text(const char* value, size_t field)
    {
        size_t length = std::strlen(value);
        for (size_t i = 0; i < field; ++i) bytes.push_back(i < length ? static_cast<unsigned char>(value[i]) : 0);
    }
    std::vector<unsigned char> bytes;
};

struct Vertex {
    float p[3];
    float n[3];
};

int8_t normalByte(float v) { return static_cast<int8_t>(std::lround(v * 127.0f)); }

}  // namespace

bool WriteArrowMesh(const std::string& path)
{
    const int segments = 12;
    const float pi = 3.14159265f;
    const float shaftRadius = 0.35f;
    const float shaftLength = 7.0f;
    const float headRadius = 1.0f;
    const float tip = 10.0f;
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    auto add = [&](float x, float y, float z, float nx, float ny, float nz) {
        vertices.push_back({{x, y, z}, {nx, ny, nz}});
        return static_cast<uint16_t>(vertices.size() - 1);
    };
    // Triangles wind counter-clockwise seen from outside.
    auto triangle = [&](uint16_t a, uint16_t b, uint16_t c) {
        indices.push_back(a);
        indices.push_back(b);
        indices.push_back(c);
    };
    const float coneSlope = headRadius / (tip - shaftLength);
    const float coneNormalScale = 1.0f / std::sqrt(1.0f + coneSlope * coneSlope);
    for (int s = 0; s < segments; ++s) {
        float a0 = 2.0f * pi * static_cast<float>(s) / segments;
        float a1 = 2.0f * pi * static_cast<float>(s + 1) / segments;
        float c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
        // Shaft side.
        uint16_t b0 = add(shaftRadius * c0, shaftRadius * s0, 0, c0, s0, 0);
        uint16_t b1 = add(shaftRadius * c1, shaftRadius * s1, 0, c1, s1, 0);
        uint16_t t0 = add(shaftRadius * c0, shaftRadius * s0, shaftLength, c0, s0, 0);
        uint16_t t1 = add(shaftRadius * c1, shaftRadius * s1, shaftLength, c1, s1, 0);
        triangle(b0, b1, t1);
        triangle(b0, t1, t0);
        // Shaft base.
        uint16_t centre = add(0, 0, 0, 0, 0, -1);
        uint16_t e0 = add(shaftRadius * c0, shaftRadius * s0, 0, 0, 0, -1);
        uint16_t e1 = add(shaftRadius * c1, shaftRadius * s1, 0, 0, 0, -1);
        triangle(centre, e1, e0);
        // Underside of the head.
        uint16_t ringCentre = add(0, 0, shaftLength, 0, 0, -1);
        uint16_t r0 = add(headRadius * c0, headRadius * s0, shaftLength, 0, 0, -1);
        uint16_t r1 = add(headRadius * c1, headRadius * s1, shaftLength, 0, 0, -1);
        triangle(ringCentre, r1, r0);
        // Cone.
        float cm = std::cos((a0 + a1) * 0.5f), sm = std::sin((a0 + a1) * 0.5f);
        uint16_t k0 = add(headRadius * c0, headRadius * s0, shaftLength, c0 * coneNormalScale, s0 * coneNormalScale,
                          coneSlope * coneNormalScale);
        uint16_t k1 = add(headRadius * c1, headRadius * s1, shaftLength, c1 * coneNormalScale, s1 * coneNormalScale,
                          coneSlope * coneNormalScale);
        uint16_t apex = add(0, 0, tip, cm * coneNormalScale, sm * coneNormalScale, coneSlope * coneNormalScale);
        triangle(k0, k1, apex);
    }

    MeshWriter out;
    out.text("Mesh V0.1", 10);
    out.i32(1);  // parts
    out.i32(1);  // frames
    for (float v : {0.0f, 0.0f, 5.0f, 5.1f}) out.f32(v);
    out.text("arrow", 32);
    out.i32(4);  // vertex normals
    out.i32(static_cast<int32_t>(vertices.size()));
    out.i32(static_cast<int32_t>(indices.size() / 3));
    out.i32(0);  // texture coordinates
    out.i32(1);  // key frames
    out.f32(5.1f);
    for (float v : {0.0f, 0.0f, 5.0f}) out.f32(v);
    out.i32(0);  // untextured
    out.i32(static_cast<int32_t>(0xFFFFD030u));
    out.text("", 64);
    for (uint16_t index : indices) out.u16(index);
    for (const Vertex& v : vertices)
        for (float c : v.p) out.f32(c);
    for (const Vertex& v : vertices)
        for (float c : v.n) out.bytes.push_back(static_cast<unsigned char>(normalByte(c)));

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = std::fwrite(out.bytes.data(), 1, out.bytes.size(), file) == out.bytes.size();
    return std::fclose(file) == 0 && ok;
}
