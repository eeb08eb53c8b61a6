#include "monitor/ContinuousTable.h"

#include <algorithm>
#include <cctype>

#include "link/Numbers.h"
#include "link/OperationParams.h"

namespace tavro {

namespace {

constexpr int kMsPerHundredth = 10;
constexpr double kHundredths = 100.0;

std::size_t Index(int r) {
    return static_cast<std::size_t>(std::clamp(r, 0, ContinuousTable::kRows - 1));
}

}  // namespace

ContinuousTable::ContinuousTable() {
    rows_[0].choice = kChoiceOrigin;
}

ContinuousRow& ContinuousTable::Row(int r) {
    return rows_[Index(r)];
}

const ContinuousRow& ContinuousTable::Row(int r) const {
    return rows_[Index(r)];
}

bool ContinuousTable::TimedChoice(int choice) const {
    return timeMode_ && choice >= kChoiceFirstStep && choice <= kChoiceLastStep;
}

void ContinuousTable::Update(int r, const StatusBlock& status) {
    ContinuousRow& row = Row(r);
    row.timed = TimedChoice(row.choice);
    // The positioning time bounds the operating time only where the steps are entered by time.
    const bool byTime =
        row.timed && (status.flags & kFlagStepDataMoved) != 0 && status.stepInputMethod[0] == 0;
    row.minimum = byTime ? PositioningTime(row.choice - kChoiceFirstStep) : kShortestTime;
}

void ContinuousTable::UpdateAll(const StatusBlock& status) {
    for (int r = 0; r < kRows; ++r) {
        Update(r, status);
    }
}

void ContinuousTable::SetPositioningTime(int index, float seconds) {
    if (index < 0 || index >= kSteps) {
        return;
    }
    positioningTimes_[static_cast<std::size_t>(index)] =
        TruncToInt(static_cast<double>(seconds) * kHundredths + 0.5);
}

int ContinuousTable::PositioningTime(int index) const {
    if (index < 0 || index >= kSteps) {
        return kShortestTime;
    }
    return positioningTimes_[static_cast<std::size_t>(index)];
}

int ContinuousTable::EndRow() const {
    for (int r = 0; r < kRows; ++r) {
        if (rows_[static_cast<std::size_t>(r)].choice == kChoiceEnd) {
            return r;
        }
    }
    return kRows;
}

bool ContinuousTable::TimeAllowed(int r, int time, int& lowest) const {
    const ContinuousRow& row = Row(r);
    lowest = std::max(row.minimum, kShortestTime);
    return !row.timed || (time >= lowest && time <= kLongestTime);
}

bool ContinuousTable::CycleFlag(std::span<const bool> oneTime, bool cycleContinuously) const {
    for (int r = 0; r < kRows; ++r) {
        if (rows_[static_cast<std::size_t>(r)].choice == kChoiceEnd) {
            return false;
        }
        const auto i = static_cast<std::size_t>(r);
        if (i >= oneTime.size() || !oneTime[i]) {
            return cycleContinuously;
        }
    }
    return false;
}

int ContinuousTable::RunParameter(int r) const {
    return StepRunParameter(Row(r).choice - 1);
}

int ContinuousTable::StepRunParameter(int step) {
    return PackMotion({.step = step, .svon = true, .drive = true});
}

int ContinuousTable::RunTimeMs(int r) const {
    const ContinuousRow& row = Row(r);
    return row.timed ? row.time * kMsPerHundredth : 0;
}

std::optional<long long> ParseWholeInteger(std::string_view text) {
    std::size_t i = 0;
    auto blank = [&](std::size_t at) {
        return at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0;
    };
    while (blank(i)) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    std::size_t digits = 0;
    constexpr long long kLimit = 1000000000LL;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) {
            return std::nullopt;
        }
        ++i;
        ++digits;
    }
    while (blank(i)) {
        ++i;
    }
    if (digits == 0 || i != text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

}  // namespace tavro
