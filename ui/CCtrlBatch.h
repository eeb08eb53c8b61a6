#pragma once

#include <array>
#include <span>
#include <string>

#include "ui/Form.h"
#include "ui/StringTable.h"
#include "ui/Templates.h"

namespace tavro::ui {

// Show values of the caption tables.
inline constexpr int kSwHide = 0;
inline constexpr int kSwShow = 5;

inline constexpr int kLinkStateCount = 5;

// One control of a dialog: its caption, enable mask and show value for the step-data type
// (any type but 2) and for the pulse type, and whether it may be enabled in each link state.
struct CaptionRow {
    int dialog;
    ControlId control;
    int textStep;  // string ID; 0 leaves the caption as it is
    int enableStep;
    int showStep;
    int textPulse;
    int enablePulse;
    int showPulse;
    std::array<int, kLinkStateCount> states;
};

struct CaptionHeader {
    int dialog;
    int caption;  // the window title's string ID
};

struct CaptionTable {
    CaptionHeader header;
    std::span<const CaptionRow> rows;
};

// A label whose caption the page tables leave alone, captioned in both control types: the
// signal names before the colon that follows the language, the footnote markers, the
// current-position buttons.
struct LabelRow {
    int dialog;
    ControlId control;
    int text;  // string ID
};

// A drop-down list's items. With `withNumbers`, the last ID is a format that expands into
// 15 items numbered 1 to 15.
struct ComboRow {
    int withNumbers;
    int dialog;
    ControlId control;
    int count;
    std::array<int, 10> ids;
};

// The stroke items a series index offers.
struct StrokeChoice {
    int count;
    std::array<int, 5> ids;
};

// What a list cell starts with.
enum CellKind : int {
    kCellEmpty = 0,
    kCellNumber = 1,     // initial value / 10^decimals with that many decimals
    kCellRowNumber = 2,  // "%d" of initial value + row index
    kCellString = 3,     // the string whose ID is the initial value
};

struct ListColumnRow {
    int width;
    int heading;  // string ID
    int align;    // 0 left, 1 right, 2 centre
    int kind;
    std::array<float, 3> initial;  // for control types 0, 1, 2
    int decimals;
};

struct ListRow {
    int checkBoxes;
    int dialog;
    ControlId control;
    std::array<int, 3> rowCount;  // for control types 0, 1, 2
    std::span<const ListColumnRow> columns;
};

// The static presentation tables (captions, enabling, combo items, list columns and rows,
// number scales) and the rules that apply them to a form.
class CCtrlBatch {
  public:
    CCtrlBatch() = default;
    virtual ~CCtrlBatch() = default;

    // The 176 rows of the four pages, in the order they are applied.
    static std::span<const CaptionRow> PageRows();
    // The controls this tool adds to the pages, applied after the 176 rows.
    static std::span<const CaptionRow> AddedPageRows();
    // Captions of the page labels that the 176 rows leave as the templates have them.
    static std::span<const LabelRow> LabelRows();
    static const CaptionTable& ComSelectTable();
    static const CaptionTable& IdSearchTable();
    static std::span<const ComboRow> ComboRows();
    static std::span<const StrokeChoice> StrokeChoices();
    // The choice for a series index; an unknown index gets the one of "Select".
    static const StrokeChoice& StrokeChoiceFor(int seriesIndex);
    static std::span<const ListRow> ListRows();

    // 10^k and "%.kf" for k = 0..5; k outside is taken as the nearest end.
    static int Scale(int k);
    static const char* NumberFormat(int k);
    // value / 10^k written with `decimals` decimals.
    static std::string FormatScaled(double value, int k, int decimals);

    // Shows or hides each row's control of `dialog` for the control type and sets its caption
    // from the string table; captions overwrite whatever the form holds.
    static void ApplyCaptions(std::span<const CaptionRow> rows, int dialog, Form& form,
                              int controlType, const StringTable& strings);
    // The captions of the label rows of `dialog`; visibility stays as the page rows set it.
    static void ApplyLabels(std::span<const LabelRow> rows, int dialog, Form& form,
                            const StringTable& strings);
    // The window title from the header, then the rows of the header's dialog.
    static void ApplyCaptions(const CaptionTable& table, Form& form, int controlType,
                              const StringTable& strings);

    // Enabled = state flag of the link state AND enable mask of the control type.
    static bool IsEnabledIn(const CaptionRow& row, int linkState, int controlType);
    // Rows in table order, so a control that stands in two rows follows the later one.
    static void ApplyEnables(std::span<const CaptionRow> rows, int dialog, Form& form,
                             int linkState, int controlType);

    static void FillCombos(std::span<const ComboRow> rows, int dialog, Form& form,
                           const StringTable& strings);
    // Replaces the items with the strings of `ids` (ID 0 adds an empty item), selects item 0.
    static void FillComboItems(Form& form, ControlId control, std::span<const int> ids,
                               const StringTable& strings);

    // Columns, check boxes and the initial rows of the control type; row 0 selected.
    static void BuildLists(std::span<const ListRow> rows, int dialog, Form& form, int controlType,
                           const StringTable& strings);
    static std::string CellText(const ListColumnRow& column, int row, int controlType,
                                const StringTable& strings);
    static int RowCountFor(const ListRow& list, int controlType);
};

}  // namespace tavro::ui
