// The editor's entry: start-up, the message loop and the exit code.
#pragma once

#include <string>
#include <vector>

struct RunOptions {
    // Run this many frames, then quit as if the window had been closed
    // (-1: run until the user quits). Message boxes answer themselves.
    int frames = -1;
    // Write the last frame drawn before quitting to this PNG file.
    std::string screenshot;
    // Menu commands (by id) to run after start-up, as if chosen from the menu.
    std::vector<int> commands;
};

// Parses the command line; false (with a message on stderr) on a bad option.
bool ParseRunOptions(int argc, char** argv, RunOptions& options);

int RunEditor(const RunOptions& options);

class MainWindow;
class EditorApp;
struct FramePixels;
// One frame of the message loop: update, render, the user interface, the
// swap; capture (when given) receives the finished frame before the swap.
void RunOneFrame(MainWindow& window, EditorApp& app, FramePixels* capture = nullptr);
