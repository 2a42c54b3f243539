// The GL layer against a real driver: capabilities, render targets,
// programs and the texture cache.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gl_context_fixture.h"
#include "image/image.h"
#include "map/material.h"
#include "render/arb_program.h"
#include "render/gl_entry_points.h"
#include "render/render_target.h"
#include "render/resource_cache.h"

namespace fs = std::filesystem;

namespace {

TEST_F(GlContextTest, MesaReportsTheFeaturesTheEditorUses)
{
    const GlCaps& caps = Caps();
    EXPECT_TRUE(caps.programs);
    EXPECT_TRUE(caps.pbuffers);
    EXPECT_TRUE(caps.compression);
    EXPECT_TRUE(caps.s3tc);
    EXPECT_TRUE(caps.multitexture);
    EXPECT_TRUE(caps.multisample);
    EXPECT_GE(caps.samples, 1);
    EXPECT_GE(caps.maxTextureSize, 4096);
    EXPECT_GE(caps.maxTextureUnits, 8);
    EXPECT_GT(caps.maxFragmentAluInstructions, 0);
    EXPECT_GT(caps.maxAnisotropy, 1.0f);
    ASSERT_NE(caps.vendor, nullptr);
    EXPECT_GT(std::strlen(caps.renderer), 0u);
    char text[1024];
    DescribeDriver(text, sizeof text);
    EXPECT_NE(std::strstr(text, caps.renderer), nullptr);
    SetMultisample(false);
    EXPECT_FALSE(Caps().multisampleOn);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE_ARB));
    SetMultisample(true);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE_ARB));
}

TEST_F(GlContextTest, RenderTargetRendersAndReadsBack)
{
    glViewport(0, 0, 64, 64);
    RenderTarget target;
    ASSERT_TRUE(target.Create(32, 16, false));
    ASSERT_TRUE(target.MakeCurrent());
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 32);
    EXPECT_EQ(viewport[3], 16);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 32, 0, 16, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);  // the left half green
    glVertex2f(0, 0);
    glVertex2f(16, 0);
    glVertex2f(16, 16);
    glVertex2f(0, 16);
    glEnd();
    std::vector<unsigned char> pixels(32 * 16 * 4);
    glReadPixels(0, 0, 32, 16, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    target.Restore();
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    auto pixel = [&](int x, int y) { return &pixels[static_cast<size_t>(y * 32 + x) * 4]; };
    EXPECT_EQ(pixel(4, 8)[1], 255);
    EXPECT_EQ(pixel(4, 8)[0], 0);
    EXPECT_EQ(pixel(28, 8)[0], 255);
    EXPECT_EQ(pixel(28, 8)[1], 0);

    // The same picture as a texture.
    ASSERT_TRUE(target.BindAsTexture());
    std::vector<unsigned char> texels(32 * 16 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels, pixels);
    EXPECT_TRUE(target.ReleaseTexture());

    // Pairs do not nest; a target that was never made does nothing.
    RenderTarget inert;
    EXPECT_FALSE(inert.MakeCurrent());
    EXPECT_FALSE(inert.BindAsTexture());
    EXPECT_FALSE(inert.Create(0, 16, false));
}

TEST_F(GlContextTest, ProgramsLoadOrReportWhereTheyFail)
{
    ArbProgram program;
    const char* valid = "!!ARBfp1.0\nMOV result.color, fragment.color;\nEND\n";
    ASSERT_TRUE(program.LoadFragment(valid));
    EXPECT_EQ(program.errorPosition(), -1);
    unsigned int name = program.name();
    EXPECT_NE(name, 0u);
    EXPECT_TRUE(program.LoadFragment(valid));
    EXPECT_EQ(program.name(), name);  // loading again reuses the name
    program.Bind();
    EXPECT_TRUE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
    program.Unbind();
    EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));

    ArbProgram broken;
    const char* invalid = "!!ARBfp1.0\nMOV result.color, nonsense;\nEND\n";
    EXPECT_FALSE(broken.LoadFragment(invalid));
    EXPECT_GT(broken.errorPosition(), 10);  // inside the second line
    EXPECT_LT(broken.errorPosition(), static_cast<int>(std::strlen(invalid)));
    EXPECT_NE(broken.name(), 0u);  // kept for the next attempt
    EXPECT_FALSE(broken.errorText().empty());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

