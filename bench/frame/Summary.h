#pragma once

#include <vector>

// Order statistics of a series of timings (any unit).
struct Summary {
    double median = 0.0;
    double p90 = 0.0;  // nearest rank: 90 % of the values are at or below it
    double mean = 0.0;
    double max = 0.0;
};

// An empty series gives all zeros.
Summary summarise(std::vector<double> values);
