#include "stepdata/StepRecord.h"

#include <cmath>

#include "link/CStatusFlg.h"
#include "link/Numbers.h"

namespace tavro {

namespace {

enum class BoundKind { kValue, kStroke, kMinusStroke, kThrust };

struct Bound {
    BoundKind kind;
    float value;
};

constexpr Bound Value(float v) {
    return {BoundKind::kValue, v};
}
constexpr Bound kStroke{BoundKind::kStroke, 0.0F};
constexpr Bound kMinusStroke{BoundKind::kMinusStroke, 0.0F};
constexpr Bound kThrust{BoundKind::kThrust, 0.0F};

enum class ModeMatch { kAny, kAbsolute, kRelative };

struct LimitRow {
    StepField field;
    ModeMatch mode;
    Bound min;
    Bound max;
    int decimals;
    int message;
};

constexpr LimitRow kLimits[] = {
    {StepField::kTargetPosition, ModeMatch::kAbsolute, Value(0.0F), kStroke, 3,
     kMsgTargetPositionRange},
    {StepField::kTargetPosition, ModeMatch::kRelative, kMinusStroke, kStroke, 3,
     kMsgTargetPositionRange},
    {StepField::kPositioningTime, ModeMatch::kAny, Value(0.0F), Value(60.0F), 2,
     kMsgOperatingTimeRange},
    {StepField::kSpeed, ModeMatch::kAny, Value(0.0F), Value(400.0F), 0, kMsgSpeedRange},
    {StepField::kAcceleration, ModeMatch::kAny, Value(0.0F), Value(60000.0F), 0,
     kMsgAccelerationRange},
    {StepField::kDeceleration, ModeMatch::kAny, Value(0.0F), Value(60000.0F), 0,
     kMsgDecelerationRange},
    {StepField::kThrustSetting, ModeMatch::kAny, Value(1.0F), kThrust, 1, kMsgThrustRange},
    {StepField::kPushingSpeed, ModeMatch::kAny, Value(1.0F), Value(20.0F), 0,
     kMsgPushingSpeedRange},
    {StepField::kInPositionRange, ModeMatch::kAny, Value(0.0F), kStroke, 3, kMsgPositioningRange},
    {StepField::kInForceLevel, ModeMatch::kAny, Value(0.5F), kThrust, 1, kMsgTriggerLimitRange},
    {StepField::kAreaA, ModeMatch::kAny, Value(0.0F), kStroke, 3, kMsgAreaARange},
    {StepField::kAreaB, ModeMatch::kAny, Value(0.0F), kStroke, 3, kMsgAreaBRange},
};

enum class ArgKind { kValue, kTargetMin, kTargetMax, kStroke, kThrust };

struct HelpArg {
    ArgKind kind;
    double value;
};

struct HelpRow {
    StepField field;
    std::array<int, 4> ids;  // by 2 x pushing + relative
    int argCount;
    std::array<HelpArg, 3> args;
};

constexpr HelpArg Arg(double v) {
    return {ArgKind::kValue, v};
}
constexpr HelpArg kArgTargetMin{ArgKind::kTargetMin, 0.0};
constexpr HelpArg kArgTargetMax{ArgKind::kTargetMax, 0.0};
constexpr HelpArg kArgStroke{ArgKind::kStroke, 0.0};
constexpr HelpArg kArgThrust{ArgKind::kThrust, 0.0};
constexpr std::array<int, 4> Same(int id) {
    return {id, id, id, id};
}

constexpr HelpRow kHelp[] = {
    {StepField::kTargetPosition,
     {kHelpTargetPositioningAbs, kHelpTargetPositioningInc, kHelpTargetPushingAbs,
      kHelpTargetPushingInc},
     2,
     {kArgTargetMin, kArgTargetMax, Arg(0.0)}},
    {StepField::kPositioningTime, Same(kHelpPositioningTime), 2, {Arg(0.0), Arg(60.0), Arg(0.0)}},
    {StepField::kSpeed, Same(kHelpSpeed), 2, {Arg(0.0), Arg(400.0), Arg(0.0)}},
    {StepField::kAcceleration, Same(kHelpAcceleration), 2, {Arg(0.0), Arg(60000.0), Arg(0.0)}},
    {StepField::kDeceleration, Same(kHelpDeceleration), 2, {Arg(0.0), Arg(60000.0), Arg(0.0)}},
    {StepField::kThrustSetting, Same(kHelpThrust), 3, {kArgStroke, Arg(1.0), kArgThrust}},
    {StepField::kLoadMass, Same(kHelpLoadMass), 0, {Arg(0.0), Arg(0.0), Arg(0.0)}},
};

struct EnableRow {
    StepField field;
    std::array<bool, 3> byIndex;  // cycle time, speed, pulse
    bool positioning;
    bool pushing;
};

constexpr EnableRow kEnables[] = {
    {StepField::kOperation, {true, true, false}, true, true},
    {StepField::kMovementMode, {true, true, false}, true, true},
    {StepField::kTargetPosition, {true, true, false}, true, true},
    {StepField::kPositioningTime, {true, false, false}, true, true},
    {StepField::kSpeed, {false, true, false}, true, true},
    {StepField::kAcceleration, {false, true, false}, true, true},
    {StepField::kDeceleration, {false, true, false}, true, true},
    {StepField::kThrustSetting, {true, true, true}, false, true},
    {StepField::kLoadMass, {true, true, true}, true, true},
};

// Stored grams of each load-mass choice.
constexpr std::array<int, kLoadMassChoices> kLoadMassList = [] {
    std::array<int, kLoadMassChoices> list{};
    for (int i = 0; i < kLoadMassChoices; ++i) {
        list[static_cast<std::size_t>(i)] = 50 * i;
    }
    return list;
}();

constexpr double kPowersOfTen[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0};

float Resolve(const Bound& b, const StepLimits& limits) {
    switch (b.kind) {
        case BoundKind::kStroke:
            return static_cast<float>(limits.stroke);
        case BoundKind::kMinusStroke:
            return -static_cast<float>(limits.stroke);
        case BoundKind::kThrust:
            return limits.maxThrust;
        case BoundKind::kValue:
            break;
    }
    return b.value;
}

bool ModeMatches(ModeMatch m, int movementMode) {
    switch (m) {
        case ModeMatch::kAbsolute:
            return movementMode == kMovementAbsolute;
        case ModeMatch::kRelative:
            return movementMode != kMovementAbsolute;
        case ModeMatch::kAny:
            break;
    }
    return true;
}

const LimitRow* FindLimit(StepField field, int movementMode) {
    for (const auto& row : kLimits) {
        if (row.field == field && ModeMatches(row.mode, movementMode)) {
            return &row;
        }
    }
    return nullptr;
}

int WordBits(float word) {
    return TruncToInt(word) & 0xFFFF;
}

}  // namespace

int StepCount(int controlType) {
    return controlType == kControlTypePulse ? kStepsInPulseType : kStepsInStepType;
}

int ShownNumber(int n, int controlType) {
    return controlType == kControlTypePulse ? n : n + 1;
}

int StepIndexFromShown(std::string_view shown, int controlType) {
    const long long offset = controlType == kControlTypePulse ? 0 : 1;
    const long long n = static_cast<long long>(Atoi(shown)) - offset;
    // The upper clamp keeps a stray text from addressing a row that is not a step.
    const long long last = StepCount(controlType) - 1;
    if (n < 0) {
        return 0;
    }
    return static_cast<int>(n > last ? last : n);
}

int StepImageRow(int n) {
    return n + 3;
}

float MaxThrust(int stroke) {
    return CStatusFlg::ThrustLimitForStroke(stroke);
}

int EffectiveStroke(const StatusBlock& status, int basicPageStroke) {
    return (status.flags & kFlagUploadDone) != 0 ? status.stroke[0] : basicPageStroke;
}

StepLimits EffectiveLimits(const StatusBlock& status, int basicPageStroke) {
    if ((status.flags & kFlagUploadDone) != 0) {
        return {status.stroke[0], status.thrustLimit[0]};
    }
    return {basicPageStroke, MaxThrust(basicPageStroke)};
}

std::optional<FieldRange> StepRange(StepField field, int movementMode, const StepLimits& limits) {
    const LimitRow* row = FindLimit(field, movementMode);
    if (row == nullptr) {
        return std::nullopt;
    }
    return FieldRange{Resolve(row->min, limits), Resolve(row->max, limits), row->decimals};
}

RangeCheck IsInRange(std::string_view text, const FieldRange& range) {
    const int d = range.decimals < 0 ? 0 : (range.decimals > 5 ? 5 : range.decimals);
    RangeCheck out;
    out.text = Format("%.*f", d, Atof(text));
    // Read back in double precision: in a 32-bit float the 0.000001 added below vanishes
    // above 8, so 60.01 would count as 6000 hundredths and pass a limit of 60.
    double v = Atof(out.text);
    // A NaN would pass every comparison below and reach the controller.
    if (std::isnan(v)) {
        return out;
    }
    v = v >= 0.0 ? v + 0.000001 : v - 0.000001;
    if (v > 2147483648.0) {
        return out;
    }
    const double m = kPowersOfTen[d];
    const std::int64_t value = TruncToInt64(m * v);
    // The limits are rounded to whole increments, not truncated: a float limit lies a little
    // off its decimal value, and 0.0001F truncated to ten-thousandths would be 0.
    const std::int64_t top = TruncToInt64(std::round(m * static_cast<double>(range.max)));
    const std::int64_t bottom = TruncToInt64(std::round(m * static_cast<double>(range.min)));
    out.inRange = !(top < value || bottom > value);
    return out;
}

int RangeMessageId(StepField field) {
    for (const auto& row : kLimits) {
        if (row.field == field) {
            return row.message;
        }
    }
    return 0;
}

HelpText HelpTextFor(StepField field, bool pushing, int movementMode, const StepLimits& limits) {
    HelpText out;
    for (const auto& row : kHelp) {
        if (row.field != field) {
            continue;
        }
        const int relative = movementMode != kMovementAbsolute ? 1 : 0;
        out.stringId = row.ids[static_cast<std::size_t>(2 * (pushing ? 1 : 0) + relative)];
        out.argCount = row.argCount;
        const auto target = StepRange(StepField::kTargetPosition, movementMode, limits);
        for (int i = 0; i < row.argCount; ++i) {
            const HelpArg& a = row.args[static_cast<std::size_t>(i)];
            double v = a.value;
            switch (a.kind) {
                case ArgKind::kTargetMin:
                    v = target ? target->min : 0.0;
                    break;
                case ArgKind::kTargetMax:
                    v = target ? target->max : 0.0;
                    break;
                case ArgKind::kStroke:
                    v = limits.stroke;
                    break;
                case ArgKind::kThrust:
                    v = limits.maxThrust;
                    break;
                case ArgKind::kValue:
                    break;
            }
            out.args[static_cast<std::size_t>(i)] = v;
        }
        break;
    }
    return out;
}

int InputMethodIndex(const StatusBlock& status) {
    if (status.controlType == kControlTypePulse) {
        return kInputPulse;
    }
    const int method = (status.flags & kFlagUploadDone) != 0 ? status.stepInputMethod[0]
                                                             : status.stepInputMethod[1];
    return method < 0 || method >= 3 ? kInputCycleTime : method;
}

bool IsFieldEnabled(StepField field, int inputMethodIndex, bool pushing, LinkState linkState) {
    if (linkState == kLinkBusy) {
        return false;
    }
    const int index = inputMethodIndex < 0 || inputMethodIndex > 2 ? 0 : inputMethodIndex;
    for (const auto& row : kEnables) {
        if (row.field != field) {
            continue;
        }
        if (!row.byIndex[static_cast<std::size_t>(index)]) {
            return false;
        }
        return index == kInputPulse || (pushing ? row.pushing : row.positioning);
    }
    return false;
}

bool IsPushingWord(float word) {
    return (WordBits(word) & kPushingBit) != 0;
}

int PushingSpeedOf(float word) {
    return WordBits(word) & kPushingSpeedMask;
}

bool ShowsPushing(float word, int controlType) {
    return controlType != kControlTypePulse && IsPushingWord(word);
}

std::optional<float> OperationWordToStore(bool pushing, const StatusBlock& status,
                                          float controllerCopy) {
    if (status.detailOpen != 0) {
        return std::nullopt;
    }
    if (status.controlType == kControlTypePulse) {
        return controllerCopy;
    }
    return pushing ? kPushingStepWord : kPositioningStepWord;
}

int LoadMassIndex(float grams) {
    for (int i = 0; i < kLoadMassChoices; ++i) {
        if (grams == static_cast<float>(kLoadMassList[static_cast<std::size_t>(i)])) {
            return i;
        }
    }
    return 0;
}

float LoadMassGrams(int index) {
    if (index < 0 || index >= kLoadMassChoices) {
        return 0.0F;
    }
    return static_cast<float>(kLoadMassList[static_cast<std::size_t>(index)]);
}

int FreshRowOperationText(int controlType) {
    return controlType == kControlTypePulse ? kStrPushing : kStrPositioning;
}

}  // namespace tavro
