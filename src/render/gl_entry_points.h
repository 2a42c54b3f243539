// Every GL extension entry point the program calls, resolved by name at
// start-up (LoadExtensions). Call them through the glext namespace, e.g.
// glext::glActiveTextureARB(GL_TEXTURE1_ARB); check the matching GlCaps
// flag first. Without multitexture, glActiveTextureARB is a function that
// does nothing, so code that selects texture units keeps working on unit 0.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// X(type, name): one pointer per entry point, grouped as GlCaps judges them.
#define GLEBORA_GL_ARRAYS(X)                                                                                         \
    X(PFNGLDRAWRANGEELEMENTSPROC, glDrawRangeElements)                                                               \
    X(PFNGLLOCKARRAYSEXTPROC, glLockArraysEXT)                                                                       \
    X(PFNGLUNLOCKARRAYSEXTPROC, glUnlockArraysEXT)

#define GLEBORA_GL_MULTITEXTURE(X)                                                                                   \
    X(PFNGLMULTITEXCOORD2IARBPROC, glMultiTexCoord2iARB)                                                             \
    X(PFNGLMULTITEXCOORD3FARBPROC, glMultiTexCoord3fARB)                                                             \
    X(PFNGLMULTITEXCOORD3FVARBPROC, glMultiTexCoord3fvARB)                                                           \
    X(PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2fARB)                                                             \
    X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)                                                                 \
    X(PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB)

#define GLEBORA_GL_COMPRESSION(X)                                                                                    \
    X(PFNGLCOMPRESSEDTEXIMAGE3DARBPROC, glCompressedTexImage3DARB)                                                   \
    X(PFNGLCOMPRESSEDTEXIMAGE2DARBPROC, glCompressedTexImage2DARB)                                                   \
    X(PFNGLCOMPRESSEDTEXIMAGE1DARBPROC, glCompressedTexImage1DARB)                                                   \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE3DARBPROC, glCompressedTexSubImage3DARB)                                             \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE2DARBPROC, glCompressedTexSubImage2DARB)                                             \
    X(PFNGLCOMPRESSEDTEXSUBIMAGE1DARBPROC, glCompressedTexSubImage1DARB)                                             \
    X(PFNGLGETCOMPRESSEDTEXIMAGEARBPROC, glGetCompressedTexImageARB)

#define GLEBORA_GL_PROGRAMS(X)                                                                                       \
    X(PFNGLGENPROGRAMSARBPROC, glGenProgramsARB)                                                                     \
    X(PFNGLDELETEPROGRAMSARBPROC, glDeleteProgramsARB)                                                               \
    X(PFNGLPROGRAMSTRINGARBPROC, glProgramStringARB)                                                                 \
    X(PFNGLBINDPROGRAMARBPROC, glBindProgramARB)                                                                     \
    X(PFNGLGETPROGRAMIVARBPROC, glGetProgramivARB)                                                                   \
    X(PFNGLPROGRAMENVPARAMETER4FARBPROC, glProgramEnvParameter4fARB)                                                 \
    X(PFNGLPROGRAMLOCALPARAMETER4FARBPROC, glProgramLocalParameter4fARB)                                             \
    X(PFNGLPROGRAMENVPARAMETER4FVARBPROC, glProgramEnvParameter4fvARB)                                               \
    X(PFNGLPROGRAMLOCALPARAMETER4FVARBPROC, glProgramLocalParameter4fvARB)

// Render targets: framebuffer objects (the core names, or the EXT ones).
#define GLEBORA_GL_RENDER_TARGETS(X)                                                                                 \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                                                   \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                                             \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                                   \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)                                                         \
    X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                                                 \
    X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                                           \
    X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                                                 \
    X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                                                           \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                                                   \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                                                     \
    X(PFNGLGENERATEMIPMAPPROC, glGenerateMipmap)

#define GLEBORA_GL_ALL(X)                                                                                            \
    GLEBORA_GL_ARRAYS(X)                                                                                             \
    GLEBORA_GL_MULTITEXTURE(X)                                                                                       \
    GLEBORA_GL_COMPRESSION(X)                                                                                        \
    GLEBORA_GL_PROGRAMS(X)                                                                                           \
    GLEBORA_GL_RENDER_TARGETS(X)

namespace glext {
#define GLEBORA_DECLARE_ENTRY(type, name) extern type name;
GLEBORA_GL_ALL(GLEBORA_DECLARE_ENTRY)
#undef GLEBORA_DECLARE_ENTRY
}  // namespace glext