class CacheTest : public GlContextTest {
protected:
    void SetUp() override
    {
        GlContextTest::SetUp();
        folder = fs::temp_directory_path() / ("glebora_cache_" + std::to_string(::getpid()));
        fs::create_directories(folder / "Data" / "Textures");
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string writePicture(const std::string& relative, int width, int height, int bytesPerPixel)
    {
        std::string path = (folder / relative).string();
        auto* pixels = new unsigned char[static_cast<size_t>(width * height * bytesPerPixel)];
        for (int i = 0; i < width * height * bytesPerPixel; ++i) pixels[i] = static_cast<unsigned char>(i * 7);
        Image image(pixels, width, height, bytesPerPixel, path.c_str());
        EXPECT_TRUE(image.Save());
        return path;
    }
    fs::path folder;
};

TEST_F(CacheTest, SamePathGivesTheSameTextureLoadedOnce)
{
    std::string path = writePicture("Data/Textures/rock.png", 8, 8, 3);
    ResourceCache cache;
    GlTexture* first = cache.GetTexture(path.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isValid());
    EXPECT_EQ(cache.GetTexture(path.c_str()), first);
    EXPECT_EQ(cache.texturesLoaded(), 1);
    // Another spelling of the folders finds the same file (a new entry).
    std::string spelled = (folder / "data//textures//rock.png").string();
    GlTexture* other = cache.GetTexture(spelled.c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->m_width, 8);
}

TEST_F(CacheTest, FailedLoadsAreNotCached)
{
    ResourceCache cache;
    std::string missing = (folder / "Data/Textures/later.png").string();
    EXPECT_EQ(cache.GetTexture(missing.c_str()), nullptr);
    EXPECT_EQ(cache.texturesLoaded(), 0);
    writePicture("Data/Textures/later.png", 4, 4, 4);
    GlTexture* now = cache.GetTexture(missing.c_str());
    ASSERT_NE(now, nullptr);  // tried again, found this time
    EXPECT_EQ(now->m_bytesPerPixel, 4);
    // The second path stands in when the first cannot be read.
    std::string fallback = writePicture("Data/Textures/fallback.png", 4, 4, 1);
    GlTexture* stand = cache.GetTexture((folder / "nothing.png").string().c_str(), fallback.c_str());
    ASSERT_NE(stand, nullptr);
    EXPECT_EQ(stand->m_bytesPerPixel, 1);
    // A layout GL cannot take is refused (with its message) and not kept.
    std::string wide = writePicture("Data/Textures/grey16.tga", 4, 4, 2);
    EXPECT_EQ(cache.GetTexture(wide.c_str()), nullptr);
    EXPECT_EQ(cache.GetTexture(wide.c_str()), nullptr);
}

TEST_F(CacheTest, CompressedPicturesUploadEveryLevel)
{
    ResourceCache cache;
    std::string path = std::string(GLEBORA_TEST_DATA) + "/images/dds_dxt1_im.dds";
    GlTexture* texture = cache.GetTexture(path.c_str());
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->isValid());
    texture->bind();
    GLint compressed = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);
    EXPECT_EQ(compressed, GL_TRUE);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, Image::kFormatDxt1);
    GLint maxLevel = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &maxLevel);
    EXPECT_EQ(maxLevel, texture->m_mipMapCount - 1);
    GLint lastWidth = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, maxLevel, GL_TEXTURE_WIDTH, &lastWidth);
    EXPECT_EQ(lastWidth, 1);
}

TEST_F(CacheTest, PicturesReadBeforeTheContextWaitForUpload)
{
    std::string path = writePicture("Data/Textures/early.png", 4, 4, 3);
    ResourceCache cache;
    SDL_GL_MakeCurrent(s_window.window, nullptr);
    GlTexture* texture = cache.GetTexture(path.c_str());
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->isValid());
    SDL_GL_MakeCurrent(s_window.window, s_window.context);
    cache.UploadPendingTextures();
    EXPECT_TRUE(texture->isValid());
    // Reloading picks up a changed file and keeps the same object.
    writePicture("Data/Textures/early.png", 8, 2, 3);
    cache.ReloadTextures();
    EXPECT_EQ(cache.GetTexture(path.c_str()), texture);
    EXPECT_EQ(texture->m_width, 8);
    EXPECT_TRUE(texture->isValid());
}

TEST_F(CacheTest, MaterialLinesLoadTheirTextures)
{
    writePicture("Data/Textures/palette.png", 4, 4, 3);
    ResourceCache cache;
    EXPECT_EQ(LoadMaterialTexture("[HOME]Data/Textures/palette.png"), nullptr);  // the program folder is elsewhere
    std::string absolute = (folder / "Data/Textures/palette.png").string();
    EXPECT_NE(LoadMaterialTexture(absolute.c_str()), nullptr);
}

}  // namespace
