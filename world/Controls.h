#pragma once

// Every control of the window, as the help overlay and `orvane --help` list
// them.
struct ControlHelp {
    const char* input;
    const char* effect;
};

constexpr ControlHelp kControls[] = {
    {"arrow keys", "tilt the board away, towards you, left, right (held)"},
    {"t  g", "lift the ball, press it down (held)"},
    {"0  9", "rebuild the ball over the plate, where it is"},
    {"1  2  3", "show or hide the mass points, springs, skin"},
    {"8", "lighting, ground texture, sky and lightning off or on"},
    {"l", "a flash of lightning"},
    {"w s a d r f", "fly the camera (held)"},
    {"mouse", "turn the camera"},
    {"space + mouse", "move the camera instead"},
    {"left button", "grab the ball where you point and pull it"},
    {"p", "pause or resume the simulation"},
    {"o", "one step while paused"},
    {"[  ]", "half or double speed (x1/8 to x8)"},
    {"h  F1", "show or hide this help"},
    {"Esc", "quit"},
};
