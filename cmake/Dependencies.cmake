# Every dependency comes from Debian packages; nothing is downloaded at build time.
find_package(PNG REQUIRED)
if(NOT GLEBORA_FUZZ)
  find_package(SDL2 REQUIRED)
  set(OpenGL_GL_PREFERENCE LEGACY)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL)

  # Dear ImGui ships as a static library plus backend sources we compile ourselves.
  set(IMGUI_BACKENDS /usr/share/doc/libimgui-dev/examples/backends)
  add_library(glebora_imgui STATIC
    ${IMGUI_BACKENDS}/imgui_impl_sdl.cpp
    ${IMGUI_BACKENDS}/imgui_impl_opengl2.cpp)
  target_include_directories(glebora_imgui SYSTEM PUBLIC /usr/include/imgui /usr/include/imgui/backends)
  target_compile_options(glebora_imgui PRIVATE -w)
  # Debian builds libimgui against the separate stb library (font packing).
  target_link_libraries(glebora_imgui PUBLIC /usr/lib/x86_64-linux-gnu/libimgui.a stb SDL2::SDL2 OpenGL::GL)
endif()
if(GLEBORA_TESTS OR GLEBORA_FUZZ)
  find_package(GTest)
endif()
