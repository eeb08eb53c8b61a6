#include "params/CBinding.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "link/CEepData.h"
#include "link/CStatusFlg.h"
#include "link/Numbers.h"
#include "link/StatusBlock.h"
#include "product/Product.h"
#include "ui/CCtrlBatch.h"

namespace tavro {

namespace {

// --- value lists (value -> index) ---

// "Select" first, then each series by its code, and each stroke.
constexpr std::array<ValuePair, product::kSeries.size() + 1> SeriesPairs() {
    std::array<ValuePair, product::kSeries.size() + 1> out{};
    for (std::size_t i = 0; i < product::kSeries.size(); ++i) {
        out[i + 1] = {static_cast<float>(product::Code(product::kSeries[i].series)),
                      product::kSeries[i].comboIndex};
    }
    return out;
}
constexpr std::array<ValuePair, product::kStrokes.size() + 1> StrokePairs() {
    std::array<ValuePair, product::kStrokes.size() + 1> out{};
    for (std::size_t i = 0; i < product::kStrokes.size(); ++i) {
        out[i + 1] = {static_cast<float>(product::kStrokes[i].stroke),
                      product::kStrokes[i].comboIndex};
    }
    return out;
}
constexpr auto kSeriesPairs = SeriesPairs();
constexpr auto kStrokePairs = StrokePairs();
constexpr ValuePair kPulseModePairs[] = {{0, 2}, {1, 0}, {2, 1}};
constexpr ValuePair kOrientationPairs[] = {{0, 0}, {90, 1}};
constexpr ValuePair kLoadMassPairs[] = {
    {0, 0},    {50, 1},   {100, 2},  {150, 3},  {200, 4},  {250, 5},  {300, 6},
    {350, 7},  {400, 8},  {450, 9},  {500, 10}, {550, 11}, {600, 12}, {650, 13},
    {700, 14}, {750, 15}, {800, 16}, {850, 17}, {900, 18}, {950, 19}, {1000, 20},
};
constexpr ValuePair kOutputStepPairs[] = {{0, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 3},  {4, 4},
                                          {5, 5}, {6, 6}, {7, 7}, {8, 8}, {10, 9}, {255, 10}};
constexpr ValuePair kOutputPulsePairs[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4},   {5, 5},
                                           {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}, {255, 11}};

constexpr ValueList kSeries{kSeriesPairs};
constexpr ValueList kStroke{kStrokePairs};
constexpr ValueList kPulseMode{kPulseModePairs};
constexpr ValueList kOrientation{kOrientationPairs};
constexpr ValueList kLoadMass{kLoadMassPairs};
constexpr ValueList kOutputStep{kOutputStepPairs};
constexpr ValueList kOutputPulse{kOutputPulsePairs};

// --- binding tables ---

using bind::Edit;
using bind::ForPulse;
using bind::InList;
using bind::List;
using bind::Radio;
using bind::To;
using bind::Values;

// Cells that more than one view shows.
constexpr BindingDescriptor kBusyOutput = List(0, 6);
constexpr BindingDescriptor kAlarmOutput = List(0, 7);
constexpr BindingDescriptor kMotorCurrent = Edit(0, 19, 0, 1);
constexpr BindingDescriptor kMotorTemperature = Edit(0, 20);
constexpr BindingDescriptor kSeriesCell = Values(0, 1, kSeries, kSeries);
constexpr BindingDescriptor kStrokeCell = Values(0, 0, kStroke, kStroke);
constexpr BindingDescriptor kOriginMethod = Radio(1, 0);
constexpr BindingDescriptor kInputMethod =
    ForPulse(Radio(0, 2, kConvValueList), 0, 13, &kPulseMode);
constexpr BindingDescriptor kOrientationCell = Values(0, 10, kOrientation, kOrientation);
constexpr BindingDescriptor kControllerId = List(0, 3, kConvIndexPlusOne);

// The cells of a step, in the group of step 1; the list rows add the step.
constexpr BindingDescriptor kStepOperation = Radio(3, 5, kConvOperation);
constexpr BindingDescriptor kStepMovement = Radio(3, 8);
constexpr BindingDescriptor kStepTarget = Edit(3, 0, 3, 3);
constexpr BindingDescriptor kStepTime = Edit(3, 1, 0, 2);
constexpr BindingDescriptor kStepSpeed = Edit(3, 2);
constexpr BindingDescriptor kStepAccel = Edit(3, 3);
constexpr BindingDescriptor kStepDecel = Edit(3, 4);
constexpr BindingDescriptor kStepThrust = Edit(3, 6, 0, 1);
constexpr BindingDescriptor kStepLoadMass = Values(3, 7, kLoadMass, kLoadMass);
// In-force threshold and the two areas: every step holds them; the I/O page shows step 1's.
constexpr BindingDescriptor kStepInForce = Edit(3, 9, 0, 1);
constexpr BindingDescriptor kStepArea[] = {Edit(3, 11, 3, 3), Edit(3, 12, 3, 3), Edit(3, 13, 3, 3),
                                           Edit(3, 14, 3, 3)};

constexpr BindingDescriptor kIoView[] = {
    To(1444, kStepInForce),  To(1440, kStepArea[0]),                             // AREA A 1
    To(1441, kStepArea[1]),                                                      // AREA A 2
    To(1442, kStepArea[2]),                                                      // AREA B 1
    To(1443, kStepArea[3]),                                                      // AREA B 2
    To(1450, kBusyOutput),   To(1451, kAlarmOutput),      To(1452, List(0, 8)),  // OUT0
    To(1453, List(0, 9)),                                                        // OUT1
    To(1445, kMotorCurrent), To(1446, kMotorTemperature),
};

constexpr BindingDescriptor kBasicView[] = {
    To(1511, kSeriesCell),        To(1514, kStrokeCell),      To(1521, 1523, kOriginMethod),
    To(1531, 1533, kInputMethod), To(1541, kOrientationCell),
};

constexpr BindingDescriptor kStepView[] = {
    InList(kListStepPage, 1, To(1660, 1661, kStepOperation)),
    InList(kListStepPage, 2, To(1662, 1663, kStepMovement)),
    InList(kListStepPage, 3, To(1664, kStepTarget)),
    InList(kListStepPage, 4, To(1665, kStepTime)),
    InList(kListStepPage, 5, To(1666, kStepSpeed)),
    InList(kListStepPage, 6, To(1667, kStepAccel)),
    InList(kListStepPage, 7, To(1668, kStepDecel)),
    InList(kListStepPage, 8, To(1669, kStepThrust)),
    InList(kListStepPage, 9, To(1670, kStepLoadMass)),
};

// The operation radio precedes the pushing speed and the logic radio the direction radio:
// the first of each pair leaves its value in a latch for the second.
constexpr BindingDescriptor kDetailView[] = {
    To(1006, kBusyOutput),
    To(1007, kAlarmOutput),
    To(1014, Values(0, 8, kOutputStep, kOutputPulse)),  // OUT0
    To(1009, Values(0, 9, kOutputStep, kOutputPulse)),  // OUT1
    To(1883, kSeriesCell),
    To(1908, kStrokeCell),
    To(1885, 1887, kOriginMethod),
    To(1888, 1890, kInputMethod),
    To(1891, kOrientationCell),
    To(1906, kControllerId),
    To(1877, Edit(0, 11, 3, 3)),  // origin offset
    To(1878, kMotorCurrent),
    To(1879, kMotorTemperature),
    To(1880, Edit(0, 21)),                             // deviation
    To(1892, 1893, Radio(0, 14, kConvLogicLatch)),     // pulse logic
    To(1894, 1895, Radio(0, 14, kConvDirectionWord)),  // direction
    To(1881, Edit(0, 16)),                             // gear denominator
    To(1882, Edit(0, 15)),                             // gear numerator
    To(1902, 1903, Radio(0, 17)),                      // CLR behaviour
    To(1904, 1905, Radio(0, 18)),                      // SVON behaviour
    InList(kListDetailSteps, 1, To(1850, 1851, kStepOperation)),
    InList(kListDetailSteps, 2, To(1852, 1853, kStepMovement)),
    InList(kListDetailSteps, 3, To(1854, kStepTarget)),
    InList(kListDetailSteps, 4, To(1855, kStepTime)),
    InList(kListDetailSteps, 5, To(1856, kStepSpeed)),
    InList(kListDetailSteps, 6, To(1857, kStepAccel)),
    InList(kListDetailSteps, 7, To(1858, kStepDecel)),
    InList(kListDetailSteps, 8, To(1859, kStepThrust)),
    InList(kListDetailSteps, 9, To(1860, Edit(3, 5, 0, 0, kConvPushingSpeed))),
    InList(kListDetailSteps, 10, To(1861, kStepLoadMass)),
    InList(kListDetailSteps, 11, To(1862, Edit(3, 10, 3, 3))),  // in-position width
    InList(kListDetailSteps, 12, To(1863, kStepInForce)),
    InList(kListDetailSteps, 13, To(1864, kStepArea[0])),
    InList(kListDetailSteps, 14, To(1865, kStepArea[1])),
    InList(kListDetailSteps, 15, To(1866, kStepArea[2])),
    InList(kListDetailSteps, 16, To(1867, kStepArea[3])),
    InList(kListPid, 1, To(1898, Edit(1, 13, 0, 1))),  // Kp
    InList(kListPid, 2, To(1899, Edit(1, 14, 0, 3))),  // Ti
    InList(kListPid, 3, To(1900, Edit(1, 15, 0, 4))),  // Td
    InList(kListPidSets, 1, To(1901, List(1, 17))),    // PID set used
};

constexpr BindingDescriptor kCommSetupView[] = {
    To(1019, kControllerId), To(1020, List(0, 22, kConvIndexPlusOne)),  // speed
    To(1018, Edit(0, 24, 0, 1)),                                        // delay
};

static_assert(std::size(kIoView) == 11);
static_assert(std::size(kBasicView) == 5);
static_assert(std::size(kStepView) == 9);
static_assert(std::size(kDetailView) == 40);
static_assert(std::size(kCommSetupView) == 3);

// Step lists edit steps 1..15; the PID lists have the return-to-origin row in front.
constexpr int kStepRows = 15;
constexpr int kPidRows = 16;
constexpr int kStepsInPulseType = 4;

constexpr int kPidOriginGroup = 1;
constexpr int kPidOriginFirstParameter = 12;  // + column: Kp 13, Ti 14, Td 15
constexpr int kPidSetGroup = 2;
constexpr int kPidSetFirstParameter = 12;
constexpr int kPidGains = 3;
constexpr int kFirstStepGroup = 3;
constexpr int kPidSetNoParameter = 15;

constexpr int kPushingBit = 0x8000;
constexpr int kPushingSpeedMask = 0x7FFF;
constexpr float kPushingWord = 32774.0F;
constexpr float kPositioningWord = 6.0F;

// The I/O page's lists offer output functions 0..8; AREA and INF are shown once for all
// steps, so they must agree across the steps.
constexpr int kIoOutputFirst = 8;
constexpr int kIoOutputLast = 9;
constexpr int kIoListedFunctionMax = 8;
constexpr int kIoBusyParameter = 6;
constexpr int kCommonStepParameters[] = {9, 11, 12, 13, 14};
constexpr int kInfParameter = 9;
constexpr int kAreaFirstParameter = 11;
constexpr int kAreaLastParameter = 14;

constexpr int kStrokeParameter = 0;
constexpr int kSeriesParameter = 1;
constexpr int kInputMethodParameter = 2;
constexpr int kPositioningTimeParameter = 1;

constexpr const char* kCompareFormat = "%.4f";

int CopyIndex(int copy) {
    return copy == ParameterImage::kControllerCopy ? ParameterImage::kControllerCopy
                                                   : ParameterImage::kEditCopy;
}

const ValueList* ListFor(const BindingDescriptor& d, bool pulse) {
    return pulse ? d.listPulse : d.listStep;
}

bool InScope(const BindingDescriptor& d, int listControl, bool everyDescriptorAtBase) {
    if (listControl == kNoList) {
        return everyDescriptorAtBase || d.listControl == kNoList;
    }
    return d.listControl == listControl;
}

double ValueAtIndex(const ValueList& list, double index) {
    for (const ValuePair& pair : list.pairs) {
        if (static_cast<double>(pair.index) == index) {
            return pair.value;
        }
    }
    return 0.0;
}

double IndexOfValue(const ValueList& list, double value) {
    for (const ValuePair& pair : list.pairs) {
        if (static_cast<double>(pair.value) == value) {
            return pair.index;
        }
    }
    return 0.0;
}

// The items of a list control; other kinds have none.
int ItemsOf(const BindingDescriptor& d, const ui::Form& form) {
    return d.kind == kBindList ? form.ItemCount(d.control) : 0;
}

}  // namespace

