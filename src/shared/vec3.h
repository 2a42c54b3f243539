// Vec3: three floats, the point and direction type of the terrain, tools
// and ray queries.
//
// Deliberately a plain aggregate of three floats with no padding: arrays of
// it are handed to OpenGL as vertex arrays and to plug-ins as "x, y, z"
// records, so its layout must stay exactly float[3].
#pragma once

#include <cmath>

struct Vec3 {
    float x;
    float y;
    float z;
};
static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 is handed out as float[3]");

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(float s, Vec3 a)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline bool operator==(Vec3 a, Vec3 b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

inline float Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline float Length(Vec3 a)
{
    return std::sqrt(Dot(a, a));
}

// Exact normalisation; a zero vector stays zero.
inline Vec3 Normalize(Vec3 a)
{
    float length = Length(a);
    return length > 0.0f ? a * (1.0f / length) : a;
}
