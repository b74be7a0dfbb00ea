#pragma once

// The study panel as a person at the window meets it: the words it shows
// and where, read from the glyphs of the frame Dear ImGui last drew, and a
// pointer that travels to a word, clicks it and turns the wheel, all from
// outside through the X server (xdotool) while the window goes on.

#include <functional>
#include <string>
#include <vector>

#include "tests/render/DrivenWindow.h"
#include "tests/render/RenderHarness.h"

namespace render {

// A run of text on one line of the panel, as drawn: one widget's label, a
// menu's entry, a heading. Whole when no glyph of it is cut off by the
// panel's edge (a text wholly outside is not drawn at all).
struct ShownText {
    std::string text;
    PixelBox box;
    PixelBox clip;  // where the panel lets it show
    bool whole = false;

    int centreX() const { return static_cast<int>(box.centreX() + 0.5); }
    int centreY() const { return static_cast<int>(box.centreY() + 0.5); }
};

// The texts of the panel's last frame, the panel's window and any menu open
// over it, in the order they were drawn.
std::vector<ShownText> shownTexts();

// The first text that reads exactly `text`, or nullptr.
const ShownText* findShown(const std::vector<ShownText>& texts, const std::string& text);

// The pointer of a person at the panel, from where it was last sent.
class PanelUser {
public:
    // Brings the pointer in from outside to (x, y) in the window, off the panel.
    PanelUser(TracedWindow& traced, unsigned long window, int x, int y);

    // Turns the wheel over the panel, a notch at a time, until `text` shows
    // whole: toward it when it is cut off, else down (or up, for
    // `lookUp`). False if it never does.
    bool bringIntoView(const std::string& text, ShownText& found, bool lookUp = false);

    // Travels to the text in small motions and clicks it with the left button.
    void click(const ShownText& text);

    // The same for a text first brought into view; false if it never shows.
    bool clickOn(const std::string& text, bool lookUp = false);

    // Over the panel, each waits until the panel has seen it: the pointer
    // arrive, the button go down for a frame and up again.
    void travelTo(int x, int y);
    void turnWheel(int notchesDown);  // negative: up

    // Idle calls until `condition` holds, at most a generous number of them
    // (a count, not a time, which a busy machine would spend on fewer).
    bool waitUntil(const std::function<bool()>& condition);

private:
    TracedWindow& traced_;
    unsigned long window_;
    int x_, y_;
};

}  // namespace render