std::span<const BindingDescriptor> CBinding::Table(int view) {
    switch (view) {
        case kViewIo:
            return kIoView;
        case kViewBasic:
            return kBasicView;
        case kViewStep:
            return kStepView;
        case kViewDetail:
            return kDetailView;
        case kViewCommSetup:
            return kCommSetupView;
        default:
            return {};
    }
}

std::optional<CellAddress> CBinding::CellOf(const BindingDescriptor& d, int listControl, int row,
                                            bool pulse) {
    CellAddress cell{pulse ? d.groupPulse : d.groupStep,
                     pulse ? d.parameterPulse : d.parameterStep};
    if (listControl == kListPid) {
        if (row < 0 || row >= kPidRows || d.listColumn < 1 || d.listColumn > kPidGains) {
            return std::nullopt;
        }
        cell = row == 0 ? CellAddress{kPidOriginGroup, kPidOriginFirstParameter + d.listColumn}
                        : CellAddress{kPidSetGroup, kPidSetFirstParameter + kPidGains * (row - 1) +
                                                        d.listColumn - 1};
    } else if (listControl == kListPidSets) {
        // Row 0 is the return to origin; row k the PID-set number of step k.
        if (row < 0 || row >= kPidRows) {
            return std::nullopt;
        }
        if (row > 0) {
            cell = {kFirstStepGroup + row - 1, kPidSetNoParameter};
        }
    } else if (listControl != kNoList) {
        if (row < 0 || row >= kStepRows) {
            return std::nullopt;
        }
        cell.group += row;
    }
    if (!ParameterImage::IsValid(cell.group, cell.parameter)) {
        return std::nullopt;
    }
    return cell;
}

