#include "app/preview/PreviewContent.h"

#include <array>
#include <string>

#include "ui/CCtrlBatch.h"
#include "ui/Language.h"

namespace tavro::preview {

namespace {

using ui::CaptionRow;
using ui::CaptionTable;
using ui::CCtrlBatch;
using ui::ControlId;
using ui::kSwHide;
using ui::kSwShow;

constexpr std::array<int, ui::kLinkStateCount> kAll{1, 1, 1, 1, 1};

constexpr CaptionRow Both(int dialog, ControlId control, int text) {
    return {dialog, control, text, 1, kSwShow, text, 1, kSwShow, kAll};
}

constexpr CaptionRow Typed(int dialog, ControlId control, int textStep, int textPulse) {
    return {dialog, control, textStep, 1, kSwShow, textPulse, 1, kSwShow, kAll};
}

constexpr CaptionRow PulseOnly(int dialog, ControlId control, int text) {
    return {dialog, control, 0, 0, kSwHide, text, 1, kSwShow, kAll};
}

// Templates whose captions the presentation tables do not hold; their presenters set them.
constexpr int kControlType = 214;
constexpr int kMainWindow = 202;
constexpr int kAbout = 100;
constexpr int kProgress = 206;
constexpr int kPassword = 203;
constexpr int kCommSetup = 138;
constexpr int kDetail = kTemplateDetail;
constexpr int kBrowse = kTemplateBrowser;

constexpr CaptionRow kControlTypeRows[] = {
    Both(kControlType, 1125, 1201),
    Both(kControlType, 1126, 1202),
    Both(kControlType, 2, 266),
};
constexpr CaptionRow kAboutRows[] = {Both(kAbout, 1212, 242), Both(kAbout, 1215, 246)};
constexpr CaptionRow kProgressRows[] = {Both(kProgress, 1044, 1121)};
constexpr CaptionRow kPasswordRows[] = {Both(kPassword, 1100, 1102), Both(kPassword, 1952, 1103)};
constexpr CaptionRow kCommSetupRows[] = {
    Both(kCommSetup, 1022, 1138), Both(kCommSetup, 1017, 1131), Both(kCommSetup, 1015, 1132),
    Both(kCommSetup, 1016, 1133), Both(kCommSetup, 1014, 1134),
};
// clang-format off
constexpr CaptionRow kDetailRows[] = {
    Both(kDetail, 1073, 993), Both(kDetail, 1074, 994), Both(kDetail, 1075, 995),
    Both(kDetail, 1076, 996), Both(kDetail, 1101, 991), Both(kDetail, 1102, 992),
    Both(kDetail, 1110, 1010), Both(kDetail, 1550, 997), Both(kDetail, 1553, 1000),
    Both(kDetail, 1551, 998), Both(kDetail, 1885, 1029), Both(kDetail, 1886, 1030),
    Both(kDetail, 1887, 1031), Both(kDetail, 1133, 1009),
    Typed(kDetail, 1109, 562, 563), Typed(kDetail, 1888, 544, 549), Typed(kDetail, 1889, 545, 550),
    PulseOnly(kDetail, 1890, 551),
    Both(kDetail, 1142, 438), Both(kDetail, 1143, 439), Both(kDetail, 1144, 440),
    Both(kDetail, 1145, 441), Both(kDetail, 1134, 1028), Both(kDetail, 1135, 1024), Both(kDetail, 1136, 1025),
    Both(kDetail, 1137, 1026), PulseOnly(kDetail, 1138, 1027), PulseOnly(kDetail, 1880, 0),
    PulseOnly(kDetail, 1131, 1011), PulseOnly(kDetail, 1892, 1012), PulseOnly(kDetail, 1893, 1013),
    PulseOnly(kDetail, 1894, 1014), PulseOnly(kDetail, 1895, 1015), PulseOnly(kDetail, 1132, 1016),
    PulseOnly(kDetail, 1882, 0), PulseOnly(kDetail, 1139, 0), PulseOnly(kDetail, 1881, 0),
    PulseOnly(kDetail, 1140, 1018), PulseOnly(kDetail, 1902, 1019), PulseOnly(kDetail, 1903, 1020),
    PulseOnly(kDetail, 1141, 1021), PulseOnly(kDetail, 1904, 1022), PulseOnly(kDetail, 1905, 1023),
    Both(kDetail, 1111, 1001), Both(kDetail, 1821, 969), Both(kDetail, 1850, 970),
    Both(kDetail, 1851, 971), Both(kDetail, 1822, 972), Both(kDetail, 1852, 973),
    Both(kDetail, 1853, 974), Both(kDetail, 1823, 975), Both(kDetail, 1824, 976),
    Both(kDetail, 1825, 977), Both(kDetail, 1826, 978), Both(kDetail, 1829, 979),
    Both(kDetail, 1830, 981), Both(kDetail, 1831, 982), Both(kDetail, 1832, 984),
    Both(kDetail, 1833, 987), Both(kDetail, 1834, 986), Both(kDetail, 1873, 1003), Both(kDetail, 1114, 1005),
    Both(kDetail, 1115, 1006), Both(kDetail, 1116, 1007), Both(kDetail, 1810, 990),
};
// clang-format on

constexpr CaptionTable kDialogTables[] = {
    {{kControlType, 280}, kControlTypeRows},
    {{kAbout, 241}, kAboutRows},
    {{kProgress, 1120}, kProgressRows},
    {{kPassword, 1100}, kPasswordRows},
    {{kCommSetup, 1130}, kCommSetupRows},
    {{kDetail, 900}, kDetailRows},
    {{kBrowse, 250}, {}},
};

// Fonts and colours that dialogs give their controls: font index for Japanese and for other
// languages, then background and text colour (0, 0: the default colours).
struct LookRow {
    int dialog;
    ControlId control;
    int fontJapanese;
    int fontOther;
    ui::Colours colours;
};

constexpr LookRow kLooks[] = {
    {kAbout, 1210, 12, 14, {16, 2}},
    {kAbout, 1211, 0, 0, {16, 2}},
    {kAbout, 1214, 0, 0, {16, 2}},
    {kAbout, 1213, 0, 11, {1, 16}},
    {kTemplateBasicPage, 1510, 0, 0, {8, 2}},
    {kTemplateBasicPage, 1511, 0, 0, {11, 14}},
    {kTemplateBasicPage, 1512, 0, 0, {11, 14}},
    {kTemplateStepPage, 1646, 1, 1, {10, 15}},
    {kTemplateStepPage, 1648, 1, 1, {10, 15}},
    {kTemplateStepPage, 1680, 0, 0, {10, 7}},
    {kTemplateStepPage, 1681, 0, 0, {10, 7}},
    {kTemplateDrivePage, 1730, 12, 14, {10, 2}},
    {kTemplateDrivePage, 1731, 12, 14, {10, 2}},
    {kTemplateDrivePage, 1732, 12, 14, {10, 2}},
    {kTemplateDrivePage, 1733, 12, 14, {10, 2}},
    {kTemplateDrivePage, 1734, 12, 14, {10, 2}},
    {kTemplateDrivePage, 1751, 5, 7, {10, 2}},
    {kTemplateDrivePage, 1752, 5, 7, {10, 2}},
    {kTemplateDrivePage, 1757, 5, 7, {10, 2}},
    {kTemplateDrivePage, 1758, 5, 7, {10, 2}},
    {kTemplateDrivePage, 1756, 5, 13, {10, 2}},
    {kTemplateDrivePage, 1034, 5, 11, {10, 15}},
    {kTemplateDrivePage, 1035, 5, 11, {10, 15}},
    {kTemplateDrivePage, 1012, 0, 0, {10, 15}},
    {kTemplateDrivePage, 1013, 0, 0, {10, 15}},
    {kTemplateDrivePage, 1766, 0, 0, {10, 7}},
    {kTemplateDrivePage, 1767, 0, 0, {10, 7}},
    {kTemplateDrivePage, 1773, 0, 0, {10, 7}},
    {kTemplateDrivePage, 1775, 5, 9, {10, 7}},
    {kTemplateDrivePage, 1786, 0, 7, {8, 2}},
    {kTemplateDrivePage, 1785, 0, 11, {8, 2}},
    {kTemplateDrivePage, 1722, 0, 9, {10, 2}},
    {kTemplateDrivePage, 1723, 0, 9, {10, 2}},
    {kTemplateDrivePage, 1720, 0, 0, {12, 16}},
    {kTemplateDrivePage, 1740, 0, 0, {10, 2}},
    {kTemplateDrivePage, 1784, 0, 0, {10, 2}},
    {kTemplateDrivePage, 1033, 0, 0, {15, 0}},
    {kDetail, 1870, 0, 0, {10, 7}},
    {kDetail, 1871, 0, 0, {10, 7}},
    {kDetail, 1876, 0, 0, {10, 7}},
    {kDetail, 1883, 0, 0, {11, 14}},
    {kDetail, 1884, 0, 0, {11, 14}},
};

// Labels drawn in blue on the button face: the edit-row headers.
constexpr ControlId kStepHeaders[] = {1640, 1641, 1642, 1643, 1644, 1645, 1647, 1649, 1650};
constexpr ControlId kDetailHeaders[] = {1821, 1822, 1823, 1824, 1825, 1826, 1827, 1828,
                                        1829, 1830, 1831, 1832, 1833, 1834, 1835, 1836};
constexpr ui::Colours kHeaderColours{10, 15};

// Toolbar buttons: control, icon, tooltip.
struct ToolButton {
    ControlId control;
    int picture;
    int tip;
};
constexpr ToolButton kStepTools[] = {{1601, 110, 360}, {1602, 111, 361}, {1603, 112, 362},
                                     {1604, 113, 363}, {1611, 114, 364}, {1612, 115, 365},
                                     {1621, 116, 366}, {1622, 117, 367}};
constexpr ToolButton kDetailTools[] = {{1802, 110, 360}, {1803, 111, 361}, {1804, 112, 362},
                                       {1805, 113, 363}, {1806, 114, 364}, {1807, 115, 365},
                                       {1808, 116, 366}, {1809, 117, 367}};

constexpr int kOutputFunctionsStep[] = {424, 425, 426, 427, 428, 429, 430, 431, 432, 434};
constexpr int kOutputFunctionsPulse[] = {424, 425, 426, 427, 428, 429, 430, 431, 432, 433, 434};
constexpr int kBusyFunctions[] = {424, 425, 426, 427, 428, 429, 430};

constexpr int kMaxId = 255;
constexpr int kSampleSpeed = 9600;
constexpr int kSampleStroke = 50;
constexpr double kSampleThrust = 2.0;
constexpr const char* kSampleVersion = "2.20";

bool IsPulse(int controlType) {
    return controlType == 2;
}

void ApplyLooks(int dialog, ui::Form& form, const StringTable& strings) {
    for (const LookRow& row : kLooks) {
        if (row.dialog != dialog) {
            continue;
        }
        const int font = FontIndexFor(strings.language(), row.fontJapanese, row.fontOther);
        if (font != 0) {
            form.SetFont(row.control, font);
        }
        if (!row.colours.IsDefault()) {
            form.SetColours(row.control, row.colours);
        }
    }
}

void FillIds(ui::Form& form, ControlId control, bool factoryMark, const StringTable& strings) {
    form.ClearItems(control);
    for (int id = 1; id <= kMaxId; ++id) {
        form.AddItem(control,
                     id == 1 && factoryMark ? strings.Format(268, id) : std::to_string(id));
    }
    form.SetCurrentItem(control, 0);
}

void SetTools(ui::Form& form, std::span<const ToolButton> tools, const StringTable& strings) {
    for (const ToolButton& tool : tools) {
        form.SetPicture(tool.control, tool.picture);
        form.SetToolTip(tool.control, strings.Text(tool.tip));
    }
}

void FillMainWindow(ui::Form& form, const StringTable& strings) {
    form.SetTitle(FormatPrintf("%s %s", strings.Text(300), strings.Text(303)));
    form.ClearItems(1000);
    for (const int caption : {400, 510, 600, 700}) {
        form.AddItem(1000, strings.Text(caption));
    }
    form.SetCurrentItem(1000, 1);
    const ui::MenuItem menu[] = {{0x20, std::string(strings.Text(215)), true},
                                 {0x30, std::string(strings.Text(216)), true},
                                 {0x10, std::string(strings.Text(240)), true}};
    form.SetSystemMenu(menu);
}

void FillIoPage(ui::Form& form, const StringTable& strings) {
    form.SetText(1454, FormatPrintf("%s%s\n%s%s\n%s\n%s%s\n%s%s", strings.Text(401),
                                    strings.Text(402), strings.Text(403), strings.Text(404),
                                    strings.Text(405), strings.Text(406), strings.Text(407),
                                    strings.Text(413), strings.Text(414)));
    form.SetText(1425, strings.Format(411, 0.5, kSampleThrust));
    for (const ControlId button : {1402, 1403, 1404, 1405}) {
        form.SetToolTip(button, strings.Text(363));
    }
}

void FillStepPage(ui::Form& form, int controlType, const StringTable& strings) {
    SetTools(form, kStepTools, strings);
    for (const ControlId label : kStepHeaders) {
        form.SetColours(label, kHeaderColours);
    }
    form.SetText(1680, strings.Format(638, 0.0, static_cast<double>(kSampleStroke)));
    form.SetCurrentItem(1670, 0);
    // The list is shortened in pulse type and the grey patch fills what it leaves.
    form.SetHeight(1690, IsPulse(controlType) ? 75 : 218);
    form.SetVisible(1129, IsPulse(controlType));
}

void FillMonitorPage(ui::Form& form, const StringTable& strings) {
    form.SetText(1740, strings.Text(758));
    form.SetText(1720, strings.Text(1170));
    form.SetText(1766, strings.Text(743));
    form.SetText(1774, strings.Text(732));
    form.SetCurrentItem(1771, 1);
    form.ListSetCell(1780, 0, 2, strings.Text(764));
    form.ListSetRowChecked(1780, 0, true);
}

void FillDetail(ui::Form& form, int controlType, const StringTable& strings) {
    SetTools(form, kDetailTools, strings);
    for (const ControlId label : kDetailHeaders) {
        form.SetColours(label, kHeaderColours);
    }
    form.SetText(1835, strings.Text(955));
    form.SetText(1836, strings.Text(956));
    form.SetText(1800, FormatPrintf("Ver.%s", kSampleVersion));
    form.SetText(1801, strings.Text(243));
    FillIds(form, 1906, true, strings);
    CCtrlBatch::FillComboItems(form, 1006, kBusyFunctions, strings);
    const int alarm[] = {421};
    CCtrlBatch::FillComboItems(form, 1007, alarm, strings);
    const std::span<const int> outputs =
        IsPulse(controlType) ? std::span<const int>(kOutputFunctionsPulse) : kOutputFunctionsStep;
    CCtrlBatch::FillComboItems(form, 1014, outputs, strings);
    CCtrlBatch::FillComboItems(form, 1009, outputs, strings);
    const int series[] = {533, 534, 535, 536};
    CCtrlBatch::FillComboItems(form, 1883, series, strings);
    const ui::StrokeChoice& strokes = CCtrlBatch::StrokeChoiceFor(0);
    CCtrlBatch::FillComboItems(
        form, 1884,
        std::span<const int>(strokes.ids.data(), static_cast<std::size_t>(strokes.count)), strings);
    const int orientations[] = {546, 547};
    CCtrlBatch::FillComboItems(form, 1891, orientations, strings);
    const int sets[] = {963, 959};
    CCtrlBatch::FillComboItems(form, 1901, sets, strings);
    CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), kDetail, form, controlType, strings);
    // The PID list names its sets, the assignment list numbers the return to origin 99.
    for (int row = 1; row < form.ListRowCount(1874); ++row) {
        form.ListSetCell(1874, row, 0, strings.Format(960, static_cast<char>('A' + row - 1)));
    }
    form.ListSetCell(1875, 0, 0, "99");
    for (int row = 1; row < form.ListRowCount(1875); ++row) {
        form.ListSetCell(1875, row, 0, std::to_string(IsPulse(controlType) ? row - 1 : row));
    }
    form.SetCurrentItem(1861, 0);
    form.SetText(1870, strings.Format(910, 0.0, static_cast<double>(kSampleStroke)));
    form.SetText(1876, strings.Format(926, 0.1, 5000.0));
    form.SetText(1896, strings.Text(959));
    form.SetText(1897, strings.Text(929));
}

}  // namespace

