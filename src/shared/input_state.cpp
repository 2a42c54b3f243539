#include "shared/input_state.h"

#include <cstring>

namespace {
bool validKey(int key) { return key >= 0 && key < 256; }
}  // namespace

void InputState::pressKey(int key)
{
    if (validKey(key)) keyDown[key] = true;
}

void InputState::releaseKey(int key)
{
    if (!validKey(key)) return;
    if (keyDown[key]) keyToggle[key] = !keyToggle[key];
    keyDown[key] = false;
}

void InputState::releaseAllKeys() { std::memset(keyDown, 0, sizeof keyDown); }

void InputState::pressButton(MouseButton button, bool altHeld)
{
    buttonDown[button] = true;
    altAtPress = altHeld;
    capturing = true;
}

void InputState::releaseButton(MouseButton button)
{
    capturing = false;
    if (buttonDown[button]) buttonClicked[button] = true;
    buttonDown[button] = false;
}

void InputState::moveMouse(int x, int y)
{
    mouseDx += x - mouseX;
    mouseDy += y - mouseY;
    mouseX = x;
    mouseY = y;
}

void InputState::endFrame()
{
    mouseDx = 0;
    mouseDy = 0;
    std::memset(buttonClicked, 0, sizeof buttonClicked);
    wheel = 0;
}

void InputState::dropMouseGesture()
{
    mouseDx = 0;
    mouseDy = 0;
    std::memset(buttonClicked, 0, sizeof buttonClicked);
    std::memset(buttonDown, 0, sizeof buttonDown);
    wheel = 0;
}

InputState& Input()
{
    static InputState state;
    return state;
}