bool CBinding::Pulse() const {
    return ctx_.status.controlType == kControlTypePulse;
}

ControlState CBinding::Read(const BindingDescriptor& d, const ui::Form& form) {
    ControlState state;
    switch (d.kind) {
        case kBindEdit:
            state.text = form.Text(d.control);
            break;
        case kBindList:
            state.index = form.CurrentItem(d.control);
            break;
        case kBindRadio: {
            const ui::ControlId checked = form.CheckedRadio(d.control, d.lastControl);
            state.index = checked == ui::kNoControl ? -1 : checked - d.control;
            break;
        }
        default:
            break;
    }
    return state;
}

ControlState CBinding::Shown(const BindingDescriptor& d, int itemCount, double value) {
    ControlState state;
    switch (d.kind) {
        case kBindEdit:
            state.text = ui::CCtrlBatch::FormatScaled(value, d.scale, d.decimals);
            break;
        case kBindList: {
            const int index = TruncToInt(value / ui::CCtrlBatch::Scale(d.scale));
            state.index = index >= 0 && index < itemCount ? index : -1;
            break;
        }
        case kBindRadio: {
            const int offset = TruncToInt(value);
            state.index = offset >= 0 && offset <= d.lastControl - d.control ? offset : -1;
            break;
        }
        default:
            break;
    }
    return state;
}

