// The lightmap's GPU blur and the GL uploader of the texture layers, on
// Mesa's software renderer.
#include "texturing/texture_blur.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "gl_context_fixture.h"
#include "render/render_target.h"
#include "texturing/gl_texture_uploader.h"
#include "texturing/lightmap.h"

namespace {

class BlurTest : public GlContextTest {
protected:
    void SetUp() override
    {
        GlContextTest::SetUp();
        if (IsSkipped()) return;
        if (!Caps().programs || !Caps().pbuffers) GTEST_SKIP() << "no fragment programs or render targets";
        first.Create(128, 128, false);
        second.Create(128, 128, false);
        SetBlurTargets(&first, &second);
        SetTextureUploader(&uploader);
    }
    void TearDown() override
    {
        SetTextureUploader(nullptr);
        SetBlurTargets(nullptr, nullptr);
        ReleaseBlurProgram();
    }

    TextureName upload(const std::vector<uint8_t>& pixels, int size)
    {
        TextureName name = uploader.createTexture();
        uploader.uploadTile(name, pixels.data(), size, 1);
        return name;
    }
    std::vector<uint8_t> read(TextureName name, int size)
    {
        std::vector<uint8_t> pixels(static_cast<size_t>(size) * size);
        EXPECT_TRUE(uploader.readBack(name, size, 1, pixels.data()));
        return pixels;
    }

    RenderTarget first, second;
    GlTextureUploader uploader;
};

// One pass on the CPU: the mean of four bilinear samples at (-d, 0),
// (0, -d), (0, d) and (d, 0) texels, clamped to the edge, stored as bytes.
std::vector<float> Pass(const std::vector<float>& in, int size, float d)
{
    auto texel = [&](int x, int y) {
        x = std::clamp(x, 0, size - 1);
        y = std::clamp(y, 0, size - 1);
        return in[static_cast<size_t>(y) * size + x];
    };
    auto sample = [&](float x, float y) {
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        const float fx = x - x0, fy = y - y0;
        return (texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx) * (1 - fy) +
               (texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx) * fy;
    };
    std::vector<float> out(in.size());
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            out[static_cast<size_t>(y) * size + x] =
                std::round(0.25f * (sample(x - d, y) + sample(x, y - d) + sample(x, y + d) + sample(x + d, y)));
    return out;
}

} // namespace

TEST_F(BlurTest, TwoPassesOfFourTapsAveraged)
{
    const int size = 32;
    std::mt19937 random(5);
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size);
    for (uint8_t& p : pixels)
        p = static_cast<uint8_t>(random());
    const TextureName name = upload(pixels, size);
    BlurTexture(name, size, size, nullptr, 2, 1.0f);
    const std::vector<uint8_t> blurred = read(name, size);

    // The second pass reaches 1.5 times as far.
    std::vector<float> expected = Pass(std::vector<float>(pixels.begin(), pixels.end()), size, 1.0f);
    expected = Pass(expected, size, 1.5f);
    int worst = 0;
    for (size_t i = 0; i < blurred.size(); ++i)
        worst = std::max(worst, std::abs(static_cast<int>(blurred[i]) - static_cast<int>(expected[i])));
    EXPECT_LE(worst, 2);
    // The targets took the texture's size.
    EXPECT_EQ(first.width(), size);
    EXPECT_EQ(second.height(), size);
    uploader.deleteTexture(name);
}

TEST_F(BlurTest, SubRectangleAndMissingTargets)
{
    const int size = 16;
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size, 0);
    for (int i = 0; i < size; ++i)
        pixels[static_cast<size_t>(i) * size + 8] = 255; // a bright column
    const TextureName name = upload(pixels, size);

    // Only GL rows 16 - 12 .. 16 - 4 - 1 = 4..11, columns 0..9 change.
    const BlurRect part = {0, 4, 10, 12};
    BlurTexture(name, size, size, &part, 2, 1.0f);
    std::vector<uint8_t> blurred = read(name, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const size_t i = static_cast<size_t>(y) * size + x;
            const bool inside = x < 10 && y >= 4 && y < 12;
            if (!inside) {
                ASSERT_EQ(blurred[i], pixels[i]) << x << ", " << y;
            } else if (x == 7 || x == 8) {
                ASSERT_NE(blurred[i], pixels[i]) << x << ", " << y;
            }
        }
    }

    // No targets: the blur is skipped.
    SetBlurTargets(nullptr, nullptr);
    uploader.uploadTile(name, pixels.data(), size, 1);
    BlurTexture(name, size, size, nullptr, 2, 1.0f);
    EXPECT_EQ(read(name, size), pixels);
    uploader.deleteTexture(name);
}

TEST_F(BlurTest, LightmapTexturesAreBlurredButSavedSharp)
{
    Lightmap lightmap;
    lightmap.setGrid(65, 1);
    lightmap.ResetFlat(64, 1);
    // A checkerboard, which any blur changes.
    const int t = lightmap.tileSize();
    for (int index = 0; index < lightmap.tileCount(); ++index)
        for (int v = 0; v < t; ++v)
            for (int u = 0; u < t; ++u)
                lightmap.tile(index)[v * t + u] = ((u + v) % 2) ? 200 : 40;
    std::vector<uint8_t> memory(lightmap.tile(3), lightmap.tile(3) + lightmap.tileBytes());

    lightmap.lightMapBlur = 0.0f;
    lightmap.rebuildTextures();
    std::vector<uint8_t> shown(lightmap.tileBytes());
    lightmap.selectTile(3);
    lightmap.readBack(shown.data());
    EXPECT_EQ(shown, memory); // no blur: the texture is the bytes

    lightmap.lightMapBlur = 0.5f;
    lightmap.rebuildTextures();
    lightmap.selectTile(3);
    lightmap.readBack(shown.data());
    EXPECT_NE(shown, memory);
    EXPECT_NEAR(shown[static_cast<size_t>(5) * t + 5], 120, 30); // pulled toward the mean
    // The bytes kept (and saved) stay sharp.
    EXPECT_EQ(std::vector<uint8_t>(lightmap.tile(3), lightmap.tile(3) + lightmap.tileBytes()), memory);
}
