#pragma once

#include <vector>

namespace tavrin::bench {

// The middle value (the mean of the two middle ones for an even count); 0 for none.
double median(std::vector<double> values);

// The value at rank ceil(percent / 100 * count) of the sorted values; 0 for none.
double nearestRankPercentile(std::vector<double> values, double percent);

// The slope of the least-squares line through (x, y); 0 with fewer than two distinct x.
double leastSquaresSlope(const std::vector<double>& x, const std::vector<double>& y);

}  // namespace tavrin::bench
