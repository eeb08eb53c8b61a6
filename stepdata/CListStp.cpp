#include "stepdata/CListStp.h"

#include <algorithm>

#include "link/Numbers.h"

namespace tavro {

namespace {

constexpr int kStroke20 = 20;
constexpr int kStroke30 = 30;
constexpr int kStroke50 = 50;

std::string Fixed(double value, int decimals) {
    return Format("%.*f", decimals, value);
}

}  // namespace

const EditRowEntry* CListStp::Entry(ui::ControlId control) {
    const auto index = EntryIndex(control);
    return index ? &kEditRow[*index] : nullptr;
}

std::optional<std::size_t> CListStp::EntryIndex(ui::ControlId control) {
    for (std::size_t i = 0; i < kEditRow.size(); ++i) {
        if (kEditRow[i].control == control) {
            return i;
        }
    }
    return std::nullopt;
}

const EditRowEntry* CListStp::TableEntry(ui::ControlId control) const {
    const auto index = TableEntryIndex(control);
    return index ? &table_.entries[*index] : nullptr;
}

std::optional<std::size_t> CListStp::TableEntryIndex(ui::ControlId control) const {
    for (std::size_t i = 0; i < table_.entries.size(); ++i) {
        if (table_.entries[i].control == control) {
            return i;
        }
    }
    return std::nullopt;
}

bool CListStp::EditRowPushing() const {
    return form_.IsChecked(table_.pushing);
}

bool CListStp::EditRowRelative() const {
    return form_.IsChecked(table_.relative);
}

bool CListStp::ValidateEditRow(ui::ControlId list, int row, const StepLimits& limits,
                               std::span<bool> errors, ui::Prompter& prompter) const {
    const int movement = EditRowRelative() ? kMovementRelative : kMovementAbsolute;
    bool failed = false;
    const std::size_t count = std::min(table_.entries.size(), errors.size());
    for (std::size_t i = 0; i < count; ++i) {
        const EditRowEntry& e = table_.entries[i];
        if (!e.rangeChecked) {
            continue;
        }
        const auto range = StepRange(e.field, movement, limits);
        if (!range) {
            continue;
        }
        const RangeCheck check = IsInRange(form_.Text(e.control), *range);
        form_.SetText(e.control, check.text);
        if (check.inRange) {
            errors[i] = false;
            continue;
        }
        if (!failed) {
            if (list != 0) {
                form_.ListSelectRow(list, row);
            }
            form_.SetFocus(e.control);
            failed = true;
        }
        errors[i] = true;
        const int message = RangeMessageId(e.field);
        prompter.Warn(message, std::string(strings_.Text(message)));
    }
    return failed;
}

void CListStp::CopyEditRow(std::span<float> clipboard) const {
    const std::size_t count = std::min(table_.clipboard.size(), clipboard.size());
    for (std::size_t i = 0; i < count; ++i) {
        const ClipSlot& s = table_.clipboard[i];
        float value = 0.0F;
        switch (s.kind) {
            case ClipKind::kEdit:
                value = static_cast<float>(Atof(form_.Text(s.control)));
                break;
            case ClipKind::kChoice:
                value = static_cast<float>(form_.CurrentItem(s.control));
                break;
            case ClipKind::kRadioPair: {
                const EditRowEntry* e = TableEntry(s.control);
                if (e == nullptr) {
                    break;
                }
                const ui::ControlId checked = form_.CheckedRadio(e->pairFirst, e->pairLast);
                value =
                    checked == ui::kNoControl ? 0.0F : static_cast<float>(checked - e->pairFirst);
                break;
            }
            case ClipKind::kNumberLabel:
                break;
        }
        clipboard[i] = value;
    }
}

namespace {

void WriteSlot(ui::Form& form, const EditRowEntry* pair, const ClipSlot& s, float value) {
    switch (s.kind) {
        case ClipKind::kEdit:
            form.SetText(s.control, Fixed(value, s.decimals));
            break;
        case ClipKind::kChoice:
            form.SetCurrentItem(s.control, TruncToInt(value));
            break;
        case ClipKind::kRadioPair:
            if (pair != nullptr) {
                form.CheckRadio(pair->pairFirst, pair->pairLast,
                                pair->pairFirst + TruncToInt(value));
            }
            break;
        case ClipKind::kNumberLabel:
            break;
    }
}

}  // namespace

void CListStp::PasteEditRow(std::span<const float> clipboard) const {
    const std::size_t count = std::min(table_.clipboard.size(), clipboard.size());
    for (std::size_t i = 0; i < count; ++i) {
        const ClipSlot& s = table_.clipboard[i];
        WriteSlot(form_, TableEntry(s.control), s, clipboard[i]);
    }
}

void CListStp::ClearEditRow() const {
    for (const ClipSlot& s : table_.clipboard) {
        WriteSlot(form_, TableEntry(s.control), s, s.cutDefault);
    }
}

bool CListStp::EntryEnabled(const EditRowEntry& e, int index, bool pushing) const {
    if (!e.byIndex[static_cast<std::size_t>(index)]) {
        return false;
    }
    return index == kInputPulse || (pushing ? e.pushing : e.positioning);
}

ui::ControlId CListStp::FirstEnabledField(bool pushing) const {
    const int index = InputMethodIndex();
    for (const EditRowEntry& e : table_.entries) {
        if (e.kind == EditKind::kEdit && EntryEnabled(e, index, pushing)) {
            return e.control;
        }
    }
    return table_.target;
}

ui::ControlId CListStp::FieldForColumn(bool pushing, int column) const {
    for (const EditRowEntry& e : table_.entries) {
        if (e.column != column) {
            continue;
        }
        if ((e.kind == EditKind::kEdit || e.kind == EditKind::kChoice) &&
            EntryEnabled(e, InputMethodIndex(), pushing)) {
            return e.control;
        }
        break;
    }
    return FirstEnabledField(pushing);
}

int CListStp::InputMethodIndex() const {
    if (inputMethodIndex_ >= kInputCycleTime && inputMethodIndex_ <= kInputPulse) {
        return inputMethodIndex_;
    }
    return tavro::InputMethodIndex(status_);
}

int CListStp::StrokeIndex() const {
    const int stroke =
        (status_.flags & kFlagUploadDone) != 0 ? status_.stroke[0] : status_.stroke[1];
    switch (stroke) {
        case kStroke20:
            return 1;
        case kStroke30:
            return 2;
        case kStroke50:
            return 3;
        default:
            return 0;
    }
}

int CListStp::HelpVariant(bool pushing, bool relative) {
    const int variant = 2 * (pushing ? 1 : 0) + (relative ? 1 : 0);
    return variant >= 4 ? 0 : variant;
}

bool CListStp::RowIsPushing(ui::ControlId list, int row) const {
    if (row < 0) {
        return false;
    }
    return form_.ListCell(list, row, kColOperation) == strings_.Text(kStrPushing);
}

std::string CListStp::OperationText(bool pushing, bool relative, int column) const {
    if (column == kColOperation) {
        return std::string(strings_.Text(pushing ? kStrPushing : kStrPositioning));
    }
    if (column == kColMovement) {
        return std::string(strings_.Text(relative ? kStrRelative : kStrAbsolute));
    }
    return {};
}

void CListStp::StoreCells(ui::ControlId list, int row) const {
    for (const EditRowEntry& e : table_.entries) {
        if (e.column < 1) {
            continue;
        }
        std::string text;
        switch (e.kind) {
            case EditKind::kEdit:
            case EditKind::kChoice:
                text = Fixed(Atof(form_.Text(e.control)), e.decimals);
                break;
            case EditKind::kRadioPair:
                text = OperationText(EditRowPushing(), EditRowRelative(), e.column);
                break;
            case EditKind::kLabel:
            case EditKind::kNumberLabel:
                continue;
        }
        form_.ListSetCell(list, row, e.column, text);
    }
}

ui::Colours CListStp::CellColours(ui::ControlId list, int row, int column,
                                  std::span<const ColumnEnable> columns, bool alwaysUsed) const {
    const bool active = status_.linkState != kLinkBusy && form_.IsEnabled(list);
    if (!active) {
        return kCellIdle;
    }
    if (form_.ListSelectedRow(list) == row) {
        return kCellSelected;
    }
    if (alwaysUsed || column < 0 || static_cast<std::size_t>(column) >= columns.size()) {
        return kCellUsed;
    }
    const ColumnEnable& c = columns[static_cast<std::size_t>(column)];
    const int index = InputMethodIndex();
    bool used = c.byIndex[static_cast<std::size_t>(index)];
    if (index != kInputPulse) {
        used = used && (RowIsPushing(list, row) ? c.pushing : c.positioning);
    }
    return used ? kCellUsed : kCellIdle;
}

void CListStp::ColourRow(ui::ControlId list, int row, std::span<const ColumnEnable> columns,
                         bool alwaysUsed) const {
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        form_.ListSetCellColours(list, row, c, CellColours(list, row, c, columns, alwaysUsed));
    }
}

void CListStp::ColourList(ui::ControlId list, std::span<const ColumnEnable> columns,
                          int alwaysUsedRows) const {
    const int rows = form_.ListRowCount(list);
    for (int r = 0; r < rows; ++r) {
        ColourRow(list, r, columns, r < alwaysUsedRows);
    }
}

}  // namespace tavro
