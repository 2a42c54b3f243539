// A hidden window with a GL context for the tests that need a driver.
// Runs under Xvfb with Mesa's software renderer.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include "render/gl_caps.h"
#include "render/gl_context.h"

class GlContextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_TRUE(CreateContext("gl test", 0, 0, 64, 64, SDL_WINDOW_HIDDEN, s_window)) << SDL_GetError();
        LoadExtensions(s_window.samples);
    }
    static void TearDownTestSuite()
    {
        DestroyContext(s_window);
        SDL_Quit();
    }
    void SetUp() override
    {
        if (!s_window.context) GTEST_SKIP() << "no GL context";
        SDL_GL_MakeCurrent(s_window.window, s_window.context);
    }

    static inline GlWindow s_window;
};
