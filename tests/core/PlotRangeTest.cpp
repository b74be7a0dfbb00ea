// A plot's range: nice ends, at once wider for new values, and narrower only
// after the values have kept well inside it for a while.
#include <gtest/gtest.h>

#include <cmath>

#include "panel/PlotRange.h"

TEST(PlotRange, EndsOnNiceNumbersAroundTheValues) {
    PlotRange range;
    range.update(0.3, 61.5);
    EXPECT_EQ(range.low(), 0.0);
    EXPECT_EQ(range.high(), 80.0);
    EXPECT_EQ(range.tickStep(), 20.0);
    PlotRange negative;
    negative.update(-0.8, 0.3);
    EXPECT_EQ(negative.low(), -1.0);
    EXPECT_EQ(negative.high(), 0.5);
    PlotRange flat;
    flat.update(2.3, 2.3);  // one value: a small range around it
    EXPECT_LE(flat.low(), 2.3);
    EXPECT_GT(flat.high(), 2.3);
}

TEST(PlotRange, GrowsAtOnceButHoldsStillWhileTheValuesWobble) {
    PlotRange range;
    range.update(0.0, 50.0);
    const double high = range.high();
    for (int frame = 0; frame < 1000; ++frame) {
        range.update(0.0, 30.0 + (frame % 7));  // values wobbling inside
        ASSERT_EQ(range.high(), high) << "frame " << frame;
        ASSERT_EQ(range.low(), 0.0);
    }
    range.update(0.0, 130.0);
    EXPECT_GE(range.high(), 130.0);
    range.update(-5.0, 10.0);
    EXPECT_LE(range.low(), -5.0);
}

TEST(PlotRange, ShrinksOnlyAfterTheValuesStayedSmallForAWhile) {
    PlotRange range;
    range.update(0.0, 1000.0);
    for (int frame = 1; frame < PlotRange::kQuietUpdatesBeforeShrinking; ++frame) {
        range.update(0.0, 10.0);
        ASSERT_EQ(range.high(), 1000.0) << "frame " << frame;
    }
    range.update(0.0, 10.0);
    EXPECT_EQ(range.high(), 10.0);
    range.update(std::nan(""), 1.0);  // ignored
    EXPECT_EQ(range.high(), 10.0);
}

// A total energy at rest wobbles in its last bits; the axis must still end,
// each tick moving on from the one before.
TEST(PlotRange, ValuesThatDifferInTheirLastBitsStillGiveAFewDistinctTicks) {
    for (const double value : {-123.456, 0.001, 7.0e6, -2.5e12}) {
        PlotRange range;
        range.update(value, std::nextafter(value, INFINITY));
        int ticks = 0;
        for (double tick = range.low(); tick <= range.high() + range.tickStep() * 0.5; tick += range.tickStep()) {
            ASSERT_GT(tick + range.tickStep(), tick) << value;
            ASSERT_LE(++ticks, PlotRange::kMostTicks) << value;
        }
        EXPECT_GE(ticks, 1) << value;
    }
}

// A value that stays the same (a level board's tilt, no contacts before the
// first landing) is drawn inside the plot between ticks, not on a range of
// no height.
TEST(PlotRange, AValueThatStaysTheSameLiesInsideARangeWithTicks) {
    for (const double value : {0.0, 2.0, -3.0, 25.0, 1.0e-12}) {
        PlotRange range;
        range.update(value, value);
        EXPECT_LT(range.low(), value) << value;
        EXPECT_GT(range.high(), value) << value;
        EXPECT_GE((range.high() - range.low()) / range.tickStep(), 1.0 - 1e-9) << value;
        EXPECT_LE((range.high() - range.low()) / range.tickStep(), PlotRange::kMostTicks) << value;
    }
}
