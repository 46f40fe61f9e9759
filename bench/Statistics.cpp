#include "bench/Statistics.h"

#include <algorithm>
#include <cmath>

namespace tavrin::bench {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double nearestRankPercentile(std::vector<double> values, double percent) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(percent / 100.0 * values.size()));
    return values[std::min(std::max<std::size_t>(rank, 1), values.size()) - 1];
}

double leastSquaresSlope(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 2) return 0;
    double meanX = 0;
    double meanY = 0;
    for (std::size_t i = 0; i < n; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= static_cast<double>(n);
    meanY /= static_cast<double>(n);
    double covariance = 0;
    double variance = 0;
    for (std::size_t i = 0; i < n; ++i) {
        covariance += (x[i] - meanX) * (y[i] - meanY);
        variance += (x[i] - meanX) * (x[i] - meanX);
    }
    return variance > 0 ? covariance / variance : 0;
}

}  // namespace tavrin::bench