void FillForm(int templateId, ui::Form& form, int controlType, const StringTable& strings) {
    switch (templateId) {
        case kTemplateComSelect:
            CCtrlBatch::ApplyCaptions(CCtrlBatch::ComSelectTable(), form, controlType, strings);
            form.ClearItems(1200);
            form.AddItem(1200, strings.Text(234));
            form.SetCurrentItem(1200, 0);
            form.SetCurrentItem(1203, form.FindItem(1203, std::to_string(kSampleSpeed)));
            return;
        case kTemplateIdSearch:
            CCtrlBatch::ApplyCaptions(CCtrlBatch::IdSearchTable(), form, controlType, strings);
            // Not in the dialog's caption table; its presenter sets them.
            form.SetText(4, strings.Text(277));
            form.SetText(2, strings.Text(266));
            form.SetText(1013, strings.Format(276, kSampleSpeed));
            FillIds(form, 1146, false, strings);
            FillIds(form, 1148, false, strings);
            form.SetCurrentItem(1148, kMaxId - 1);
            form.ClearItems(1143);
            form.AddItem(1143, strings.Text(267));
            form.SetCurrentItem(1143, 0);
            return;
        case kMainWindow:
            FillMainWindow(form, strings);
            return;
        case kTemplateIoPage:
        case kTemplateBasicPage:
        case kTemplateStepPage:
        case kTemplateDrivePage:
            CCtrlBatch::ApplyCaptions(CCtrlBatch::PageRows(), templateId, form, controlType,
                                      strings);
            CCtrlBatch::ApplyLabels(CCtrlBatch::LabelRows(), templateId, form, strings);
            CCtrlBatch::FillCombos(CCtrlBatch::ComboRows(), templateId, form, strings);
            CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), templateId, form, controlType, strings);
            ApplyLooks(templateId, form, strings);
            if (templateId == kTemplateIoPage) {
                FillIoPage(form, strings);
            } else if (templateId == kTemplateStepPage) {
                FillStepPage(form, controlType, strings);
            } else if (templateId == kTemplateDrivePage) {
                FillMonitorPage(form, strings);
            }
            return;
        default:
            break;
    }
    for (const CaptionTable& table : kDialogTables) {
        if (table.header.dialog == templateId) {
            CCtrlBatch::ApplyCaptions(table, form, controlType, strings);
        }
    }
    ApplyLooks(templateId, form, strings);
    switch (templateId) {
        case kBrowse:
            CCtrlBatch::BuildLists(CCtrlBatch::ListRows(), kBrowse, form, controlType, strings);
            break;
        case kAbout:
            form.SetWindowColours({1, 0});
            form.SetText(1210, FormatPrintf("%s [Ver.%s]", strings.Text(300), kSampleVersion));
            form.SetText(1211, strings.Text(243));
            break;
        case kProgress:
            form.SetRange(1042, 0, 100);
            form.SetPosition(1042, 40);
            break;
        case kCommSetup:
            FillIds(form, 1019, true, strings);
            form.SetCurrentItem(1020, 1);
            form.SetText(1026, strings.Format(1137, 0.1, 10.2));
            break;
        case kDetail:
            FillDetail(form, controlType, strings);
            break;
        default:
            break;
    }
}

}  // namespace tavro::preview
