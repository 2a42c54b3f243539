#include "platform/key_codes.h"

#include <SDL_scancode.h>

#include <array>

#include "shared/input_state.h"

namespace {

constexpr std::array<unsigned char, SDL_NUM_SCANCODES> buildTable()
{
    std::array<unsigned char, SDL_NUM_SCANCODES> table{};
    for (int i = 0; i < 26; ++i) table[SDL_SCANCODE_A + i] = static_cast<unsigned char>('A' + i);
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_1 + i] = static_cast<unsigned char>('1' + i);
    table[SDL_SCANCODE_0] = '0';
    table[SDL_SCANCODE_RETURN] = vk::Return;
    table[SDL_SCANCODE_ESCAPE] = vk::Escape;
    table[SDL_SCANCODE_BACKSPACE] = vk::Backspace;
    table[SDL_SCANCODE_TAB] = vk::Tab;
    table[SDL_SCANCODE_SPACE] = vk::Space;
    table[SDL_SCANCODE_MINUS] = vk::Minus;
    table[SDL_SCANCODE_EQUALS] = vk::Plus;
    table[SDL_SCANCODE_LEFTBRACKET] = vk::LeftBracket;
    table[SDL_SCANCODE_RIGHTBRACKET] = vk::RightBracket;
    table[SDL_SCANCODE_BACKSLASH] = vk::Backslash;
    table[SDL_SCANCODE_NONUSHASH] = vk::Backslash;
    table[SDL_SCANCODE_SEMICOLON] = vk::Semicolon;
    table[SDL_SCANCODE_APOSTROPHE] = vk::Quote;
    table[SDL_SCANCODE_GRAVE] = vk::Grave;
    table[SDL_SCANCODE_COMMA] = vk::Comma;
    table[SDL_SCANCODE_PERIOD] = vk::Period;
    table[SDL_SCANCODE_SLASH] = vk::Slash;
    table[SDL_SCANCODE_CAPSLOCK] = vk::CapsLock;
    for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F1 + i] = static_cast<unsigned char>(vk::F1 + i);
    for (int i = 0; i < 12; ++i) table[SDL_SCANCODE_F13 + i] = static_cast<unsigned char>(vk::F1 + 12 + i);
    table[SDL_SCANCODE_PRINTSCREEN] = 0x2C;
    table[SDL_SCANCODE_SCROLLLOCK] = vk::ScrollLock;
    table[SDL_SCANCODE_PAUSE] = vk::Pause;
    table[SDL_SCANCODE_INSERT] = vk::Insert;
    table[SDL_SCANCODE_HOME] = vk::Home;
    table[SDL_SCANCODE_PAGEUP] = vk::PageUp;
    table[SDL_SCANCODE_DELETE] = vk::Delete;
    table[SDL_SCANCODE_END] = vk::End;
    table[SDL_SCANCODE_PAGEDOWN] = vk::PageDown;
    table[SDL_SCANCODE_RIGHT] = vk::Right;
    table[SDL_SCANCODE_LEFT] = vk::Left;
    table[SDL_SCANCODE_DOWN] = vk::Down;
    table[SDL_SCANCODE_UP] = vk::Up;
    table[SDL_SCANCODE_NUMLOCKCLEAR] = vk::NumLock;
    table[SDL_SCANCODE_KP_DIVIDE] = vk::Divide;
    table[SDL_SCANCODE_KP_MULTIPLY] = vk::Multiply;
    table[SDL_SCANCODE_KP_MINUS] = vk::Subtract;
    table[SDL_SCANCODE_KP_PLUS] = vk::Add;
    table[SDL_SCANCODE_KP_ENTER] = vk::Return;
    for (int i = 0; i < 9; ++i) table[SDL_SCANCODE_KP_1 + i] = static_cast<unsigned char>(vk::Numpad0 + 1 + i);
    table[SDL_SCANCODE_KP_0] = vk::Numpad0;
    table[SDL_SCANCODE_KP_PERIOD] = vk::Decimal;
    table[SDL_SCANCODE_NONUSBACKSLASH] = 0xE2;
    table[SDL_SCANCODE_APPLICATION] = 0x5D;
    table[SDL_SCANCODE_LCTRL] = vk::Control;
    table[SDL_SCANCODE_RCTRL] = vk::Control;
    table[SDL_SCANCODE_LSHIFT] = vk::Shift;
    table[SDL_SCANCODE_RSHIFT] = vk::Shift;
    table[SDL_SCANCODE_LALT] = vk::Alt;
    table[SDL_SCANCODE_RALT] = vk::Alt;
    table[SDL_SCANCODE_LGUI] = 0x5B;
    table[SDL_SCANCODE_RGUI] = 0x5C;
    return table;
}

constexpr auto kTable = buildTable();

}  // namespace

int VirtualKeyFromScancode(int scancode)
{
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return kTable[static_cast<size_t>(scancode)];
}