double CBinding::Raw(const BindingDescriptor& d, const ControlState& state) {
    const double s = ui::CCtrlBatch::Scale(d.scale);
    switch (d.kind) {
        case kBindEdit: {
            // Kept as the image keeps it, without rounding; text that overflows a float
            // collects as 0 rather than as infinity.
            const auto f = static_cast<float>(Atof(state.text) * s);
            return std::isfinite(f) ? f : 0.0F;
        }
        case kBindList:
            return TruncToInt(state.index * s);
        case kBindRadio:
            return std::max(0, TruncToInt(std::max(0, state.index) * s));
        default:
            return 0.0;
    }
}

double CBinding::ShownValue(const BindingDescriptor& d, double v, bool pulse) {
    switch (d.conversion) {
        case kConvIndexPlusOne:
            return v - 1.0;
        case kConvValueList:
            if (const ValueList* list = ListFor(d, pulse)) {
                return IndexOfValue(*list, v);
            }
            return v;
        case kConvOperation:
            return pulse ? 0 : ((TruncToInt(v) & kPushingBit) != 0 ? 1 : 0);
        case kConvPushingSpeed:
            return pulse ? v : TruncToInt(v) & kPushingSpeedMask;
        case kConvLogicLatch:
            return TruncToInt(v) & 1;
        case kConvDirectionWord:
            return TruncToInt(v) >> 1;
        default:
            return v;
    }
}

