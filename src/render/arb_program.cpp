#include "render/arb_program.h"

#include <cstring>

#include "render/gl_caps.h"
#include "render/gl_entry_points.h"
#include "shared/message_box.h"

namespace {
bool g_nativeWarningShown = false;
}

void ResetShaderWarning() { g_nativeWarningShown = false; }

ArbProgram::~ArbProgram() { Release(); }

bool ArbProgram::LoadFragment(const char* text) { return load(GL_FRAGMENT_PROGRAM_ARB, text); }

bool ArbProgram::LoadVertex(const char* text) { return load(GL_VERTEX_PROGRAM_ARB, text); }

bool ArbProgram::load(unsigned int target, const char* text)
{
    m_errorPosition = -1;
    m_errorText.clear();
    if (!Caps().programs || !text) return false;
    m_target = target;
    while (glGetError() != GL_NO_ERROR) {
    }
    if (m_name == 0) glext::glGenProgramsARB(1, &m_name);
    glext::glBindProgramARB(target, m_name);
    glext::glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, static_cast<GLsizei>(std::strlen(text)), text);
    GLint position = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &position);
    GLint native = 1;
    glext::glGetProgramivARB(target, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB, &native);
    GLenum error = glGetError();
    while (glGetError() != GL_NO_ERROR) {
    }
    m_errorPosition = position;
    if (position == -1 && error != GL_INVALID_OPERATION) {
        if (!native && !g_nativeWarningShown) {
            g_nativeWarningShown = true;
            ShowMessageBox("Shader Error", "Shaders not running nativly in hardware", MessageIcon::Warning);
        }
        glext::glBindProgramARB(target, 0);
        glDisable(target);
        return true;
    }
    const GLubyte* message = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
    m_errorText = message ? reinterpret_cast<const char*>(message) : "";
    glext::glBindProgramARB(target, 0);
    return false;
}

void ArbProgram::Bind()
{
    if (!Caps().programs || !m_name) return;
    glext::glBindProgramARB(m_target, m_name);
    glEnable(m_target);
}

void ArbProgram::Unbind()
{
    if (!Caps().programs || !m_target) return;
    glext::glBindProgramARB(m_target, 0);
    glDisable(m_target);
}

void ArbProgram::Release()
{
    if (m_name && Caps().programs) glext::glDeleteProgramsARB(1, &m_name);
    m_name = 0;
}
