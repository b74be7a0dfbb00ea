#include "bench/frame/Summary.h"

#include <algorithm>
#include <cmath>
#include <numeric>

Summary summarise(std::vector<double> values) {
    Summary summary;
    if (values.empty()) return summary;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    summary.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    const std::size_t rank = static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(n)));
    summary.p90 = values[std::max<std::size_t>(rank, 1) - 1];
    summary.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
    summary.max = values.back();
    return summary;
}
