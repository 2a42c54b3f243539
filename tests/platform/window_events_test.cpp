// SDL events become the input state the camera and tools read.
#include "platform/window_events.h"

#include <gtest/gtest.h>

#include "shared/input_state.h"

namespace {

struct RecordingListener : WindowListener {
    int quitRequests = 0;
    int movedX = -1, movedY = -1;
    int width = -1, height = -1;
    bool maximized = false;
    void onQuitRequest() override { ++quitRequests; }
    void onWindowMoved(int x, int y) override
    {
        movedX = x;
        movedY = y;
    }
    void onViewResized(int w, int h, bool max) override
    {
        width = w;
        height = h;
        maximized = max;
    }
};

SDL_Event key(Uint32 type, SDL_Scancode scancode, bool repeat = false)
{
    SDL_Event event{};
    event.type = type;
    event.key.keysym.scancode = scancode;
    event.key.repeat = repeat ? 1 : 0;
    return event;
}

SDL_Event button(Uint32 type, Uint8 which, int x, int y)
{
    SDL_Event event{};
    event.type = type;
    event.button.button = which;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event windowEvent(SDL_WindowEventID id, int a = 0, int b = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = id;
    event.window.data1 = a;
    event.window.data2 = b;
    return event;
}

class Events : public ::testing::Test {
protected:
    void apply(const SDL_Event& event) { TranslateEvent(event, input, listener, context); }
    InputState input;
    RecordingListener listener;
    EventContext context{20, false, false};
};

TEST_F(Events, KeyTogglesFlipOnReleaseAfterPress)
{
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_TAB));
    EXPECT_TRUE(input.keyDown[vk::Tab]);
    EXPECT_FALSE(input.keyToggle[vk::Tab]);
    apply(key(SDL_KEYUP, SDL_SCANCODE_TAB));
    EXPECT_FALSE(input.keyDown[vk::Tab]);
    EXPECT_TRUE(input.keyToggle[vk::Tab]);
    // A release without a press (the press went to another window) changes nothing.
    apply(key(SDL_KEYUP, SDL_SCANCODE_TAB));
    EXPECT_TRUE(input.keyToggle[vk::Tab]);
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_TAB));
    apply(key(SDL_KEYUP, SDL_SCANCODE_TAB));
    EXPECT_FALSE(input.keyToggle[vk::Tab]);
}

TEST_F(Events, FocusLossReleasesEveryKey)
{
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_E));
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT));
    apply(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_TRUE(input.windowFocused);
    apply(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_FALSE(input.keyDown['E']);
    EXPECT_FALSE(input.keyDown[vk::Shift]);
    EXPECT_FALSE(input.windowActive);
    EXPECT_FALSE(input.keyToggle['E']);  // not a release the user made
}

TEST_F(Events, EscapeAndCloseRequestQuit)
{
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE));
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, true));  // auto-repeat asks only once
    EXPECT_EQ(listener.quitRequests, 1);
    apply(windowEvent(SDL_WINDOWEVENT_CLOSE));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    apply(quit);
    EXPECT_EQ(listener.quitRequests, 3);
}

TEST_F(Events, TypingIntoAFieldDoesNotReachTheView)
{
    context.uiWantsKeyboard = true;
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_E));
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE));
    EXPECT_FALSE(input.keyDown['E']);
    EXPECT_EQ(listener.quitRequests, 0);
}

SDL_Event motion(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

TEST_F(Events, ButtonsClicksAndViewCoordinates)
{
    apply(motion(100, 70));
    EXPECT_EQ(input.mouseY, 50);  // below the 20-pixel menu bar
    input.endFrame();
    apply(key(SDL_KEYDOWN, SDL_SCANCODE_LALT));
    apply(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 70));
    EXPECT_TRUE(input.buttonDown[MouseLeft]);
    EXPECT_TRUE(input.altAtPress);
    EXPECT_TRUE(input.capturing);
    apply(motion(110, 75));
    apply(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 110, 75));
    EXPECT_FALSE(input.buttonDown[MouseLeft]);
    EXPECT_TRUE(input.buttonClicked[MouseLeft]);
    EXPECT_FALSE(input.capturing);
    EXPECT_EQ(input.mouseDx, 10);
    EXPECT_EQ(input.mouseDy, 5);
    // A release without a press is no click.
    apply(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 110, 75));
    EXPECT_FALSE(input.buttonClicked[MouseRight]);
    input.endFrame();
    EXPECT_FALSE(input.buttonClicked[MouseLeft]);
    EXPECT_EQ(input.mouseDx, 0);
}

TEST_F(Events, MotionAccumulatesWithinAFrame)
{
    for (int x : {10, 15, 12}) apply(motion(x, 40));
    EXPECT_EQ(input.mouseX, 12);
    EXPECT_EQ(input.mouseY, 20);
    EXPECT_EQ(input.mouseDx, 12);
}

TEST_F(Events, WheelCountsNotches)
{
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    apply(wheel);
    wheel.wheel.y = 1;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    apply(wheel);
    EXPECT_EQ(input.wheel, kWheelNotch);
}

TEST_F(Events, WindowGeometryReachesTheListener)
{
    apply(windowEvent(SDL_WINDOWEVENT_MOVED, 30, 40));
    EXPECT_EQ(listener.movedX, 30);
    EXPECT_EQ(listener.movedY, 40);
    context.maximized = true;
    apply(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 620));
    EXPECT_EQ(listener.width, 800);
    EXPECT_EQ(listener.height, 600);
    EXPECT_TRUE(listener.maximized);
}

}  // namespace
