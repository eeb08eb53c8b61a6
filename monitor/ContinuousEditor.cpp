#include "monitor/ContinuousEditor.h"

#include <algorithm>
#include <utility>

#include "link/Numbers.h"
#include "link/StringIds.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

constexpr ui::Colours kDisabled{10, 3};
constexpr ui::Colours kDefault{0, 0};
constexpr ui::Colours kCellSelected{5, 6};
constexpr ui::Colours kCellActive{16, 2};
constexpr ui::Colours kCellInactive{10, 3};
constexpr ui::Colours kTimeInvalid{11, 2};
constexpr double kHundredths = 100.0;

}  // namespace

ContinuousEditor::ContinuousEditor(ui::Form& form, const StatusBlock& status,
                                   const ui::DialogServices& services,
                                   std::function<void(ui::ControlId)> selectText,
                                   std::function<bool()> running)
    : form_(form),
      status_(status),
      services_(services),
      selectText_(std::move(selectText)),
      running_(std::move(running)) {}

int ContinuousEditor::EditedRow() const {
    const int shown = Atoi(form_.Text(IDC_ROW_NUMBER)) - 1;
    return std::clamp(shown, 0, ContinuousTable::kRows - 1);
}

bool ContinuousEditor::OneTime(int r) const {
    return form_.ListIsRowChecked(IDC_TABLE, r);
}

void ContinuousEditor::WriteRowCells(int r) {
    const ContinuousRow& row = table_.Row(r);
    form_.ListSetCell(IDC_TABLE, r, 2, form_.ItemText(IDC_ROW_CHOICE, row.choice));
    form_.ListSetCell(
        IDC_TABLE, r, 3,
        row.timed ? Format("%.2f", row.time / kHundredths) : services_.Text(ids::IDS_NO_VALUE));
}

void ContinuousEditor::LoadRow(int r) {
    table_.Update(r, status_);
    const ContinuousRow& row = table_.Row(r);
    form_.SetText(IDC_ROW_NUMBER, Format("%d", r + 1));
    form_.SetCurrentItem(IDC_ROW_CHOICE, row.choice);
    form_.SetText(IDC_ROW_TIME, row.timed ? Format("%.2f", row.time / kHundredths)
                                          : services_.Text(ids::IDS_NO_VALUE));
    RowChoiceChanged(true);
}

void ContinuousEditor::SaveEditor() {
    const int r = EditedRow();
    ContinuousRow& row = table_.Row(r);
    row.choice = std::max(form_.CurrentItem(IDC_ROW_CHOICE), 0);
    table_.Update(r, status_);
    int lowest = 0;
    // Switching the condition and leaving the page save without the check: a refused time
    // never reaches the row, which keeps its last accepted one.
    if (const int time = EditorTime(); row.timed && table_.TimeAllowed(r, time, lowest)) {
        row.time = time;
    }
    WriteRowCells(r);
}

int ContinuousEditor::EditorTime() const {
    return TruncToInt(Atof(form_.Text(IDC_ROW_TIME)) * kHundredths + 0.5);
}

void ContinuousEditor::RowChoiceChanged(bool showStoredTime) {
    const int choice = std::max(form_.CurrentItem(IDC_ROW_CHOICE), 0);
    const bool timed = table_.TimedChoice(choice);
    const ContinuousRow& row = table_.Row(EditedRow());
    if (timed) {
        // A refresh keeps what the user is typing.
        if (showStoredTime || form_.Text(IDC_ROW_TIME) == services_.Text(ids::IDS_NO_VALUE)) {
            form_.SetText(IDC_ROW_TIME, Format("%.2f", row.time / kHundredths));
        }
    } else {
        form_.SetText(IDC_ROW_TIME, services_.Text(ids::IDS_NO_VALUE));
    }
    const bool editable =
        timed && status_.linkState == kLinkOnline && status_.controlType != kControlTypePulse;
    form_.SetEnabled(IDC_ROW_TIME, editable);
    form_.SetColours(IDC_ROW_TIME,
                     !editable ? kDisabled : (timeHighlight_ ? kTimeInvalid : kDefault));
}

void ContinuousEditor::RefreshTimeColumn() {
    table_.UpdateAll(status_);
    for (int r = 0; r < ContinuousTable::kRows && r < form_.ListRowCount(IDC_TABLE); ++r) {
        WriteRowCells(r);
    }
}

void ContinuousEditor::TransitionChanged() {
    // What the editor holds belongs to its row under the condition it was typed for.
    SaveEditor();
    table_.SetTimeMode(form_.IsChecked(IDC_TIME_TRANSITION));
    RefreshTimeColumn();
    LoadRow(EditedRow());
}

