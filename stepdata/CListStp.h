#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "link/StatusBlock.h"
#include "stepdata/StepRecord.h"
#include "ui/Form.h"
#include "ui/Prompter.h"
#include "ui/StringTable.h"

namespace tavro {

// Controls of the Step page's edit row and list.
inline constexpr ui::ControlId IDC_STEP_LIST = 1690;
inline constexpr ui::ControlId IDC_LABEL_OPERATION = 1640;
inline constexpr ui::ControlId IDC_LABEL_MOVEMENT = 1641;
inline constexpr ui::ControlId IDC_LABEL_TARGET = 1642;
inline constexpr ui::ControlId IDC_LABEL_TIME = 1643;
inline constexpr ui::ControlId IDC_LABEL_SPEED = 1644;
inline constexpr ui::ControlId IDC_LABEL_ACCEL = 1645;
inline constexpr ui::ControlId IDC_LABEL_ACCEL_SQUARE = 1646;
inline constexpr ui::ControlId IDC_LABEL_DECEL = 1647;
inline constexpr ui::ControlId IDC_LABEL_DECEL_SQUARE = 1648;
inline constexpr ui::ControlId IDC_LABEL_THRUST = 1649;
inline constexpr ui::ControlId IDC_LABEL_MASS = 1650;
inline constexpr ui::ControlId IDC_STEP_NUMBER = 1632;
inline constexpr ui::ControlId IDC_POSITIONING = 1660;
inline constexpr ui::ControlId IDC_PUSHING = 1661;
inline constexpr ui::ControlId IDC_ABSOLUTE = 1662;
inline constexpr ui::ControlId IDC_RELATIVE = 1663;
inline constexpr ui::ControlId IDC_TARGET_POSITION = 1664;
inline constexpr ui::ControlId IDC_POSITIONING_TIME = 1665;
inline constexpr ui::ControlId IDC_SPEED = 1666;
inline constexpr ui::ControlId IDC_ACCELERATION = 1667;
inline constexpr ui::ControlId IDC_DECELERATION = 1668;
inline constexpr ui::ControlId IDC_THRUST = 1669;
inline constexpr ui::ControlId IDC_LOAD_MASS = 1670;

// Columns of the step list.
inline constexpr int kColNumber = 0;
inline constexpr int kColOperation = 1;
inline constexpr int kColMovement = 2;
inline constexpr int kColumnCount = 10;
inline constexpr int kNoColumn = -1;

enum class EditKind { kLabel, kNumberLabel, kRadioPair, kEdit, kChoice };

// One control of the edit row: the list column it feeds, how it is read and written, its
// range check and when it is enabled.
struct EditRowEntry {
    ui::ControlId control;
    int column;
    EditKind kind;
    ui::ControlId pairFirst;  // radio pairs: the two radios
    ui::ControlId pairLast;
    bool rangeChecked;
    StepField field;
    int decimals;
    std::array<bool, 3> byIndex;  // cycle time, speed, pulse
    bool positioning;
    bool pushing;
};

inline constexpr std::size_t kEditRowEntries = 23;

// clang-format off
inline constexpr std::array<EditRowEntry, kEditRowEntries> kEditRow{{
    {IDC_LABEL_OPERATION,    kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kOperation, 0, {true, true, false}, true, true},
    {IDC_LABEL_MOVEMENT,     kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kMovementMode, 0, {true, true, false}, true, true},
    {IDC_LABEL_TARGET,       kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kTargetPosition, 0, {true, true, false}, true, true},
    {IDC_LABEL_TIME,         kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kPositioningTime, 0, {true, false, false}, true, true},
    {IDC_LABEL_SPEED,        kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kSpeed, 0, {false, true, false}, true, true},
    {IDC_LABEL_ACCEL,        kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kAcceleration, 0, {false, true, false}, true, true},
    {IDC_LABEL_ACCEL_SQUARE, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kAcceleration, 0, {false, true, false}, true, true},
    {IDC_LABEL_DECEL,        kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kDeceleration, 0, {false, true, false}, true, true},
    {IDC_LABEL_DECEL_SQUARE, kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kDeceleration, 0, {false, true, false}, true, true},
    {IDC_LABEL_THRUST,       kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kThrustSetting, 0, {true, true, true}, false, true},
    {IDC_LABEL_MASS,         kNoColumn, EditKind::kLabel, 0, 0, false, StepField::kLoadMass, 0, {true, true, true}, true, true},
    {IDC_STEP_NUMBER,        0, EditKind::kNumberLabel, 0, 0, false, StepField::kOperation, 0, {true, true, true}, true, true},
    {IDC_POSITIONING,        1, EditKind::kRadioPair, IDC_POSITIONING, IDC_PUSHING, false, StepField::kOperation, 0, {true, true, false}, true, true},
    {IDC_PUSHING,            1, EditKind::kRadioPair, IDC_POSITIONING, IDC_PUSHING, false, StepField::kOperation, 0, {true, true, false}, true, true},
    {IDC_ABSOLUTE,           2, EditKind::kRadioPair, IDC_ABSOLUTE, IDC_RELATIVE, false, StepField::kMovementMode, 0, {true, true, false}, true, true},
    {IDC_RELATIVE,           2, EditKind::kRadioPair, IDC_ABSOLUTE, IDC_RELATIVE, false, StepField::kMovementMode, 0, {true, true, false}, true, true},
    {IDC_TARGET_POSITION,    3, EditKind::kEdit, 0, 0, true, StepField::kTargetPosition, 3, {true, true, false}, true, true},
    {IDC_POSITIONING_TIME,   4, EditKind::kEdit, 0, 0, true, StepField::kPositioningTime, 2, {true, false, false}, true, true},
    {IDC_SPEED,              5, EditKind::kEdit, 0, 0, true, StepField::kSpeed, 0, {false, true, false}, true, true},
    {IDC_ACCELERATION,       6, EditKind::kEdit, 0, 0, true, StepField::kAcceleration, 0, {false, true, false}, true, true},
    {IDC_DECELERATION,       7, EditKind::kEdit, 0, 0, true, StepField::kDeceleration, 0, {false, true, false}, true, true},
    {IDC_THRUST,             8, EditKind::kEdit, 0, 0, true, StepField::kThrustSetting, 1, {true, true, true}, false, true},
    {IDC_LOAD_MASS,          9, EditKind::kChoice, 0, 0, false, StepField::kLoadMass, 0, {true, true, true}, true, true},
}};
// clang-format on

// Whether a list column is in use, as the edit row says: the flags of the first entry that
// feeds the column, or of entry 0 for a column no entry feeds.
struct ColumnEnable {
    std::array<bool, 3> byIndex;
    bool positioning;
    bool pushing;
};

template <std::size_t Columns, std::size_t Entries>
constexpr std::array<ColumnEnable, Columns> ColumnEnablesOf(
    const std::array<EditRowEntry, Entries>& row) {
    std::array<ColumnEnable, Columns> out{};
    for (int c = 0; c < static_cast<int>(Columns); ++c) {
        const EditRowEntry* feeding = &row[0];
        for (const EditRowEntry& e : row) {
            if (e.column == c) {
                feeding = &e;
                break;
            }
        }
        out[static_cast<std::size_t>(c)] = {feeding->byIndex, feeding->positioning,
                                            feeding->pushing};
    }
    return out;
}

// The step list's columns; the step browser colours its list by the same table.
inline constexpr std::array<ColumnEnable, kColumnCount> kStepColumnEnables =
    ColumnEnablesOf<kColumnCount>(kEditRow);

enum class ClipKind { kNumberLabel, kRadioPair, kEdit, kChoice };

// One slot of the one-step clipboard and what a cut leaves in its control.
struct ClipSlot {
    ui::ControlId control;
    ClipKind kind;
    int decimals;
    float cutDefault;
};

inline constexpr std::size_t kClipSlots = 10;

inline constexpr std::array<ClipSlot, kClipSlots> kClipboard{{
    {IDC_STEP_NUMBER, ClipKind::kNumberLabel, 0, 0.0F},
    {IDC_POSITIONING, ClipKind::kRadioPair, 0, 0.0F},
    {IDC_ABSOLUTE, ClipKind::kRadioPair, 0, 0.0F},
    {IDC_TARGET_POSITION, ClipKind::kEdit, 3, 0.0F},
    {IDC_POSITIONING_TIME, ClipKind::kEdit, 2, 0.0F},
    {IDC_SPEED, ClipKind::kEdit, 0, 0.0F},
    {IDC_ACCELERATION, ClipKind::kEdit, 0, 0.0F},
    {IDC_DECELERATION, ClipKind::kEdit, 0, 0.0F},
    {IDC_THRUST, ClipKind::kEdit, 1, 1.0F},
    {IDC_LOAD_MASS, ClipKind::kChoice, 0, 0.0F},
}};

using StepClipboard = std::array<float, kClipSlots>;

// An edit row and its list as the operations below walk them: the entries, the clipboard
// slots and the radios and field the operations read.
struct EditRowTable {
    std::span<const EditRowEntry> entries;
    std::span<const ClipSlot> clipboard;
    ui::ControlId pushing;
    ui::ControlId relative;
    ui::ControlId target;
};

inline constexpr EditRowTable kStepPageTable{kEditRow, kClipboard, IDC_PUSHING, IDC_RELATIVE,
                                             IDC_TARGET_POSITION};
// Set while a field of the edit row is out of range, one per edit-row entry.
using EditRowErrors = std::array<bool, kEditRowEntries>;

// Palette indices of the list cells.
inline constexpr ui::Colours kCellUsed{16, 2};
inline constexpr ui::Colours kCellIdle{10, 3};
inline constexpr ui::Colours kCellSelected{5, 6};

// The operations on an edit row and its list (the Step page's unless told otherwise): range
// check, clipboard, focus choice, cell texts and cell colours. Holds no state of its own; the
// state is in the controls, the status block and the error flags the caller keeps.
class CListStp {
  public:
    // A view whose own radios choose the input method passes its index (0..2); otherwise
    // the status block's is used.
    CListStp(ui::Form& form, const StatusBlock& status, const StringTable& strings,
             const EditRowTable& table = kStepPageTable, int inputMethodIndex = -1)
        : form_(form),
          status_(status),
          strings_(strings),
          table_(table),
          inputMethodIndex_(inputMethodIndex) {}
    virtual ~CListStp() = default;

