// SDL scancodes to the program's virtual-key codes.
//
// Scancodes name physical keys, so the movement keys stay where they are
// whatever the keyboard layout; the codes are the ones Glebora.ini stores
// (upper-case ASCII for letters and digits, see shared/input_state.h).
#pragma once

// 0 for keys that have no virtual-key code.
int VirtualKeyFromScancode(int scancode);
