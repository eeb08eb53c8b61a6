#pragma once

#include <span>

#include "ui/FormTypes.h"

namespace tavro {

// View indices of the binding engine.
inline constexpr int kViewIo = 0;
inline constexpr int kViewBasic = 1;
inline constexpr int kViewStep = 2;
inline constexpr int kViewMonitor = 3;
inline constexpr int kViewDetail = 4;
inline constexpr int kViewCommSetup = 5;
inline constexpr int kViewCount = 6;
// RedisplayViews: every view.
inline constexpr int kRedisplayAll = 6;

// List-views whose selected row a bound control edits; 0 for a plain control.
inline constexpr ui::ControlId kNoList = 0;
inline constexpr ui::ControlId kListStepPage = 1690;
inline constexpr ui::ControlId kListDetailSteps = 1872;
inline constexpr ui::ControlId kListPid = 1874;
inline constexpr ui::ControlId kListPidSets = 1875;

enum BindKind : int {
    kBindEdit = 0,
    kBindList = 1,   // the value is the selected index
    kBindRadio = 2,  // the value is the checked radio's offset from the first
};

enum BindConversion : int {
    kConvNone = 0,
    kConvIndexPlusOne = 1,
    kConvValueList = 2,
    kConvOperation = 4,      // the operation radio: the pushing bit of the operation word
    kConvPushingSpeed = 5,   // the rest of the operation word
    kConvLogicLatch = 6,     // held for the direction radio that follows
    kConvDirectionWord = 7,  // direction * 2 | logic
};

struct ValuePair {
    float value;
    int index;
};

struct ValueList {
    std::span<const ValuePair> pairs;
};

// Which image cell a control shows and how its state becomes a number and back.
struct BindingDescriptor {
    ui::ControlId control;      // the control, or the first radio of a group
    ui::ControlId lastControl;  // the last radio of a group, else 0
    int kind;
    int conversion;
    ui::ControlId listControl;
    int listColumn;
    int groupStep;  // the cell while the control type is not pulse; base group for list rows
    int parameterStep;
    const ValueList* listStep;
    int groupPulse;
    int parameterPulse;
    const ValueList* listPulse;
    int scale;  // image value = shown value * 10^scale
    int decimals;
};

}  // namespace tavro
