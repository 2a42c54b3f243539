// The editor's entry: start-up, the message loop and the exit code.
#pragma once

#include <string>

struct RunOptions {
    // Run this many frames, then quit as if the window had been closed
    // (-1: run until the user quits). Message boxes answer themselves.
    int frames = -1;
    // Write the last frame drawn before quitting to this PNG file.
    std::string screenshot;
};

// Parses the command line; false (with a message on stderr) on a bad option.
bool ParseRunOptions(int argc, char** argv, RunOptions& options);

int RunEditor(const RunOptions& options);