double CBinding::Converted(const BindingDescriptor& d, double value, bool pulse,
                           float controllerCopy, BindingLatches& latches) {
    switch (d.conversion) {
        case kConvIndexPlusOne:
            value += 1.0;
            break;
        case kConvValueList:
            if (const ValueList* list = ListFor(d, pulse)) {
                value = ValueAtIndex(*list, value);
            }
            break;
        case kConvOperation:
            latches.operationLatch = TruncToInt(value);
            if (pulse) {
                value = controllerCopy;
            } else {
                value = latches.operationLatch == 1 ? kPushingWord : kPositioningWord;
            }
            break;
        case kConvPushingSpeed: {
            int word = TruncToInt(value);
            if (latches.operationLatch == 1) {
                word |= kPushingBit;
            }
            latches.operationLatch = 0;
            value = word;
            break;
        }
        case kConvLogicLatch:
            latches.logicLatch = TruncToInt(value);
            break;
        case kConvDirectionWord:
            value = (TruncToInt(value) * 2) | latches.logicLatch;
            latches.logicLatch = 0;
            break;
        default:
            break;
    }
    return value;
}

bool CBinding::Skipped(int view, const BindingDescriptor& d, CellAddress cell) const {
    if (d.conversion == kConvLogicLatch) {
        return true;
    }
    // While the detail dialog is open it owns the operation word.
    if (d.conversion == kConvOperation && ctx_.status.detailOpen == 1) {
        return true;
    }
    if (view != kViewIo) {
        return false;
    }
    if (!state_.ioOutputsEditable && cell.group == 0 && cell.parameter >= kIoBusyParameter &&
        cell.parameter <= kIoOutputLast) {
        return true;
    }
    if (!state_.ioAreaEditable && cell.group == kFirstStepGroup &&
        (cell.parameter == kInfParameter ||
         (cell.parameter >= kAreaFirstParameter && cell.parameter <= kAreaLastParameter))) {
        return true;
    }
    return false;
}

void CBinding::FollowInStatus(CellAddress cell) {
    if (cell.group != 0) {
        return;
    }
    CStatusFlg status(ctx_);
    const int whole = TruncToInt(
        static_cast<double>(CEepData(ctx_).GetCell(0, cell.parameter, ParameterImage::kEditCopy)));
    switch (cell.parameter) {
        case kStrokeParameter:
            status.SetStroke(1, whole);
            break;
        case kSeriesParameter:
            status.SetSeries(1, whole);
            break;
        case kInputMethodParameter:
            status.SetStepInputMethod(1, whole);
            break;
        default:
            break;
    }
}

bool CBinding::CollectView(int view, int listControl, int row) {
    ui::Form* form = host_.View(view);
    if (form == nullptr) {
        return false;
    }
    const bool pulse = Pulse();
    CEepData image(ctx_);
    // The latches of the two copies as the control would have shown them.
    BindingLatches asEdit;
    BindingLatches asController;
    std::vector<CellAddress> collected;
    for (const BindingDescriptor& d : Table(view)) {
        if (!InScope(d, listControl, false)) {
            continue;
        }
        const std::optional<CellAddress> cell = CellOf(d, listControl, row, pulse);
        if (!cell) {
            continue;
        }
        const float controllerCopy =
            image.GetCell(cell->group, cell->parameter, ParameterImage::kControllerCopy);
        const auto seen = [&](int copy, BindingLatches& latches) {
            const float v = image.GetCell(cell->group, cell->parameter, copy);
            return static_cast<float>(
                Converted(d, Raw(d, Shown(d, ItemsOf(d, *form), ShownValue(d, v, pulse))), pulse,
                          controllerCopy, latches));
        };
        const auto now =
            static_cast<float>(Converted(d, Raw(d, Read(d, *form)), pulse, controllerCopy, state_));
        const float keepsEdit = seen(ParameterImage::kEditCopy, asEdit);
        const float keepsController = seen(ParameterImage::kControllerCopy, asController);
        if (Skipped(view, d, *cell)) {
            continue;
        }
        // A control that still shows what it was shown changes nothing: no rounding, no
        // snapping, no value of the control's own grid replaces the one the image holds.
        if (now == keepsController && now != keepsEdit) {
            image.Discard(cell->group, cell->parameter);
        } else if (now != keepsEdit) {
            image.SetCell(cell->group, cell->parameter, now, ParameterImage::kEditCopy);
        }
        FollowInStatus(*cell);
        collected.push_back(*cell);
    }
    // Judged once the pass is over: the operation word is stored twice, and only its final
    // value says whether the step changed.
    return std::any_of(collected.begin(), collected.end(), [&image](CellAddress cell) {
        return image.IsModified(cell.group, cell.parameter);
    });
}

