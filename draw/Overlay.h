#pragma once

struct WindowSize;

// Switches the projection to window pixels, origin at the top left corner,
// y growing downwards, with an identity model-view; endOverlay puts both
// matrices back.
void beginOverlay(const WindowSize& window);
void endOverlay();

// White 9x15 bitmap text with its baseline starting at (x, y).
void drawOverlayText(float x, float y, const char* text);

// The list of controls on a dark panel in the top right corner, over
// everything else, and a last line when there is one to add. Call between
// beginOverlay and endOverlay; it leaves the GL state as it found it.
void drawHelpPanel(const WindowSize& window, const char* lastLine = nullptr);

// The frames-per-second text: frames are counted over intervals of more
// than a second, and the text changes only when an interval ends (it is
// empty until the first one does). Frames drawn by key handlers count too.
class FrameRateCounter {
public:
    void start(int nowMs);
    void countFrame(int nowMs);
    const char* text() const { return text_; }

private:
    int framesCounted_ = 0;
    int lastTimeMs_ = 0;
    char text_[30] = {};
};
