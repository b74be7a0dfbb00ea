#pragma once

// The vertical range of a live plot that holds still: it grows at once to
// take in new values, always to "nice" ends (multiples of 1, 2 or 5 times a
// power of ten), and shrinks only after the values have stayed well inside
// it for a while, so that the axis does not rescale from frame to frame.
class PlotRange {
public:
    static constexpr int kQuietUpdatesBeforeShrinking = 120;
    static constexpr int kMostTicks = 16;  // lines on the axis, whatever the range

    // The lowest and highest value the plot shows this frame.
    void update(double low, double high);

    double low() const { return low_; }
    double high() const { return high_; }
    double tickStep() const { return step_; }  // between labelled lines on the axis

private:
    double low_ = 0.0;
    double high_ = 1.0;
    double step_ = 0.25;
    bool empty_ = true;
    int quietUpdates_ = 0;
};
