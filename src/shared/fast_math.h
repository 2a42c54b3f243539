// Small numeric helpers shared by the brush and lighting code.
#pragma once

#include <cstdint>
#include <cstring>

// Approximate 1/sqrt(x): the bit-level first guess with the constant
// 0x5F3759DF and one Newton-Raphson step. Brush and light directions are
// normalised with this on purpose: stored maps and lightmaps were made
// with it, so results must match it rather than an exact normalisation.
inline float FastInvSqrt(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = 0x5F3759DFu - (bits >> 1);
    float a;
    std::memcpy(&a, &bits, sizeof a);
    return a * (1.5f - 0.5f * x * a * a);
}

// Scales (x, y, z) to about unit length; a zero vector stays zero.
inline void FastNormalize(float& x, float& y, float& z)
{
    float lengthSquared = x * x + y * y + z * z;
    if (lengthSquared <= 0.0f) return;
    float scale = FastInvSqrt(lengthSquared);
    x *= scale;
    y *= scale;
    z *= scale;
}
