#include "stepdata/ParameterCatalog.h"

#include <array>
#include <charconv>
#include <cmath>
#include <span>

#include "link/Numbers.h"
#include "link/ParameterImage.h"
#include "link/StringIds.h"
#include "product/Product.h"
#include "stepdata/StepRecord.h"

namespace tavro {

namespace {

// How a page shows a value.
enum class Shown {
    kNumber,          // with `decimals`, in the stored units
    kMillimetres,     // 0.001 mm shown in mm with three decimals
    kChoice,          // the text of the value's entry in `choices`
    kOperation,       // operation word: Pos/Push and the pushing speed
    kLogicDirection,  // 0/14: pulse logic and drive direction
    kStepPidSet,      // 0 Default, s the set ST(A + s - 1)
    kOriginPidSet,    // 0 Default, 1 ORG
    kSpeedCode,       // 0/22: the line speed of the code
    kRaw,             // the shortest text of the float
};

struct Choice {
    int value;
    int text;
};

constexpr std::array<Choice, product::kSeries.size()> SeriesChoices() {
    std::array<Choice, product::kSeries.size()> out{};
    for (std::size_t i = 0; i < product::kSeries.size(); ++i) {
        out[i] = {product::Code(product::kSeries[i].series), product::kSeries[i].nameId};
    }
    return out;
}
constexpr auto kSeries = SeriesChoices();
constexpr Choice kInputMethods[] = {{0, 544}, {1, 545}};
constexpr Choice kOutputFunctions[] = {{0, 424}, {1, 425}, {2, 426}, {3, 427}, {4, 428}, {5, 429},
                                       {6, 430}, {7, 431}, {8, 432}, {9, 433}, {10, 434}};
constexpr Choice kOrientations[] = {{0, 546}, {90, 547}};
constexpr Choice kPulseModes[] = {{1, 549}, {2, 550}, {0, 551}};
constexpr Choice kClrBehaviours[] = {{0, 1019}, {1, 1020}};
constexpr Choice kSvonBehaviours[] = {{0, 1022}, {1, 1023}};
constexpr Choice kOriginMethods[] = {{0, 1029}, {1, 1030}, {2, 1031}};
constexpr Choice kMovements[] = {{0, kStrAbsolute}, {1, kStrRelative}};
constexpr Choice kPulseLogic[] = {{0, 1012}, {1, 1013}};
constexpr Choice kDriveDirections[] = {{0, 1014}, {1, 1015}};

// Bit/s by the code of 0/22.
constexpr std::array<int, 6> kSpeedByCode = {0, 2400, 9600, 19200, 38400, 57600};

struct Field {
    int parameter;
    int caption;  // string ID
    Shown shown;
    int decimals = 0;
    std::span<const Choice> choices = {};
};

// The sixteen cells of a step record.
constexpr Field kStepFields[] = {
    {kCellTargetPosition, 2330, Shown::kMillimetres},
    {kCellPositioningTime, 2331, Shown::kNumber, 2},
    {kCellSpeed, 2332, Shown::kNumber},
    {kCellAcceleration, 2333, Shown::kNumber},
    {kCellDeceleration, 2334, Shown::kNumber},
    {kCellOperationWord, 2335, Shown::kOperation},
    {kCellThrustSetting, 2336, Shown::kNumber, 1},
    {kCellLoadMass, 2337, Shown::kNumber},
    {kCellMovementMode, 2338, Shown::kChoice, 0, kMovements},
    {kCellInForceLevel, 2339, Shown::kNumber, 1},
    {kCellInPositionRange, 2340, Shown::kMillimetres},
    {kCellAreaA1, 2341, Shown::kMillimetres},
    {kCellAreaA2, 2342, Shown::kMillimetres},
    {kCellAreaB1, 2343, Shown::kMillimetres},
    {kCellAreaB2, 2344, Shown::kMillimetres},
    {kCellPidSetNo, 2345, Shown::kStepPidSet},
};

// Group 0: basic, I/O, pulse-input and communication settings.
constexpr Field kGroup0Fields[] = {
    {0, 2346, Shown::kNumber},
    {1, 2347, Shown::kChoice, 0, kSeries},
    {2, 2348, Shown::kChoice, 0, kInputMethods},
    {3, 2349, Shown::kNumber},
    {6, 2350, Shown::kChoice, 0, kOutputFunctions},
    {8, 2351, Shown::kChoice, 0, kOutputFunctions},
    {9, 2352, Shown::kChoice, 0, kOutputFunctions},
    {10, 2353, Shown::kChoice, 0, kOrientations},
    {11, 2354, Shown::kMillimetres},
    {13, 2355, Shown::kChoice, 0, kPulseModes},
    {14, 2356, Shown::kLogicDirection},
    {15, 2357, Shown::kNumber},
    {16, 2358, Shown::kNumber},
    {17, 2359, Shown::kChoice, 0, kClrBehaviours},
    {18, 2360, Shown::kChoice, 0, kSvonBehaviours},
    {19, 2361, Shown::kNumber, 1},
    {20, 2362, Shown::kNumber},
    {21, 2363, Shown::kNumber},
    {22, 2364, Shown::kSpeedCode},
    {24, 2365, Shown::kNumber, 1},
};

// Group 1 besides its servo constants and its PID set.
constexpr Field kGroup1Fields[] = {
    {0, 2366, Shown::kChoice, 0, kOriginMethods},
    {17, 2371, Shown::kOriginPidSet},
};

// The PID gains: the return-to-origin set in 1/13..1/15, sets 1..15 from 2/12 on.
constexpr int kOriginGainsFirst = 13;
constexpr int kSetGainsFirst = 12;
constexpr int kPidSets = 15;
constexpr int kGainsPerSet = 3;
constexpr std::array<int, kGainsPerSet> kGainCaptions = {ids::IDS_PID_KP_OF, ids::IDS_PID_TI_OF,
                                                         ids::IDS_PID_TD_OF};
constexpr std::array<int, kGainsPerSet> kGainDecimals = {1, 3, 4};
// The servo constants no view shows: 1/1..1/12 and 2/0..2/11.
constexpr int kLastServoConstant1 = 12;
constexpr int kLastServoConstant2 = 11;

constexpr int kFirstStepGroup = ParameterImage::kFirstStepGroup;
constexpr int kLastStepGroup = kFirstStepGroup + kStepsInStepType - 1;

bool IsStepGroup(int group) {
    return group >= kFirstStepGroup && group <= kLastStepGroup;
}

// A gain of a PID set: the set (0 for return to origin) and which of Kp, Ti, Td.
struct Gain {
    int set = -1;
    int index = 0;
};

Gain GainOf(int group, int parameter) {
    if (group == 1 && parameter >= kOriginGainsFirst &&
        parameter < kOriginGainsFirst + kGainsPerSet) {
        return {0, parameter - kOriginGainsFirst};
    }
    const int last = kSetGainsFirst + kPidSets * kGainsPerSet - 1;
    if (group == 2 && parameter >= kSetGainsFirst && parameter <= last) {
        const int offset = parameter - kSetGainsFirst;
        return {1 + offset / kGainsPerSet, offset % kGainsPerSet};
    }
    return {};
}

bool IsServoConstant(int group, int parameter) {
    return (group == 1 && parameter >= 1 && parameter <= kLastServoConstant1) ||
           (group == 2 && parameter >= 0 && parameter <= kLastServoConstant2);
}

const Field* FieldOf(int group, int parameter) {
    const auto find = [parameter](std::span<const Field> fields) -> const Field* {
        for (const Field& f : fields) {
            if (f.parameter == parameter) {
                return &f;
            }
        }
        return nullptr;
    };
    if (IsStepGroup(group)) {
        return find(kStepFields);
    }
    if (group == 0) {
        return find(kGroup0Fields);
    }
    if (group == 1) {
        return find(kGroup1Fields);
    }
    return nullptr;
}

std::string SetName(int set, const StringTable& strings) {
    if (set <= 0) {
        return std::string(strings.Text(ids::IDS_PID_ORIGIN));
    }
    return strings.Format(ids::IDS_PID_SET, static_cast<char>('A' + set - 1));
}

// A choice caption on one line: the radio captions break where their buttons do.
std::string OneLine(std::string_view text) {
    std::string out;
    bool space = false;
    for (const char c : text) {
        if (c == '\n' || c == ' ') {
            space = !out.empty();
            continue;
        }
        if (space) {
            out += ' ';
            space = false;
        }
        out += c;
    }
    return out;
}

std::string RawText(float v) {
    if (!std::isfinite(v)) {
        return "0";
    }
    std::array<char, 32> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return ec == std::errc() ? std::string(buf.data(), end) : std::string("0");
}

// The value as a whole number when it is one, for the choices and codes.
bool WholeValue(float v, int& out) {
    if (!std::isfinite(v) || v != std::trunc(v) || std::fabs(v) > 1.0e6F) {
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

std::string ChoiceText(std::span<const Choice> choices, float v, const StringTable& strings) {
    int whole = 0;
    if (WholeValue(v, whole)) {
        for (const Choice& c : choices) {
            if (c.value == whole) {
                return OneLine(strings.Text(c.text));
            }
        }
    }
    return RawText(v);
}

}  // namespace

std::string ParameterWhere(int group, int parameter, int controlType, const StringTable& strings) {
    (void)parameter;
    if (IsStepGroup(group)) {
        return strings.Format(ids::IDS_STEP_AT, ShownNumber(group - kFirstStepGroup, controlType));
    }
    return strings.Format(ids::IDS_GROUP_AT, group);
}

std::string ParameterCaption(int group, int parameter, const StringTable& strings) {
    if (const Field* f = FieldOf(group, parameter)) {
        return std::string(strings.Text(f->caption));
    }
    if (const Gain g = GainOf(group, parameter); g.set >= 0) {
        return strings.Format(kGainCaptions[static_cast<std::size_t>(g.index)],
                              SetName(g.set, strings));
    }
    if (IsServoConstant(group, parameter)) {
        return strings.Format(ids::IDS_SERVO_CONSTANT, parameter);
    }
    return Format("%d/%d", group, parameter);
}

std::string ParameterValueText(int group, int parameter, float value, const StringTable& strings) {
    const Gain gain = GainOf(group, parameter);
    if (gain.set >= 0) {
        return Format("%.*f", kGainDecimals[static_cast<std::size_t>(gain.index)],
                      static_cast<double>(value));
    }
    const Field* f = FieldOf(group, parameter);
    if (f == nullptr) {
        return RawText(value);
    }
    const double v = static_cast<double>(value);
    int whole = 0;
    switch (f->shown) {
        case Shown::kNumber:
            return Format("%.*f", f->decimals, v);
        case Shown::kMillimetres:
            return Format("%.3f", v / 1000.0);
        case Shown::kChoice:
            return ChoiceText(f->choices, value, strings);
        case Shown::kOperation: {
            if (!WholeValue(value, whole) || whole < 0) {
                return RawText(value);
            }
            const auto word = static_cast<unsigned>(whole);
            const int operation =
                (word & static_cast<unsigned>(kPushingBit)) != 0 ? kStrPushing : kStrPositioning;
            return strings.Format(
                ids::IDS_OPERATION_WITH_SPEED, strings.Text(operation),
                static_cast<int>(word & static_cast<unsigned>(kPushingSpeedMask)));
        }
        case Shown::kLogicDirection:
            if (!WholeValue(value, whole) || whole < 0 || whole > 3) {
                return RawText(value);
            }
            return strings.Format(
                ids::IDS_TWO_CHOICES,
                ChoiceText(kPulseLogic, static_cast<float>(whole % 2), strings),
                ChoiceText(kDriveDirections, static_cast<float>(whole / 2), strings));
        case Shown::kStepPidSet:
            if (!WholeValue(value, whole) || whole < 0 || whole > kPidSets) {
                return RawText(value);
            }
            return whole == 0 ? std::string(strings.Text(ids::IDS_PID_DEFAULT))
                              : SetName(whole, strings);
        case Shown::kOriginPidSet:
            if (WholeValue(value, whole) && (whole == 0 || whole == 1)) {
                return whole == 0 ? std::string(strings.Text(ids::IDS_PID_DEFAULT))
                                  : SetName(0, strings);
            }
            return RawText(value);
        case Shown::kSpeedCode:
            if (WholeValue(value, whole) && whole > 0 &&
                whole < static_cast<int>(kSpeedByCode.size())) {
                return strings.Format(ids::IDS_BITS_PER_SECOND,
                                      kSpeedByCode[static_cast<std::size_t>(whole)]);
            }
            return RawText(value);
        case Shown::kRaw:
            break;
    }
    return RawText(value);
}

}  // namespace tavro
