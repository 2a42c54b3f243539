// ArbProgram: one ARB assembly program (vertex or fragment).
//
// Every operation does nothing (and LoadFragment returns false) when the
// driver has no programs.
#pragma once

#include <string>

class ArbProgram {
public:
    ArbProgram() = default;
    ~ArbProgram();
    ArbProgram(const ArbProgram&) = delete;
    ArbProgram& operator=(const ArbProgram&) = delete;

    // Loads a fragment program. On failure the program name is kept and
    // errorPosition / errorText tell where and why. A program that loads
    // but does not run natively shows "Shaders not running nativly in
    // hardware" once per run.
    bool LoadFragment(const char* text);
    bool LoadVertex(const char* text);
    void Bind();
    void Unbind();
    void Release();

    unsigned int name() const { return m_name; }
    unsigned int target() const { return m_target; }
    int errorPosition() const { return m_errorPosition; }
    const std::string& errorText() const { return m_errorText; }

private:
    bool load(unsigned int target, const char* text);

    unsigned int m_name = 0;
    unsigned int m_target = 0;
    int m_errorPosition = -1;
    std::string m_errorText;
};

// Whether the one-time native-limits warning has been shown (tests reset it).
void ResetShaderWarning();