bool ContinuousEditor::CheckOperatingTime() {
    if (checkGuard_) {
        return true;
    }
    const int r = EditedRow();
    // Judge the row as the editor would store it, then put the stored row back.
    const ContinuousRow stored = table_.Row(r);
    table_.Row(r).choice = std::max(form_.CurrentItem(IDC_ROW_CHOICE), 0);
    table_.Update(r, status_);
    int lowest = 0;
    bool passed = true;
    if (table_.Row(r).timed) {
        form_.SetText(IDC_ROW_TIME, Format("%.2f", Atof(form_.Text(IDC_ROW_TIME))));
        passed = table_.TimeAllowed(r, EditorTime(), lowest);
    }
    table_.Row(r) = stored;
    checkGuard_ = true;
    if (passed) {
        timeHighlight_ = false;
        form_.SetColours(IDC_ROW_TIME, form_.IsEnabled(IDC_ROW_TIME) ? kDefault : kDisabled);
    } else {
        timeHighlight_ = true;
        form_.SetColours(IDC_ROW_TIME, kTimeInvalid);
        form_.SetFocus(IDC_ROW_TIME);
        form_.ListSelectRow(IDC_TABLE, r);
        services_.prompter.Warn(
            ids::IDS_TIME_RANGE,
            FormatPrintf(services_.strings.Text(ids::IDS_TIME_RANGE), lowest / kHundredths,
                         ContinuousTable::kLongestTime / kHundredths));
    }
    checkGuard_ = false;
    return passed;
}

void ContinuousEditor::ClickRow(int row, int column) {
    if (row < 0 || row >= ContinuousTable::kRows) {
        return;
    }
    if (!CheckOperatingTime()) {
        return;
    }
    SaveEditor();
    LoadRow(row);
    const ui::ControlId target =
        column == 3 && table_.Row(row).timed && form_.IsEnabled(IDC_ROW_TIME) ? IDC_ROW_TIME
                                                                              : IDC_ROW_CHOICE;
    form_.SetFocus(target);
    selectText_(target);
    form_.ListSelectRow(IDC_TABLE, row);
    ColourTable();
}

void ContinuousEditor::MoveRowByKey(int key) {
    if (!CheckOperatingTime()) {
        return;
    }
    const int rows = ContinuousTable::kRows;
    const int r = EditedRow();
    const int next = key == ui::key::kUp ? (r + rows - 1) % rows : (r + 1) % rows;
    SaveEditor();
    LoadRow(next);
    form_.ListSelectRow(IDC_TABLE, next);
    form_.ListEnsureVisible(IDC_TABLE, next);
    if (key == ui::key::kReturn) {
        form_.SetFocus(IDC_ROW_CHOICE);
    }
    selectText_(form_.FocusedControl());
    ColourTable();
}

void ContinuousEditor::UpdateRepeatEnable() {
    const StatusBlock& s = status_;
    const bool enabled = s.controlType != kControlTypePulse && s.linkState == kLinkOnline &&
                         !form_.IsChecked(IDC_CYCLE);
    form_.SetEnabled(IDC_REPEAT, enabled);
    form_.SetColours(IDC_REPEAT, enabled ? kDefault : kDisabled);
}

void ContinuousEditor::ColourTable() {
    const bool enabled = form_.IsEnabled(IDC_TABLE);
    const int endRow = table_.EndRow();
    const int selected = form_.ListSelectedRow(IDC_TABLE);
    const int rows = std::min(form_.ListRowCount(IDC_TABLE), ContinuousTable::kRows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < form_.ListColumnCount(IDC_TABLE); ++c) {
            ui::Colours colours = kCellInactive;
            if (r == selected && (enabled || running_())) {
                colours = kCellSelected;
            } else if (enabled && r <= endRow && (c != 3 || (table_.TimeMode() && r < endRow))) {
                colours = kCellActive;
            }
            form_.ListSetCellColours(IDC_TABLE, r, c, colours);
        }
    }
}

void ContinuousEditor::ShowFirstRow() {
    form_.ListEnsureVisible(IDC_TABLE, 0);
    form_.ListSelectRow(IDC_TABLE, 0);
    LoadRow(0);
    form_.SetFocus(IDC_ROW_CHOICE);
    ColourTable();
}

std::vector<bool> ContinuousEditor::OneTimeRows() const {
    std::vector<bool> out(ContinuousTable::kRows);
    for (int r = 0; r < ContinuousTable::kRows; ++r) {
        out[static_cast<std::size_t>(r)] = OneTime(r);
    }
    return out;
}

}  // namespace tavro