bool CBinding::Untouched(int view, ui::ControlId listControl, int row, ui::ControlId control) {
    const ui::Form* form = host_.View(view);
    if (form == nullptr) {
        return true;
    }
    const bool pulse = Pulse();
    CEepData image(ctx_);
    for (const BindingDescriptor& d : Table(view)) {
        if (d.control != control || !InScope(d, listControl, false)) {
            continue;
        }
        const std::optional<CellAddress> cell = CellOf(d, listControl, row, pulse);
        if (!cell) {
            continue;
        }
        const auto now = static_cast<float>(Raw(d, Read(d, *form)));
        for (const int copy : {ParameterImage::kEditCopy, ParameterImage::kControllerCopy}) {
            const float v = image.GetCell(cell->group, cell->parameter, copy);
            if (now ==
                static_cast<float>(Raw(d, Shown(d, ItemsOf(d, *form), ShownValue(d, v, pulse))))) {
                return true;
            }
        }
        return false;
    }
    return true;
}

void CBinding::DiscardRow(int view, ui::ControlId listControl, int row) {
    const bool pulse = Pulse();
    CEepData image(ctx_);
    for (const BindingDescriptor& d : Table(view)) {
        if (!InScope(d, listControl, true)) {
            continue;
        }
        if (const std::optional<CellAddress> cell = CellOf(d, listControl, row, pulse)) {
            image.Discard(cell->group, cell->parameter);
        }
    }
}

void CBinding::DiscardAll() {
    ctx_.image.DiscardAll();
    for (const int p : {kStrokeParameter, kSeriesParameter, kInputMethodParameter}) {
        FollowInStatus({0, p});
    }
}

void CBinding::Show(const BindingDescriptor& d, ui::Form& form, double value) const {
    const ControlState state = Shown(d, ItemsOf(d, form), value);
    switch (d.kind) {
        case kBindEdit:
            form.SetText(d.control, state.text);
            break;
        case kBindList:
            form.SetCurrentItem(d.control, state.index);
            break;
        case kBindRadio:
            form.CheckRadio(d.control, d.lastControl,
                            state.index >= 0 ? d.control + state.index : ui::kNoControl);
            break;
        default:
            break;
    }
}

bool CBinding::DisplayView(int view, int listControl, int row, int copy) {
    ui::Form* form = host_.View(view);
    const bool pulse = Pulse();
    bool differ = false;
    CEepData image(ctx_);
    for (const BindingDescriptor& d : Table(view)) {
        if (!InScope(d, listControl, true)) {
            continue;
        }
        const std::optional<CellAddress> cell = CellOf(d, listControl, row, pulse);
        if (!cell) {
            continue;
        }
        differ = image.IsModified(cell->group, cell->parameter) || differ;
        const double v = image.GetCell(cell->group, cell->parameter, CopyIndex(copy));
        if (form != nullptr) {
            Show(d, *form, ShownValue(d, v, pulse));
        }
    }
    // A list row rebuilt from the controller's values drops its edits, exactly: the row
    // committed afterwards then finds nothing changed.
    if (listControl != kNoList && CopyIndex(copy) == ParameterImage::kControllerCopy) {
        DiscardRow(view, listControl, row);
    }
    return differ;
}

bool CBinding::CompareView(int view, int listControl, int row) {
    const bool pulse = Pulse();
    CEepData image(ctx_);
    bool differ = false;
    for (const BindingDescriptor& d : Table(view)) {
        if (!InScope(d, listControl, true)) {
            continue;
        }
        const std::optional<CellAddress> cell = CellOf(d, listControl, row, pulse);
        if (!cell) {
            continue;
        }
        const std::string controller = Format(
            kCompareFormat, static_cast<double>(image.GetCell(cell->group, cell->parameter,
                                                              ParameterImage::kControllerCopy)));
        const std::string edit =
            Format(kCompareFormat, static_cast<double>(image.GetCell(cell->group, cell->parameter,
                                                                     ParameterImage::kEditCopy)));
        if (Atof(controller) != Atof(edit)) {
            differ = true;
        }
    }
    return differ;
}