    // Range-checks every checked field against `limits` (the target minimum follows the
    // movement radio). The first failing field takes the focus and row `row` of `list` is
    // selected again (list 0: none); each failing field shows its message in order. True when
    // any field failed. `errors` holds one flag per entry of the table.
    bool ValidateEditRow(ui::ControlId list, int row, const StepLimits& limits,
                         std::span<bool> errors, ui::Prompter& prompter) const;

    // One value per clipboard slot of the table.
    void CopyEditRow(std::span<float> clipboard) const;
    void PasteEditRow(std::span<const float> clipboard) const;
    void ClearEditRow() const;

    ui::ControlId FirstEnabledField(bool pushing) const;
    ui::ControlId FieldForColumn(bool pushing, int column) const;
    int InputMethodIndex() const;
    int StrokeIndex() const;
    static int HelpVariant(bool pushing, bool relative);
    bool RowIsPushing(ui::ControlId list, int row) const;
    std::string OperationText(bool pushing, bool relative, int column) const;

    // The edit row's operation and movement as the radios show them.
    bool EditRowPushing() const;
    bool EditRowRelative() const;

    // Writes the edit row's texts into list row `row`; the number column stays.
    void StoreCells(ui::ControlId list, int row) const;

    // The colours of one cell, or of every cell of a list, by the column table. Rows listed
    // in `alwaysUsed` (the browser's pseudo rows) are drawn as used.
    ui::Colours CellColours(ui::ControlId list, int row, int column,
                            std::span<const ColumnEnable> columns, bool alwaysUsed = false) const;
    void ColourRow(ui::ControlId list, int row, std::span<const ColumnEnable> columns,
                   bool alwaysUsed = false) const;
    void ColourList(ui::ControlId list, std::span<const ColumnEnable> columns,
                    int alwaysUsedRows = 0) const;

    // The Step page's entries.
    static const EditRowEntry* Entry(ui::ControlId control);
    static std::optional<std::size_t> EntryIndex(ui::ControlId control);
    // The entries of this object's table.
    const EditRowEntry* TableEntry(ui::ControlId control) const;
    std::optional<std::size_t> TableEntryIndex(ui::ControlId control) const;

  private:
    bool EntryEnabled(const EditRowEntry& e, int index, bool pushing) const;

    ui::Form& form_;
    const StatusBlock& status_;
    const StringTable& strings_;
    EditRowTable table_;
    int inputMethodIndex_;
};

}  // namespace tavro
