#include "platform/key_codes.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>

#include <set>

#include "shared/input_state.h"

TEST(KeyCodes, ScancodesMapToTheStoredNumbering)
{
    struct Case {
        SDL_Scancode scancode;
        int key;
    };
    const Case cases[] = {
        {SDL_SCANCODE_E, 'E'},          {SDL_SCANCODE_A, 0x41},        {SDL_SCANCODE_Z, 0x5A},
        {SDL_SCANCODE_1, '1'},          {SDL_SCANCODE_9, '9'},         {SDL_SCANCODE_0, '0'},
        {SDL_SCANCODE_TAB, 0x09},       {SDL_SCANCODE_LSHIFT, 0x10},   {SDL_SCANCODE_RSHIFT, 0x10},
        {SDL_SCANCODE_LCTRL, 0x11},     {SDL_SCANCODE_RCTRL, 0x11},    {SDL_SCANCODE_LALT, 0x12},
        {SDL_SCANCODE_RALT, 0x12},      {SDL_SCANCODE_CAPSLOCK, 0x14}, {SDL_SCANCODE_ESCAPE, 0x1B},
        {SDL_SCANCODE_SPACE, 0x20},     {SDL_SCANCODE_HOME, 0x24},     {SDL_SCANCODE_LEFT, 0x25},
        {SDL_SCANCODE_UP, 0x26},        {SDL_SCANCODE_RIGHT, 0x27},    {SDL_SCANCODE_DOWN, 0x28},
        {SDL_SCANCODE_KP_0, 0x60},      {SDL_SCANCODE_KP_1, 0x61},     {SDL_SCANCODE_KP_9, 0x69},
        {SDL_SCANCODE_F1, 0x70},        {SDL_SCANCODE_F12, 0x7B},      {SDL_SCANCODE_RETURN, 0x0D},
        {SDL_SCANCODE_DELETE, 0x2E},    {SDL_SCANCODE_PAGEUP, 0x21},   {SDL_SCANCODE_UNKNOWN, 0},
        {SDL_SCANCODE_AUDIOPLAY, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VirtualKeyFromScancode(c.scancode), c.key) << SDL_GetScancodeName(c.scancode);
    EXPECT_EQ(VirtualKeyFromScancode(-1), 0);
    EXPECT_EQ(VirtualKeyFromScancode(SDL_NUM_SCANCODES), 0);
    EXPECT_EQ(VirtualKeyFromScancode(100000), 0);
}

TEST(KeyCodes, EveryLetterAndDigitHasItsOwnCode)
{
    std::set<int> seen;
    for (int i = 0; i < 26; ++i) seen.insert(VirtualKeyFromScancode(SDL_SCANCODE_A + i));
    for (int i = 0; i < 10; ++i) seen.insert(VirtualKeyFromScancode(SDL_SCANCODE_1 + i));
    EXPECT_EQ(seen.size(), 36u);
    EXPECT_EQ(seen.count(0), 0u);
}
