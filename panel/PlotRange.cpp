#include "panel/PlotRange.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int kTicks = 4;  // intervals on the axis

// The smallest of 1, 2, 5 times a power of ten that is at least `value`.
double niceAbove(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= value) return factor * power;
    }
    return 10.0 * power;
}

struct Span {
    double low, high, step;
};

// Values that differ only in their last digits (a total energy at rest)
// must not make a tick step finer than the numbers can hold: adding such a
// step to a tick would leave it where it was, and the axis would never end.
constexpr double kNarrowestRelativeWidth = 1e-9;

// [low, high] widened to whole tick steps. A single value (a level board's
// tilt, no contacts yet) gets a step either side: on a tick it would
// otherwise have a range of no height, where nothing can be placed.
Span niceSpan(double low, double high) {
    double width = high - low;
    if (!(width > 0.0)) width = high != 0.0 ? std::fabs(high) : 1.0;
    width = std::max(width, std::max(std::fabs(low), std::fabs(high)) * kNarrowestRelativeWidth);
    const double step = niceAbove(width / kTicks);
    const double niceLow = std::floor(low / step) * step, niceHigh = std::ceil(high / step) * step;
    if (niceHigh > niceLow) return {niceLow, niceHigh, step};
    return {niceLow - step, niceHigh + step, step};
}
}  // namespace

void PlotRange::update(double low, double high) {
    if (!std::isfinite(low) || !std::isfinite(high)) return;
    const Span wanted = niceSpan(low, high);
    if (empty_ || low < low_ || high > high_) {
        const Span grown = empty_ ? wanted : niceSpan(std::min(low, low_), std::max(high, high_));
        low_ = grown.low;
        high_ = grown.high;
        step_ = grown.step;
        empty_ = false;
        quietUpdates_ = 0;
        return;
    }
    // Shrink only when the values have used less than a third of the range
    // for long enough.
    const bool roomy = (wanted.high - wanted.low) * 3.0 < (high_ - low_);
    quietUpdates_ = roomy ? quietUpdates_ + 1 : 0;
    if (quietUpdates_ < kQuietUpdatesBeforeShrinking) return;
    low_ = wanted.low;
    high_ = wanted.high;
    step_ = wanted.step;
    quietUpdates_ = 0;
}
