#include "render/gl_caps.h"

#include <SDL.h>

#include <cstdio>

#include "render/gl_entry_points.h"

namespace glext {
#define GLEBORA_DEFINE_ENTRY(type, name) type name = nullptr;
GLEBORA_GL_ALL(GLEBORA_DEFINE_ENTRY)
#undef GLEBORA_DEFINE_ENTRY
}  // namespace glext

namespace {

void APIENTRY noActiveTexture(GLenum) {}
void APIENTRY noClientActiveTexture(GLenum) {}

template <typename Pointer>
bool resolve(Pointer& pointer, const char* name, const char* fallbackName = nullptr)
{
    pointer = reinterpret_cast<Pointer>(SDL_GL_GetProcAddress(name));
    if (!pointer && fallbackName) pointer = reinterpret_cast<Pointer>(SDL_GL_GetProcAddress(fallbackName));
    return pointer != nullptr;
}

bool has(const char* extension) { return SDL_GL_ExtensionSupported(extension) == SDL_TRUE; }

const char* text(GLenum name)
{
    const GLubyte* value = glGetString(name);
    return value ? reinterpret_cast<const char*>(value) : "";
}

}  // namespace

GlCaps& Caps()
{
    static GlCaps caps;
    return caps;
}

void LoadExtensions(int samples)
{
    GlCaps& caps = Caps();
    caps = GlCaps{};
    caps.glExtensions = text(GL_EXTENSIONS);
    caps.vendor = text(GL_VENDOR);
    caps.renderer = text(GL_RENDERER);
    caps.version = text(GL_VERSION);
    caps.windowSystem = SDL_GetCurrentVideoDriver();
    caps.samples = samples;
    // The pixel format decides: multisampling is there when the window got
    // a multisampled format.
    caps.multisample = samples > 0;
    caps.multisampleOn = caps.multisample;

    // A GLX driver hands out an address for any name, so a group counts
    // only when its extension is present as well.
    resolve(glext::glDrawRangeElements, "glDrawRangeElements", "glDrawRangeElementsEXT");
    if (has("GL_EXT_compiled_vertex_array")) {
        resolve(glext::glLockArraysEXT, "glLockArraysEXT");
        resolve(glext::glUnlockArraysEXT, "glUnlockArraysEXT");
    }

    bool multitexture = has("GL_ARB_multitexture");
    multitexture &= resolve(glext::glMultiTexCoord2iARB, "glMultiTexCoord2iARB");
    multitexture &= resolve(glext::glMultiTexCoord3fARB, "glMultiTexCoord3fARB");
    multitexture &= resolve(glext::glMultiTexCoord3fvARB, "glMultiTexCoord3fvARB");
    multitexture &= resolve(glext::glMultiTexCoord2fARB, "glMultiTexCoord2fARB");
    multitexture &= resolve(glext::glActiveTextureARB, "glActiveTextureARB");
    multitexture &= resolve(glext::glClientActiveTextureARB, "glClientActiveTextureARB");
    caps.multitexture = multitexture;
    if (!multitexture) {
        glext::glActiveTextureARB = noActiveTexture;
        glext::glClientActiveTextureARB = noClientActiveTexture;
    }

    bool compressionExtension = has("GL_ARB_texture_compression");
    resolve(glext::glCompressedTexImage3DARB, "glCompressedTexImage3DARB");
    bool image2d = resolve(glext::glCompressedTexImage2DARB, "glCompressedTexImage2DARB");
    resolve(glext::glCompressedTexImage1DARB, "glCompressedTexImage1DARB");
    resolve(glext::glCompressedTexSubImage3DARB, "glCompressedTexSubImage3DARB");
    bool sub2d = resolve(glext::glCompressedTexSubImage2DARB, "glCompressedTexSubImage2DARB");
    resolve(glext::glCompressedTexSubImage1DARB, "glCompressedTexSubImage1DARB");
    bool readBack = resolve(glext::glGetCompressedTexImageARB, "glGetCompressedTexImageARB");
    caps.compression = compressionExtension && image2d && sub2d && readBack;
    caps.s3tc = caps.compression && has("GL_EXT_texture_compression_s3tc");

    bool programs = has("GL_ARB_vertex_program") && has("GL_ARB_fragment_program");
    programs &= resolve(glext::glGenProgramsARB, "glGenProgramsARB");
    programs &= resolve(glext::glDeleteProgramsARB, "glDeleteProgramsARB");
    programs &= resolve(glext::glProgramStringARB, "glProgramStringARB");
    programs &= resolve(glext::glBindProgramARB, "glBindProgramARB");
    programs &= resolve(glext::glProgramEnvParameter4fARB, "glProgramEnvParameter4fARB");
    resolve(glext::glGetProgramivARB, "glGetProgramivARB");
    resolve(glext::glProgramLocalParameter4fARB, "glProgramLocalParameter4fARB");
    resolve(glext::glProgramEnvParameter4fvARB, "glProgramEnvParameter4fvARB");
    resolve(glext::glProgramLocalParameter4fvARB, "glProgramLocalParameter4fvARB");
    caps.programs = programs && glext::glGetProgramivARB != nullptr;

    bool framebuffers = has("GL_ARB_framebuffer_object") || has("GL_EXT_framebuffer_object");
    framebuffers &= resolve(glext::glGenFramebuffers, "glGenFramebuffers", "glGenFramebuffersEXT");
    framebuffers &= resolve(glext::glDeleteFramebuffers, "glDeleteFramebuffers", "glDeleteFramebuffersEXT");
    framebuffers &= resolve(glext::glBindFramebuffer, "glBindFramebuffer", "glBindFramebufferEXT");
    framebuffers &= resolve(glext::glFramebufferTexture2D, "glFramebufferTexture2D", "glFramebufferTexture2DEXT");
    framebuffers &= resolve(glext::glGenRenderbuffers, "glGenRenderbuffers", "glGenRenderbuffersEXT");
    framebuffers &= resolve(glext::glDeleteRenderbuffers, "glDeleteRenderbuffers", "glDeleteRenderbuffersEXT");
    framebuffers &= resolve(glext::glBindRenderbuffer, "glBindRenderbuffer", "glBindRenderbufferEXT");
    framebuffers &= resolve(glext::glRenderbufferStorage, "glRenderbufferStorage", "glRenderbufferStorageEXT");
    framebuffers &=
        resolve(glext::glFramebufferRenderbuffer, "glFramebufferRenderbuffer", "glFramebufferRenderbufferEXT");
    framebuffers &=
        resolve(glext::glCheckFramebufferStatus, "glCheckFramebufferStatus", "glCheckFramebufferStatusEXT");
    framebuffers &= resolve(glext::glGenerateMipmap, "glGenerateMipmap", "glGenerateMipmapEXT");
    caps.pbuffers = framebuffers;

    GLint value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS_ARB, &value);
    caps.maxTextureUnits = value > 0 ? value : 1;
    value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    caps.maxTextureSize = value;
    if (has("GL_EXT_texture_filter_anisotropic")) {
        GLfloat anisotropy = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        caps.maxAnisotropy = anisotropy;
    }
    if (caps.programs) {
        // Vertex programs count every instruction as arithmetic; the ALU
        // limit exists only for fragment programs.
        glext::glGetProgramivARB(GL_VERTEX_PROGRAM_ARB, GL_MAX_PROGRAM_INSTRUCTIONS_ARB,
                                 &caps.maxVertexAluInstructions);
        glext::glGetProgramivARB(GL_FRAGMENT_PROGRAM_ARB, GL_MAX_PROGRAM_ALU_INSTRUCTIONS_ARB,
                                 &caps.maxFragmentAluInstructions);
    }
    caps.swapInterval = SDL_GL_GetSwapInterval();
    while (glGetError() != GL_NO_ERROR) {
    }
}

void SetSwapInterval(int interval)
{
    Caps().swapInterval = interval;
    SDL_GL_SetSwapInterval(interval);
}

void SetMultisample(bool on)
{
    GlCaps& caps = Caps();
    caps.multisampleOn = on && caps.multisample;
    if (caps.multisampleOn)
        glEnable(GL_MULTISAMPLE_ARB);
    else
        glDisable(GL_MULTISAMPLE_ARB);
}

void DescribeDriver(char* out, int size)
{
    const GlCaps& caps = Caps();
    auto yesNo = [](bool flag) { return flag ? "yes" : "no"; };
    std::snprintf(out, static_cast<size_t>(size),
                  "Vendor: %s\nRenderer: %s\nVersion: %s\n\nShaders: %s\nRender targets: %s\n"
                  "Texture compression: %s\nMax texture size: %d\nTexture units: %d\nMultisample: %s (%d samples)",
                  caps.vendor ? caps.vendor : "", caps.renderer ? caps.renderer : "",
                  caps.version ? caps.version : "", yesNo(caps.programs), yesNo(caps.pbuffers),
                  yesNo(caps.compression), caps.maxTextureSize, caps.maxTextureUnits, yesNo(caps.multisample),
                  caps.samples);
}
