#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tavro {

// One arrival of a repeatability run: where the monitor saw the table once it was in position
// and had settled, and how long the move took.
struct RepeatArrival {
    int cycle = 0;   // 1-based
    int target = 0;  // index into the run's targets
    std::int64_t positionUm = 0;
    std::int64_t moveMs = 0;
};

enum class RepeatVerdict { kPass, kFail, kUnrated };

// The statistics of the arrivals at one target. Positions and deviations in µm, times in ms.
struct RepeatStats {
    int count = 0;
    double mean = 0.0;
    double stdDev = 0.0;  // sample standard deviation (n - 1); 0 for a single arrival
    double min = 0.0;
    double max = 0.0;
    double range = 0.0;
    double halfRange = 0.0;         // the ± repeatability measured
    double largestDeviation = 0.0;  // signed: the arrival farthest from the target
    int ratedUm = 0;                // ± rated repeatability of the series; 0 when unknown
    RepeatVerdict verdict = RepeatVerdict::kUnrated;
    double moveMean = 0.0;
    double moveP95 = 0.0;  // nearest rank
    double moveMax = 0.0;
};

// Statistics of the arrivals whose target is `target`; the others are ignored. The run passes
// when the measured half-range is within the rated repeatability; with no arrival, or no
// rating, nothing is judged.
RepeatStats ComputeRepeatStats(std::span<const RepeatArrival> arrivals, int target,
                               std::int64_t targetUm, int ratedUm);

// The p-th percentile (0 < p <= 100) of the values by nearest rank; 0 for none.
double NearestRankPercentile(std::vector<double> values, double p);

}  // namespace tavro
