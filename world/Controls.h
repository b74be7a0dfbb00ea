#pragma once

// Every control of the window, as the help overlay and `orvane --help` list
// them.
struct ControlHelp {
    const char* input;
    const char* effect;
};

constexpr ControlHelp kControls[] = {
    {"arrow keys", "tilt the board (held)"},
    {"t  g", "lift, press the ball (held)"},
    {"0  9", "rebuild the ball: middle, here"},
    {"1  2  3", "show points, springs, skin"},
    {"8", "lights, texture, sky on or off"},
    {"l", "a flash of lightning"},
    {"w s a d r f", "fly the camera (held)"},
    {"mouse", "turn the camera"},
    {"space + mouse", "move the camera"},
    {"left button", "grab the ball and pull it"},
    {"p", "pause or resume"},
    {"o", "one step while paused"},
    {"[  ]", "slower, faster (x1/8 to x8)"},
    {"h  F1", "show or hide this help"},
    {"Tab", "the study panel"},
    {"Esc", "quit"},
};
