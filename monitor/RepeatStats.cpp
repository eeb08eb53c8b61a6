#include "monitor/RepeatStats.h"

#include <algorithm>
#include <cmath>

namespace tavro {

double NearestRankPercentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    std::size_t i = rank < 1.0 ? 0 : static_cast<std::size_t>(rank) - 1;
    if (i >= values.size()) {
        i = values.size() - 1;
    }
    return values[i];
}

RepeatStats ComputeRepeatStats(std::span<const RepeatArrival> arrivals, int target,
                               std::int64_t targetUm, int ratedUm) {
    RepeatStats s;
    s.ratedUm = ratedUm;
    std::vector<double> positions;
    std::vector<double> moves;
    for (const RepeatArrival& a : arrivals) {
        if (a.target == target) {
            positions.push_back(static_cast<double>(a.positionUm));
            moves.push_back(static_cast<double>(a.moveMs));
        }
    }
    if (positions.empty()) {
        return s;
    }
    s.count = static_cast<int>(positions.size());
    const double n = static_cast<double>(positions.size());
    // Two passes: the mean first, then the squares about it, which keeps the variance of
    // positions tens of millimetres from zero exact to the µm.
    double sum = 0.0;
    for (const double p : positions) {
        sum += p;
    }
    s.mean = sum / n;
    double squares = 0.0;
    for (const double p : positions) {
        squares += (p - s.mean) * (p - s.mean);
    }
    s.stdDev = positions.size() > 1 ? std::sqrt(squares / (n - 1.0)) : 0.0;
    const auto [lo, hi] = std::minmax_element(positions.begin(), positions.end());
    s.min = *lo;
    s.max = *hi;
    s.range = s.max - s.min;
    s.halfRange = s.range / 2.0;
    const double t = static_cast<double>(targetUm);
    s.largestDeviation = std::fabs(s.max - t) >= std::fabs(s.min - t) ? s.max - t : s.min - t;
    if (ratedUm > 0) {
        s.verdict = s.halfRange <= static_cast<double>(ratedUm) ? RepeatVerdict::kPass
                                                                : RepeatVerdict::kFail;
    }
    double moveSum = 0.0;
    for (const double m : moves) {
        moveSum += m;
    }
    s.moveMean = moveSum / n;
    s.moveMax = *std::max_element(moves.begin(), moves.end());
    s.moveP95 = NearestRankPercentile(moves, 95.0);
    return s;
}

}  // namespace tavro
