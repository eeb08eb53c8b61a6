#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

#include "link/StatusBlock.h"

namespace tavro {

// Step choices of a continuous-operation row: the items of its drop-down list.
inline constexpr int kChoiceEnd = 0;
inline constexpr int kChoiceOrigin = 1;
inline constexpr int kChoiceFirstStep = 2;  // step data 1
inline constexpr int kChoiceLastStep = 16;  // step data 15

// A whole signed decimal integer, blanks around it allowed; nothing for any other text.
std::optional<long long> ParseWholeInteger(std::string_view text);

// One row of the continuous operation. Times are in 0.01 s.
struct ContinuousRow {
    int choice = kChoiceEnd;
    int time = 600;
    int minimum = 5;
    bool timed = false;
};

// The rows of the continuous operation and the rules that walk them; the one-time boxes stay
// in the list control and are passed in where they matter.
class ContinuousTable {
  public:
    static constexpr int kRows = 20;
    static constexpr int kSteps = 15;
    static constexpr int kShortestTime = 5;     // 0.05 s
    static constexpr int kLongestTime = 12000;  // 120 s

    ContinuousTable();
    virtual ~ContinuousTable() = default;

    ContinuousRow& Row(int r);
    const ContinuousRow& Row(int r) const;

    // Operating time (0 INP signal, 1 operating time).
    void SetTimeMode(bool on) { timeMode_ = on; }
    bool TimeMode() const { return timeMode_; }

    // Whether a row with this choice ends on its operating time.
    bool TimedChoice(int choice) const;
    // The row's time transition and minimum time from its choice and the step data.
    void Update(int r, const StatusBlock& status);
    void UpdateAll(const StatusBlock& status);

    // Positioning time of step `index` (0..14), seconds as the image holds it.
    void SetPositioningTime(int index, float seconds);
    int PositioningTime(int index) const;

    // The first row whose choice is End; kRows when none is.
    int EndRow() const;
    // Whether a time in 0.01 s is allowed for the row; its lower limit in `lowest`.
    bool TimeAllowed(int r, int time, int& lowest) const;
    // Cycling goes on only when some row before the first End runs in every pass.
    bool CycleFlag(std::span<const bool> oneTime, bool cycleContinuously) const;
    // OP_STEP_RUN's parameter and status argument (operating time in ms, 0 for none).
    int RunParameter(int r) const;
    // OP_STEP_RUN's parameter for step 1..15, or 0 for the return to origin.
    static int StepRunParameter(int step);
    int RunTimeMs(int r) const;

  private:
    std::array<ContinuousRow, kRows> rows_{};
    std::array<int, kSteps> positioningTimes_{};
    bool timeMode_ = false;
};

}  // namespace tavro
