#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "link/StringIds.h"
#include "product/Product.h"
#include "stepdata/CListStp.h"
#include "ui/FormTypes.h"
#include "ui/Templates.h"

// The Detail Parameter Setup dialog's controls and tables: which control shows what in each
// control-signal type and link state, its step edit row, clipboard, help texts, range checks
// and spins, and the rules for the step limits and the spin steps.
namespace tavro {

// Toolbar.
inline constexpr ui::ControlId IDC_DTL_CUT = 1802;
inline constexpr ui::ControlId IDC_DTL_COPY = 1803;
inline constexpr ui::ControlId IDC_DTL_PASTE = 1804;
inline constexpr ui::ControlId IDC_DTL_GET_POSITION = 1805;
inline constexpr ui::ControlId IDC_DTL_SAVE = 1806;
inline constexpr ui::ControlId IDC_DTL_OPEN = 1807;
// "Compare with file...", beside Save and Open, enabled as they are.
inline constexpr ui::ControlId IDC_DTL_COMPARE = 3311;
inline constexpr ui::ControlId IDC_DTL_UPLOAD = 1808;
inline constexpr ui::ControlId IDC_DTL_DOWNLOAD = 1809;

// Versions, controller ID, product number, orientation, origin.
inline constexpr ui::ControlId IDC_DTL_SOFTWARE_VERSION = 1800;
inline constexpr ui::ControlId IDC_DTL_CONTROLLER_VERSION = 1801;
inline constexpr ui::ControlId IDC_DTL_CONTROLLER_ID = 1906;
inline constexpr ui::ControlId IDC_DTL_SERIES = 1883;
inline constexpr ui::ControlId IDC_DTL_STROKE = 1884;
inline constexpr ui::ControlId IDC_DTL_STROKE_FULL = 1908;
inline constexpr ui::ControlId IDC_DTL_ORIENTATION = 1891;
inline constexpr ui::ControlId IDC_DTL_ORIGIN_RETRACTED = 1885;
inline constexpr ui::ControlId IDC_DTL_ORIGIN_EXTENDED = 1886;
inline constexpr ui::ControlId IDC_DTL_ORIGIN_SENSOR = 1887;
inline constexpr ui::ControlId IDC_DTL_ORIGIN_OFFSET = 1877;
inline constexpr ui::ControlId IDC_DTL_OFFSET_SPIN = 1051;

// Input method, outputs, thresholds, pulse input.
inline constexpr ui::ControlId IDC_DTL_INPUT_FIRST = 1888;
inline constexpr ui::ControlId IDC_DTL_INPUT_SPEED = 1889;
inline constexpr ui::ControlId IDC_DTL_INPUT_LAST = 1890;
inline constexpr ui::ControlId IDC_DTL_BUSY = 1006;
inline constexpr ui::ControlId IDC_DTL_ALARM = 1007;
inline constexpr ui::ControlId IDC_DTL_OUT0 = 1014;
inline constexpr ui::ControlId IDC_DTL_OUT1 = 1009;
inline constexpr ui::ControlId IDC_DTL_CURRENT = 1878;
inline constexpr ui::ControlId IDC_DTL_TEMPERATURE = 1879;
inline constexpr ui::ControlId IDC_DTL_DEVIATION = 1880;
inline constexpr ui::ControlId IDC_DTL_GEAR_DENOMINATOR = 1881;
inline constexpr ui::ControlId IDC_DTL_GEAR_NUMERATOR = 1882;

// Step table.
inline constexpr ui::ControlId IDC_DTL_STEP_NUMBER = 1820;
inline constexpr ui::ControlId IDC_DTL_POSITIONING = 1850;
inline constexpr ui::ControlId IDC_DTL_PUSHING = 1851;
inline constexpr ui::ControlId IDC_DTL_ABSOLUTE = 1852;
inline constexpr ui::ControlId IDC_DTL_RELATIVE = 1853;
inline constexpr ui::ControlId IDC_DTL_TARGET = 1854;
inline constexpr ui::ControlId IDC_DTL_TIME = 1855;
inline constexpr ui::ControlId IDC_DTL_SPEED = 1856;
inline constexpr ui::ControlId IDC_DTL_ACCEL = 1857;
inline constexpr ui::ControlId IDC_DTL_DECEL = 1858;
inline constexpr ui::ControlId IDC_DTL_THRUST = 1859;
inline constexpr ui::ControlId IDC_DTL_PUSH_SPEED = 1860;
inline constexpr ui::ControlId IDC_DTL_LOAD_MASS = 1861;
inline constexpr ui::ControlId IDC_DTL_IN_POSITION = 1862;
inline constexpr ui::ControlId IDC_DTL_IN_FORCE = 1863;
inline constexpr ui::ControlId IDC_DTL_AREA_A1 = 1864;
inline constexpr ui::ControlId IDC_DTL_AREA_A2 = 1865;
inline constexpr ui::ControlId IDC_DTL_AREA_B1 = 1866;
inline constexpr ui::ControlId IDC_DTL_AREA_B2 = 1867;
inline constexpr ui::ControlId IDC_DTL_LABEL_THRUST = 1830;
inline constexpr ui::ControlId IDC_DTL_LABEL_PUSH_SPEED = 1831;
inline constexpr ui::ControlId IDC_DTL_LABEL_IN_FORCE = 1834;
inline constexpr ui::ControlId IDC_DTL_STEP_LIST = 1872;
inline constexpr ui::ControlId IDC_DTL_FIELD_HELP = 1870;
inline constexpr ui::ControlId IDC_DTL_BUTTON_HELP = 1871;

// PID table.
inline constexpr ui::ControlId IDC_DTL_PID_GROUP = 1873;
inline constexpr ui::ControlId IDC_DTL_PID_LIST = 1874;
inline constexpr ui::ControlId IDC_DTL_ASSIGN_LIST = 1875;
inline constexpr ui::ControlId IDC_DTL_PID_HELP = 1876;
inline constexpr ui::ControlId IDC_DTL_INITIALIZE = 1810;
inline constexpr ui::ControlId IDC_DTL_PID_SET_NAME = 1896;
inline constexpr ui::ControlId IDC_DTL_PID_SET_PURPOSE = 1897;
inline constexpr ui::ControlId IDC_DTL_PID_ROW = 1907;
inline constexpr ui::ControlId IDC_DTL_ASSIGN_ROW = 1838;
inline constexpr ui::ControlId IDC_DTL_PID_CHOICE = 1901;
inline constexpr ui::ControlId IDC_DTL_KP = 1898;
inline constexpr ui::ControlId IDC_DTL_TI = 1899;
inline constexpr ui::ControlId IDC_DTL_TD = 1900;

// One control of the dialog: its caption and whether it is shown and may be enabled in each
// control-signal type, and in which link states it may be enabled.
struct DetailControlRow {
    ui::ControlId control;
    int textStep;  // string ID; 0 leaves the caption as it is
    int textPulse;
    bool showStep;
    bool showPulse;
    std::array<bool, 5> states;
};

namespace detail_rows {
inline constexpr std::array<bool, 5> kEditable{true, true, true, false, false};
inline constexpr std::array<bool, 5> kOnline{true, false, false, false, false};
inline constexpr std::array<bool, 5> kLabel{true, true, true, true, false};
inline constexpr std::array<bool, 5> kNever{false, false, false, false, false};

constexpr DetailControlRow Both(ui::ControlId c, int text, const std::array<bool, 5>& states) {
    return {c, text, text, true, true, states};
}
constexpr DetailControlRow Typed(ui::ControlId c, int step, int pulse,
                                 const std::array<bool, 5>& states) {
    return {c, step, pulse, true, true, states};
}
constexpr DetailControlRow PulseOnly(ui::ControlId c, int text, const std::array<bool, 5>& states) {
    return {c, text, text, false, true, states};
}
constexpr DetailControlRow Hidden(ui::ControlId c) {
    return {c, 0, 0, false, false, kNever};
}
}  // namespace detail_rows

// clang-format off
inline constexpr auto kDetailControls = [] {
    using namespace detail_rows;
    return std::array{
        // toolbar
        Both(1073, 993, kLabel), Both(1802, 0, kEditable), Both(1803, 0, kEditable),
        Both(1804, 0, kEditable), Both(1074, 994, kLabel), Both(1805, 0, kOnline),
        Both(1075, 995, kLabel), Both(1806, 0, kEditable), Both(1807, 0, kEditable),
        Both(1076, 996, kLabel), Both(1808, 0, kOnline), Both(1809, 0, kOnline),
        // versions
        Both(1101, 991, kLabel), Both(1800, 0, kLabel), Both(1102, 992, kLabel),
        Both(1801, 0, kLabel),
        // controller ID, product number, orientation
        Both(1110, 1010, kLabel), Both(1906, 0, kEditable), Both(1550, 997, kLabel),
        Both(1883, 0, kEditable), Both(1884, 0, kEditable), Hidden(1908),
        Both(1553, 1000, kLabel), Both(1891, 0, kEditable),
        // return to origin
        Both(1551, 998, kLabel), Both(1885, 1029, kEditable), Both(1886, 1030, kEditable),
        Both(1887, 1031, kEditable), Both(1133, 1009, kLabel), Both(1877, 0, kEditable),
        Both(1051, 0, kEditable),
        // input method
        Typed(1109, 562, 563, kLabel), Typed(1888, 544, 549, kEditable),
        Typed(1889, 545, 550, kEditable), PulseOnly(1890, 551, kEditable),
        // output signals
        Both(1134, 1028, kLabel), Both(1006, 0, kEditable), Both(1007, 0, kNever),
        Both(1014, 0, kEditable), Both(1009, 0, kEditable), Both(1142, 438, kLabel),
        Both(1143, 439, kLabel), Both(1144, 440, kLabel), Both(1145, 441, kLabel),
        // thresholds
        Both(1135, 1024, kLabel), Both(1136, 1025, kLabel), Both(1878, 0, kEditable),
        Both(1137, 1026, kLabel), Both(1879, 0, kEditable), PulseOnly(1138, 1027, kLabel),
        PulseOnly(1880, 0, kEditable),
        // pulse input
        PulseOnly(1131, 1011, kLabel), PulseOnly(1892, 1012, kEditable),
        PulseOnly(1893, 1013, kEditable), PulseOnly(1894, 1014, kEditable),
        PulseOnly(1895, 1015, kEditable), PulseOnly(1132, 1016, kLabel),
        PulseOnly(1882, 0, kEditable), PulseOnly(1139, 0, kLabel), PulseOnly(1881, 0, kEditable),
        PulseOnly(1140, 1018, kLabel), PulseOnly(1902, 1019, kEditable),
        PulseOnly(1903, 1020, kEditable), PulseOnly(1141, 1021, kLabel),
        PulseOnly(1904, 1022, kEditable), PulseOnly(1905, 1023, kEditable),
        // step table: headers, edit row, list, help lines
        Both(1111, 1001, kLabel), Both(1821, 969, kEditable), Both(1822, 972, kEditable),
        Both(1823, 975, kEditable), Both(1824, 976, kEditable), Both(1825, 977, kEditable),
        Both(1826, 978, kEditable), Both(1827, 0, kEditable), Both(1829, 979, kEditable),
        Both(1828, 0, kEditable), Both(1830, 981, kEditable), Both(1831, 982, kEditable),
        Both(1832, 984, kEditable), Both(1833, 987, kEditable), Both(1834, 986, kEditable),
        Both(1835, 0, kEditable), Both(1836, 0, kEditable), Both(1820, 0, kEditable),
        Both(1850, 970, kEditable), Both(1851, 971, kEditable), Both(1852, 973, kEditable),
        Both(1853, 974, kEditable), Both(1854, 0, kEditable), Both(1855, 0, kEditable),
        Both(1856, 0, kEditable), Both(1857, 0, kEditable), Both(1858, 0, kEditable),
        Both(1859, 0, kEditable), Both(1860, 0, kEditable), Both(1861, 0, kEditable),
        Both(1862, 0, kEditable), Both(1050, 0, kEditable), Both(1863, 0, kEditable),
        Both(1864, 0, kEditable), Both(1046, 0, kEditable), Both(1865, 0, kEditable),
        Both(1047, 0, kEditable), Both(1866, 0, kEditable), Both(1048, 0, kEditable),
        Both(1867, 0, kEditable), Both(1049, 0, kEditable), Both(1872, 0, kEditable),
        Both(1870, 0, kLabel), Both(1871, 0, kLabel),
        // PID table
        Both(1873, 1003, kLabel), Both(1875, 0, kEditable), Both(1838, 0, kLabel),
        Both(1901, 0, kEditable), Both(1874, 0, kEditable), Both(1896, 0, kLabel),
        Both(1897, 0, kLabel), Hidden(1907), Both(1114, 1005, kLabel),
        Both(1898, 0, kEditable), Both(1115, 1006, kLabel), Both(1899, 0, kEditable),
        Both(1116, 1007, kLabel), Both(1900, 0, kEditable), Both(1810, 990, kOnline),
        Both(1876, 0, kLabel),
    };
}();

// The step edit row, in the order every edit-row operation walks it.
inline constexpr std::array<EditRowEntry, 32> kDetailEditRow{{
    {1821, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kOperation, 0, {true, true, false}, true, true},
    {1822, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kMovementMode, 0, {true, true, false}, true, true},
    {1823, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kTargetPosition, 0, {true, true, false}, true, true},
    {1824, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kPositioningTime, 0, {true, false, false}, true, true},
    {1825, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kSpeed, 0, {false, true, false}, true, true},
    {1826, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kAcceleration, 0, {false, true, false}, true, true},
    {1827, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kAcceleration, 0, {false, true, false}, true, true},
    {1829, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kDeceleration, 0, {false, true, false}, true, true},
    {1828, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kDeceleration, 0, {false, true, false}, true, true},
    {1830, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kThrustSetting, 0, {true, true, true}, false, true},
    {1831, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kPushingSpeed, 0, {true, true, true}, false, true},
    {1832, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kLoadMass, 0, {true, true, true}, true, true},
    {1834, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kInForceLevel, 0, {true, true, true}, false, true},
    {1820, 0, EditKind::kNumberLabel, 0, 0, false, StepField::kOperation, 0, {true, true, true}, true, true},
    {1850, 1, EditKind::kRadioPair, 1850, 1851, false, StepField::kOperation, 0, {true, true, false}, true, true},
    {1851, 1, EditKind::kRadioPair, 1850, 1851, false, StepField::kOperation, 0, {true, true, false}, true, true},
    {1852, 2, EditKind::kRadioPair, 1852, 1853, false, StepField::kMovementMode, 0, {true, true, false}, true, true},
    {1853, 2, EditKind::kRadioPair, 1852, 1853, false, StepField::kMovementMode, 0, {true, true, false}, true, true},
    {1854, 3, EditKind::kEdit, 0, 0, true, StepField::kTargetPosition, 3, {true, true, false}, true, true},
    {1855, 4, EditKind::kEdit, 0, 0, true, StepField::kPositioningTime, 2, {true, false, false}, true, true},
    {1856, 5, EditKind::kEdit, 0, 0, true, StepField::kSpeed, 0, {false, true, false}, true, true},
    {1857, 6, EditKind::kEdit, 0, 0, true, StepField::kAcceleration, 0, {false, true, false}, true, true},
    {1858, 7, EditKind::kEdit, 0, 0, true, StepField::kDeceleration, 0, {false, true, false}, true, true},
    {1859, 8, EditKind::kEdit, 0, 0, true, StepField::kThrustSetting, 1, {true, true, true}, false, true},
    {1860, 9, EditKind::kEdit, 0, 0, true, StepField::kPushingSpeed, 0, {true, true, true}, false, true},
    {1861, 10, EditKind::kChoice, 0, 0, false, StepField::kLoadMass, 0, {true, true, true}, true, true},
    {1862, 11, EditKind::kEdit, 0, 0, true, StepField::kInPositionRange, 3, {true, true, true}, true, true},
    {1863, 12, EditKind::kEdit, 0, 0, true, StepField::kInForceLevel, 1, {true, true, true}, false, true},
    {1864, 13, EditKind::kEdit, 0, 0, true, StepField::kAreaA, 3, {true, true, true}, true, true},
    {1865, 13, EditKind::kEdit, 0, 0, true, StepField::kAreaA, 3, {true, true, true}, true, true},
    {1866, 14, EditKind::kEdit, 0, 0, true, StepField::kAreaB, 3, {true, true, true}, true, true},
    {1867, 14, EditKind::kEdit, 0, 0, true, StepField::kAreaB, 3, {true, true, true}, true, true},
}};

inline constexpr std::array<ClipSlot, 17> kDetailClipboard{{
    {1820, ClipKind::kNumberLabel, 0, 0.0F}, {1850, ClipKind::kRadioPair, 0, 0.0F},
    {1852, ClipKind::kRadioPair, 0, 0.0F},   {1854, ClipKind::kEdit, 3, 0.0F},
    {1855, ClipKind::kEdit, 2, 0.0F},        {1856, ClipKind::kEdit, 0, 0.0F},
    {1857, ClipKind::kEdit, 0, 0.0F},        {1858, ClipKind::kEdit, 0, 0.0F},
    {1859, ClipKind::kEdit, 1, 1.0F},        {1861, ClipKind::kChoice, 0, 0.0F},
    {1860, ClipKind::kEdit, 0, 6.0F},        {1862, ClipKind::kEdit, 3, 0.0F},
    {1863, ClipKind::kEdit, 1, 0.7F},        {1864, ClipKind::kEdit, 3, 0.0F},
    {1865, ClipKind::kEdit, 3, 0.0F},        {1866, ClipKind::kEdit, 3, 0.0F},
    {1867, ClipKind::kEdit, 3, 0.0F},
}};
// clang-format on

inline constexpr int kDetailStepColumns = 15;
inline constexpr int kColAreaA = 13;
inline constexpr int kColAreaB = 14;

inline constexpr EditRowTable kDetailStepTable{kDetailEditRow, kDetailClipboard, IDC_DTL_PUSHING,
                                               IDC_DTL_RELATIVE, IDC_DTL_TARGET};
inline constexpr std::array<ColumnEnable, kDetailStepColumns> kDetailColumnEnables =
    ColumnEnablesOf<kDetailStepColumns>(kDetailEditRow);

// What a help text's arguments are.
enum class HelpArgKind { kValue, kTargetMin, kStroke, kThrust, kResolution };

struct DetailHelpArg {
    HelpArgKind kind;
    double value;
};

struct DetailHelp {
    ui::ControlId control;
    std::array<int, 4> ids;  // by 2 x pushing + relative
    int argCount;
    std::array<DetailHelpArg, 3> args;
};

namespace detail_help {
constexpr DetailHelpArg V(double v) {
    return {HelpArgKind::kValue, v};
}
inline constexpr DetailHelpArg kMin{HelpArgKind::kTargetMin, 0.0};
inline constexpr DetailHelpArg kS{HelpArgKind::kStroke, 0.0};
inline constexpr DetailHelpArg kT{HelpArgKind::kThrust, 0.0};
inline constexpr DetailHelpArg kR{HelpArgKind::kResolution, 0.0};
constexpr std::array<int, 4> Same(int id) {
    return {id, id, id, id};
}
}  // namespace detail_help

inline constexpr auto kDetailHelp = [] {
    using namespace detail_help;
    return std::array{
        DetailHelp{1854, {910, 911, 912, 913}, 2, {kMin, kS, V(0)}},
        DetailHelp{1855, Same(914), 2, {V(0), V(60), V(0)}},
        DetailHelp{1856, Same(915), 2, {V(0), V(400), V(0)}},
        DetailHelp{1857, Same(916), 2, {V(0), V(60000), V(0)}},
        DetailHelp{1858, Same(917), 2, {V(0), V(60000), V(0)}},
        DetailHelp{1859, Same(919), 3, {kS, V(1), kT}},
        DetailHelp{1861, Same(922), 0, {V(0), V(0), V(0)}},
        DetailHelp{1860, Same(920), 2, {V(1), V(20), V(0)}},
        DetailHelp{1862, Same(923), 3, {V(0), kS, kR}},
        DetailHelp{1863, Same(924), 2, {V(0.5), kT, V(0)}},
        DetailHelp{1864, Same(925), 3, {V(0), kS, kR}},
        DetailHelp{1865, Same(925), 3, {V(0), kS, kR}},
        DetailHelp{1866, Same(925), 3, {V(0), kS, kR}},
        DetailHelp{1867, Same(925), 3, {V(0), kS, kR}},
    };
}();

// A range-checked field outside the step edit row: the other fields and the PID gains.
struct CheckedField {
    ui::ControlId control;
    int column;  // PID list column; 0 for the other fields
    float min;
    float max;
    int decimals;
    int message;
    int help;  // formatted with min and max
};

inline constexpr std::array<CheckedField, 6> kOtherFields{{
    {IDC_DTL_ORIGIN_OFFSET, 0, 0.0F, 1.0F, 3, 327, 931},
    {IDC_DTL_CURRENT, 0, 0.0F, 3.0F, 1, 328, 932},
    {IDC_DTL_TEMPERATURE, 0, 0.0F, 70.0F, 0, 329, 933},
    {IDC_DTL_DEVIATION, 0, 0.0F, 50000.0F, 0, 330, 934},
    {IDC_DTL_GEAR_DENOMINATOR, 0, 1.0F, 200.0F, 0, 331, 935},
    {IDC_DTL_GEAR_NUMERATOR, 0, 1.0F, 200.0F, 0, 331, 935},
}};

inline constexpr std::array<CheckedField, 3> kPidEditRow{{
    {IDC_DTL_KP, 1, 0.1F, 5000.0F, 1, 325, 926},
    {IDC_DTL_TI, 2, 0.001F, 10.0F, 3, 324, 927},
    {IDC_DTL_TD, 3, 0.0001F, 1.0F, 4, 326, 928},
}};

// The position-like step fields stepped by a spin, with the upper bound in micrometres by
// series code 0..3 used while the product number is incomplete.
struct SpinRow {
    ui::ControlId edit;
    ui::ControlId spin;
    std::array<int, 4> defaultUpper;
};

inline constexpr std::array<SpinRow, 5> kDetailSpins{{
    {IDC_DTL_IN_POSITION, 1050, {300, 50, 300, 100}},
    {IDC_DTL_AREA_A1, 1046, {300, 5, 300, 100}},
    {IDC_DTL_AREA_A2, 1047, {300, 5, 300, 100}},
    {IDC_DTL_AREA_B1, 1048, {300, 5, 300, 100}},
    {IDC_DTL_AREA_B2, 1049, {300, 5, 300, 100}},
}};

// The origin offset's spin, in micrometres.
inline constexpr int kOffsetSpinMax = 1000;
inline constexpr int kOffsetSpinStep = 1;

struct DetailButton {
    ui::ControlId control;
    int icon;
    int toolTip;
    int description;
};

inline constexpr std::array<DetailButton, 8> kDetailButtons{{
    {IDC_DTL_CUT, 110, 360, 370},
    {IDC_DTL_COPY, 111, 361, 371},
    {IDC_DTL_PASTE, 112, 362, 372},
    {IDC_DTL_GET_POSITION, 113, 363, 373},
    {IDC_DTL_SAVE, 114, 364, 374},
    {IDC_DTL_OPEN, 115, 365, 375},
    {IDC_DTL_UPLOAD, 116, 366, 376},
    {IDC_DTL_DOWNLOAD, 117, 367, 377},
}};

// Drop-down lists filled when the dialog is prepared.
struct DetailCombo {
    ui::ControlId control;
    std::array<int, 11> ids;
    int stepCount;
    int pulseCount;
};

inline constexpr std::array<DetailCombo, 6> kDetailCombos{{
    {IDC_DTL_BUSY, {424, 425, 426, 427, 428, 429, 430}, 7, 7},
    {IDC_DTL_ALARM, {421}, 1, 1},
    {IDC_DTL_OUT0, {424, 425, 426, 427, 428, 429, 430, 431, 432, 434}, 10, 10},
    {IDC_DTL_OUT1, {424, 425, 426, 427, 428, 429, 430, 431, 432, 434}, 10, 10},
    {IDC_DTL_SERIES, {533, 534, 535, 536}, 4, 4},
    {IDC_DTL_ORIENTATION, {546, 547}, 2, 2},
}};
// In pulse type OUT0 and OUT1 also offer "Deviation" before "Position".
inline constexpr std::array<int, 11> kPulseOutputIds = {424, 425, 426, 427, 428, 429,
                                                        430, 431, 432, 433, 434};

// Rows of the PID lists: the return to origin, then one per step.
inline constexpr int kPidRowsStep = 16;
inline constexpr int kPidRowsPulse = 5;

// Series code (0 none) of each series index.
inline constexpr std::array<int, 4> kSeriesCodeOfIndex = product::SeriesCodeOfComboIndex();
int SeriesIndexOfCode(int code);

// The limits of the step fields for an actuator.
struct DetailLimits {
    int stroke = 0;           // S, mm
    float maxThrust = 1.0F;   // T
    float resolution = 0.0F;  // R, mm
    int seriesCode = 0;
    float targetMinimum = 0.0F;  // 0 for absolute movement, -S for relative
};

DetailLimits DetailLimitsFor(int stroke, int seriesCode, bool relative);
float PositionResolution(int seriesCode);

// Bounds and step of the step table's spins, in micrometres.
struct SpinSetup {
    int lower = 0;
    std::array<int, kDetailSpins.size()> upper{};
    int step = 1;
};

SpinSetup SpinSetupFor(bool productComplete, const DetailLimits& limits);
// A field's text in micrometres rounded half away from zero, reduced towards zero to a
// multiple of `step` when the step is at least 1.
int SnapMicrons(double millimetres, int step);
// One spin click on a field's text: the new value in micrometres.
int SpinMicrons(double millimetres, int delta, int lower, int upper, int step);
// The two positions of an area as the list shows them: smaller first.
std::string JoinArea(double first, double second, std::string_view separator);

}  // namespace tavro
