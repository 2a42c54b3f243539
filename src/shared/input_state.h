// The shared input state: keys, mouse and buttons as the main window saw
// them. The platform layer writes it while dispatching window events; the
// camera, the tools and the user interface read it once per frame.
//
// Keys are indexed by virtual-key code (the numbering stored in
// Glebora.ini: letters are their upper-case ASCII codes, see the constants
// below), so a setting such as "key-Forward E" means what it says.
#pragma once

#include <cstdint>

namespace vk {
constexpr int Backspace = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Alt = 0x12;
constexpr int Pause = 0x13;
constexpr int CapsLock = 0x14;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int PageUp = 0x21;
constexpr int PageDown = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int Numpad0 = 0x60;
constexpr int Multiply = 0x6A;
constexpr int Add = 0x6B;
constexpr int Subtract = 0x6D;
constexpr int Decimal = 0x6E;
constexpr int Divide = 0x6F;
constexpr int F1 = 0x70;
constexpr int NumLock = 0x90;
constexpr int ScrollLock = 0x91;
constexpr int Semicolon = 0xBA;
constexpr int Plus = 0xBB;
constexpr int Comma = 0xBC;
constexpr int Minus = 0xBD;
constexpr int Period = 0xBE;
constexpr int Slash = 0xBF;
constexpr int Grave = 0xC0;
constexpr int LeftBracket = 0xDB;
constexpr int Backslash = 0xDC;
constexpr int RightBracket = 0xDD;
constexpr int Quote = 0xDE;
}  // namespace vk

enum MouseButton { MouseLeft = 0, MouseMiddle = 1, MouseRight = 2 };

// One wheel notch, in the units the wheel field counts.
constexpr int kWheelNotch = 120;

struct InputState {
    bool keyDown[256] = {};
    // Flipped on every key release that follows a press; consumers clear
    // the flag they act on.
    bool keyToggle[256] = {};

    int mouseX = 0;  // client coordinates of the 3D view, y downward
    int mouseY = 0;
    int mouseDx = 0;  // movement since the last frame
    int mouseDy = 0;

    bool buttonDown[3] = {};
    bool buttonClicked[3] = {};  // released after a press; cleared after every frame
    int wheel = 0;               // this frame's wheel movement, kWheelNotch per notch

    bool altAtPress = false;
    bool capturing = false;
    bool mouseInView = false;
    bool windowActive = false;
    bool windowFocused = false;

    void pressKey(int key);
    void releaseKey(int key);
    void releaseAllKeys();
    void pressButton(MouseButton button, bool altHeld);
    void releaseButton(MouseButton button);
    void moveMouse(int x, int y);
    bool anyButtonDown() const { return buttonDown[0] || buttonDown[1] || buttonDown[2]; }
    // What a finished frame leaves behind: movement, clicks and wheel are per frame.
    void endFrame();
    // A tool window took the mouse: nothing of this gesture reaches the view.
    void dropMouseGesture();
};

// The one instance.
InputState& Input();