bool CBinding::DisplayStepList(int copy) {
    const int steps = Pulse() ? kStepsInPulseType : kStepRows;
    bool differ = false;
    CEepData image(ctx_);
    for (int n = steps - 1; n >= 0; --n) {
        differ = DisplayView(kViewStep, kListStepPage, n, copy) || differ;
        host_.StoreStepRow(n);
        host_.SetStepPositioningTime(n,
                                     image.GetCell(kFirstStepGroup + n, kPositioningTimeParameter,
                                                   ParameterImage::kControllerCopy));
    }
    if (const ui::Form* page = host_.View(kViewStep)) {
        StepListTexts texts;
        for (int r = 0; r < kStepListRows; ++r) {
            for (int c = 0; c < kStepListColumns; ++c) {
                texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                    page->ListCell(kListStepPage, r, c);
            }
        }
        host_.CopyStepListToBrowser(texts);
    }
    return differ;
}

bool CBinding::DisplayLists(int which, int copy) {
    if (which == kViewStep) {
        return DisplayStepList(copy);
    }
    if (which == kViewDetail) {
        const bool plain = DisplayView(kViewDetail, kNoList, 0, copy);
        const bool lists = host_.RebuildDetailLists(CopyIndex(copy));
        return plain || lists;
    }
    return false;
}

bool CBinding::RedisplayViews(int what, int copy) {
    bool result = false;
    switch (what) {
        case kViewIo:
        case kViewBasic:
        case kViewCommSetup:
            DisplayView(what, kNoList, 0, copy);
            break;
        case kRedisplayAll:
            DisplayView(kViewIo, kNoList, 0, copy);
            DisplayView(kViewBasic, kNoList, 0, copy);
            DisplayView(kViewCommSetup, kNoList, 0, copy);
            [[fallthrough]];
        case kViewStep:
        case kViewDetail: {
            const bool steps = DisplayLists(kViewStep, copy);
            const bool detail = DisplayLists(kViewDetail, copy);
            result = steps || detail;
            break;
        }
        default:
            return false;
    }
    UpdateIoEditability();
    host_.RefreshBasicPage();
    return result;
}

void CBinding::UpdateIoEditability() {
    CEepData image(ctx_);
    bool outputs = true;
    for (int p = kIoOutputFirst; p <= kIoOutputLast; ++p) {
        const float f = image.GetCell(0, p, ParameterImage::kControllerCopy);
        outputs = outputs && f >= 0.0F && f <= static_cast<float>(kIoListedFunctionMax);
    }
    bool area = (ctx_.status.flags & kFlagDetailRead) != 0;
    const int steps = Pulse() ? kStepsInPulseType : kStepRows;
    for (const int p : kCommonStepParameters) {
        const float first = image.GetCell(kFirstStepGroup, p, ParameterImage::kControllerCopy);
        for (int n = 1; n < steps && area; ++n) {
            area = image.GetCell(kFirstStepGroup + n, p, ParameterImage::kControllerCopy) == first;
        }
    }
    state_.ioOutputsEditable = outputs;
    state_.ioAreaEditable = area;
    host_.ApplyIoEditability(outputs, area);
}

float CBinding::ListLookup(ui::ControlId control, float number, int direction) const {
    const bool pulse = Pulse();
    for (const BindingDescriptor& d : kDetailView) {
        if (d.control != control) {
            continue;
        }
        const ValueList* list = ListFor(d, pulse);
        if (list == nullptr) {
            return 0.0F;
        }
        for (const ValuePair& pair : list->pairs) {
            if (direction == 0 && static_cast<float>(pair.index) == number) {
                return pair.value;
            }
            if (direction == 1 && pair.value == number) {
                return static_cast<float>(pair.index);
            }
        }
        return 0.0F;
    }
    return 0.0F;
}

float CBinding::GetCell(int group, int parameter, int copy) {
    return CEepData(ctx_).GetCell(group, parameter, CopyIndex(copy));
}

void CBinding::SetCell(int group, int parameter, float value, int copy) {
    CEepData(ctx_).SetCell(group, parameter, value, CopyIndex(copy));
}

}  // namespace tavro
