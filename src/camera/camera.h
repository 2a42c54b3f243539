// Camera: the editor's one fly-through camera.
//
// What lives here today is the state that the settings file, the menus and
// the shell already own: the movement keys, the speed and mouse options and
// the projection limits. The controller that moves the camera from the
// input state builds on these fields.
#pragma once

class Camera {
public:
    // Movement keys as virtual-key codes (see shared/input_state.h).
    char keyForward = 'E';
    char keyBack = 'D';
    char keyLeft = 'S';
    char keyRight = 'F';
    char keyUp = 'A';
    char keyDown = 'Z';

    float speedFactor = 1.0f;  // "Slow" 0.5, "Normal" 1, "Fast" 1.5
    bool wasdMode = false;
    bool reverseMouse = false;
    bool stickToGround = false;

    // Projection.
    float fieldOfView = 45.0f;
    float nearDistance = 0.1f;
    float farDistance = 4000.0f;
    int viewWidth = 640;
    int viewHeight = 480;
};
