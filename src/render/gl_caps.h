// GlCaps: what the driver can do, recorded once after the context exists.
//
// The strings are the driver's own (not copied). Every feature that needs
// an extension checks its flag here and falls back when it is false.
#pragma once

struct GlCaps {
    bool multitexture = false;
    bool compression = false;
    int maxTextureUnits = 1;
    const char* glExtensions = nullptr;
    // What the window system reports beside GL: the video driver SDL uses.
    const char* windowSystem = nullptr;
    const char* vendor = nullptr;
    const char* renderer = nullptr;
    const char* version = nullptr;
    bool programs = false;  // ARB vertex and fragment programs
    bool pbuffers = false;  // render targets (framebuffer objects) usable
    bool multisample = false;
    int samples = 0;
    int maxTextureSize = 0;
    int maxVertexAluInstructions = 0;
    int maxFragmentAluInstructions = 0;
    int swapInterval = 0;
    bool multisampleOn = false;
    float maxAnisotropy = 1.0f;
    // Beyond the classic record: DXT (S3TC) pictures can be uploaded.
    bool s3tc = false;
};

GlCaps& Caps();

// Fills Caps() and every entry point; needs a current context. samples is
// what the window's pixel format got (0 without multisampling).
void LoadExtensions(int samples);
// Vertical sync: 0 off, 1 on.
void SetSwapInterval(int interval);
void SetMultisample(bool on);
// The text of the "Video Driver" box.
void DescribeDriver(char* out, int size);
