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
    ui::ControlId control = 0;      // the control, or the first radio of a group
    ui::ControlId lastControl = 0;  // the last radio of a group, else 0
    int kind = kBindEdit;
    int conversion = kConvNone;
    ui::ControlId listControl = kNoList;
    int listColumn = 0;
    int groupStep = 0;  // the cell while the control type is not pulse; base group for list rows
    int parameterStep = 0;
    const ValueList* listStep = nullptr;
    int groupPulse = 0;
    int parameterPulse = 0;
    const ValueList* listPulse = nullptr;
    int scale = 0;  // image value = shown value * 10^scale
    int decimals = 0;
};

// Builders of binding rows: a cell first, as the controller holds it, then the control that
// shows it. A cell that two views show is written once and bound to each view's control.
namespace bind {

// A number edit: image value = shown value * 10^scale, shown with `decimals`.
constexpr BindingDescriptor Edit(int group, int parameter, int scale = 0, int decimals = 0,
                                 int conversion = kConvNone) {
    return {.kind = kBindEdit,
            .conversion = conversion,
            .groupStep = group,
            .parameterStep = parameter,
            .groupPulse = group,
            .parameterPulse = parameter,
            .scale = scale,
            .decimals = decimals};
}

// A list whose selected index is the value, or, with `step` (and `pulse`), is found in a value
// list.
constexpr BindingDescriptor List(int group, int parameter, int conversion = kConvNone) {
    return {.kind = kBindList,
            .conversion = conversion,
            .groupStep = group,
            .parameterStep = parameter,
            .groupPulse = group,
            .parameterPulse = parameter};
}
constexpr BindingDescriptor Values(int group, int parameter, const ValueList& step,
                                   const ValueList& pulse) {
    return {.kind = kBindList,
            .conversion = kConvValueList,
            .groupStep = group,
            .parameterStep = parameter,
            .listStep = &step,
            .groupPulse = group,
            .parameterPulse = parameter,
            .listPulse = &pulse};
}

// A radio group: the value is the checked radio's offset from the first.
constexpr BindingDescriptor Radio(int group, int parameter, int conversion = kConvNone) {
    return {.kind = kBindRadio,
            .conversion = conversion,
            .groupStep = group,
            .parameterStep = parameter,
            .groupPulse = group,
            .parameterPulse = parameter};
}

// The cell is another one while the control type is pulse.
constexpr BindingDescriptor ForPulse(BindingDescriptor d, int group, int parameter,
                                     const ValueList* list) {
    d.groupPulse = group;
    d.parameterPulse = parameter;
    d.listPulse = list;
    return d;
}

// The cell shown by a control, or by the radios first..last.
constexpr BindingDescriptor To(ui::ControlId control, BindingDescriptor d) {
    d.control = control;
    return d;
}
constexpr BindingDescriptor To(ui::ControlId first, ui::ControlId last, BindingDescriptor d) {
    d.control = first;
    d.lastControl = last;
    return d;
}

// The control edits column `column` of the row selected in list-view `list`; the cell's group
// is then the group of the list's first row.
constexpr BindingDescriptor InList(ui::ControlId list, int column, BindingDescriptor d) {
    d.listControl = list;
    d.listColumn = column;
    return d;
}

}  // namespace bind

}  // namespace tavro
