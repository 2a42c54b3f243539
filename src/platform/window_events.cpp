#include "platform/window_events.h"

#include "platform/key_codes.h"
#include "shared/input_state.h"

namespace {

bool mouseButtonIndex(Uint8 sdlButton, MouseButton& button)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: button = MouseLeft; return true;
    case SDL_BUTTON_MIDDLE: button = MouseMiddle; return true;
    case SDL_BUTTON_RIGHT: button = MouseRight; return true;
    default: return false;
    }
}

void windowEvent(const SDL_WindowEvent& event, InputState& input, WindowListener& listener,
                 const EventContext& context)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: listener.onQuitRequest(); break;
    case SDL_WINDOWEVENT_MOVED: listener.onWindowMoved(event.data1, event.data2); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        listener.onViewResized(event.data1, event.data2 - context.viewTop, context.maximized);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        input.windowActive = true;
        input.windowFocused = true;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys released while another window has the focus never arrive.
        input.releaseAllKeys();
        input.windowActive = false;
        input.windowFocused = false;
        break;
    case SDL_WINDOWEVENT_LEAVE: input.mouseInView = false; break;
    default: break;
    }
}

}  // namespace

void TranslateEvent(const SDL_Event& event, InputState& input, WindowListener& listener, const EventContext& context)
{
    switch (event.type) {
    case SDL_QUIT: listener.onQuitRequest(); break;
    case SDL_WINDOWEVENT: windowEvent(event.window, input, listener, context); break;
    case SDL_KEYDOWN: {
        int key = VirtualKeyFromScancode(event.key.keysym.scancode);
        if (key == 0) break;
        // Typing into a text field must not steer the camera or the tools.
        if (context.uiWantsKeyboard && key != vk::Escape) break;
        input.pressKey(key);
        if (key == vk::Escape && !event.key.repeat && !context.uiWantsKeyboard) listener.onQuitRequest();
        break;
    }
    case SDL_KEYUP: {
        int key = VirtualKeyFromScancode(event.key.keysym.scancode);
        if (key != 0) input.releaseKey(key);
        break;
    }
    case SDL_MOUSEMOTION: input.moveMouse(event.motion.x, event.motion.y - context.viewTop); break;
    case SDL_MOUSEBUTTONDOWN: {
        MouseButton button;
        if (!mouseButtonIndex(event.button.button, button)) break;
        input.pressButton(button, input.keyDown[vk::Alt]);
        break;
    }
    case SDL_MOUSEBUTTONUP: {
        MouseButton button;
        if (!mouseButtonIndex(event.button.button, button)) break;
        input.releaseButton(button);
        break;
    }
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        input.wheel += notches * kWheelNotch;
        break;
    }
    case SDL_DROPFILE:
        if (event.drop.file) listener.onDroppedFile(event.drop.file);
        break;
    default: break;
    }
}
