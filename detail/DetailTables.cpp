#include "detail/DetailTables.h"

#include <algorithm>
#include <cmath>

#include "link/Numbers.h"
#include "product/Product.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

constexpr double kMicronsPerMm = 1000.0;
// Beyond this a typed number is no position at all; keeps the rounding in range.
constexpr double kMicronsLimit = 2.0e9;

long RoundMicrons(double millimetres) {
    double v = millimetres * kMicronsPerMm;
    if (!std::isfinite(v)) {
        v = 0.0;
    }
    v = std::clamp(v, -kMicronsLimit, kMicronsLimit);
    return std::lround(v);
}

long TowardsZero(long v, int step) {
    return step >= 1 ? v - v % step : v;
}

}  // namespace

int SeriesIndexOfCode(int code) {
    for (std::size_t i = 0; i < kSeriesCodeOfIndex.size(); ++i) {
        if (kSeriesCodeOfIndex[i] == code) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

float PositionResolution(int seriesCode) {
    const product::SeriesFacts* f = product::FindSeries(seriesCode);
    return f != nullptr ? static_cast<float>(f->positionStepUm) / 1000.0F : 0.0F;
}

DetailLimits DetailLimitsFor(int stroke, int seriesCode, bool relative) {
    DetailLimits out;
    out.stroke = stroke;
    out.maxThrust = MaxThrust(stroke);
    out.resolution = PositionResolution(seriesCode);
    out.seriesCode = seriesCode;
    out.targetMinimum = relative ? -static_cast<float>(stroke) : 0.0F;
    return out;
}

SpinSetup SpinSetupFor(bool productComplete, const DetailLimits& limits) {
    SpinSetup out;
    const int code = limits.seriesCode >= 0 && limits.seriesCode <= 3 ? limits.seriesCode : 0;
    const int strokeMicrons = 1000 * limits.stroke;
    if (productComplete) {
        out.step = TruncToInt(kMicronsPerMm * static_cast<double>(limits.resolution) + 0.1);
    } else {
        out.step = code == product::Code(product::Series::kF)
                       ? 1
                       : (code == product::Code(product::Series::kM) ? 5 : 30);
    }
    for (std::size_t i = 0; i < kDetailSpins.size(); ++i) {
        out.upper[i] = productComplete || limits.stroke > 0
                           ? strokeMicrons
                           : kDetailSpins[i].defaultUpper[static_cast<std::size_t>(code)];
    }
    out.lower = TruncToInt(kMicronsPerMm * static_cast<double>(limits.targetMinimum));
    return out;
}

int SnapMicrons(double millimetres, int step) {
    return static_cast<int>(TowardsZero(RoundMicrons(millimetres), step));
}

int SpinMicrons(double millimetres, int delta, int lower, int upper, int step) {
    long v = RoundMicrons(millimetres) + delta;
    v = std::clamp(v, static_cast<long>(lower), static_cast<long>(std::max(lower, upper)));
    return static_cast<int>(TowardsZero(v, step));
}

std::string JoinArea(double first, double second, std::string_view separator) {
    const double low = std::min(first, second);
    const double high = std::max(first, second);
    return Format("%.3f", low) + std::string(separator) + Format("%.3f", high);
}

}  // namespace tavro
