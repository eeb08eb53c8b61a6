// The Detail Parameter Setup dialog's PID table: the gain sets (list 1874), which set each
// motion uses (list 1875) and their edit rows.

#include "detail/DetailPidEditor.h"

#include "link/CEepData.h"
#include "link/Numbers.h"
#include "link/StringIds.h"
#include "stepdata/CListCtrlApi.h"
#include "stepdata/StepRecord.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

constexpr int kEdit = ParameterImage::kEditCopy;
constexpr int kOriginLabel = 99;
constexpr int kLastSetLetter = 15;  // "STO"
constexpr int kOriginGroup = 1;
constexpr int kOriginSetParameter = 17;
constexpr int kFirstStepGroup = 3;
constexpr int kPidSetNoParameter = 15;

constexpr ui::Colours kRowSelected{5, 6};
constexpr ui::Colours kRowEnabled{16, 2};
constexpr ui::Colours kRowDisabled{10, 3};

CellAddress AssignmentCell(int row) {
    return row == 0 ? CellAddress{kOriginGroup, kOriginSetParameter}
                    : CellAddress{kFirstStepGroup + row - 1, kPidSetNoParameter};
}

}  // namespace

std::string PidSetName(const StringTable& strings, int set) {
    if (set <= 0) {
        return std::string(strings.Text(ids::IDS_PID_ORIGIN));
    }
    return strings.Format(ids::IDS_PID_SET, 'A' + set - 1);
}

std::string PidAssignmentText(const StringTable& strings, int row, int value) {
    if (value == 0) {
        return std::string(strings.Text(ids::IDS_PID_DEFAULT));
    }
    if (row == 0) {
        return value == 1 ? std::string(strings.Text(ids::IDS_PID_ORIGIN)) : std::string();
    }
    // A number no set has is shown as nothing rather than as a stray letter.
    return value >= 1 && value <= kLastSetLetter ? PidSetName(strings, value) : std::string();
}

DetailPidEditor::DetailPidEditor(ui::Form& form, LinkContext& ctx, CBinding& binding,
                                 ui::Prompter& prompter, const StringTable& strings, Owner& owner)
    : form_(form),
      ctx_(ctx),
      binding_(binding),
      prompter_(prompter),
      strings_(strings),
      owner_(owner) {}

void DetailPidEditor::LabelLists() {
    const int pidRows = Rows();
    for (int r = 0; r < pidRows && r < form_.ListRowCount(IDC_DTL_PID_LIST); ++r) {
        form_.ListSetCell(IDC_DTL_PID_LIST, r, 0, PidSetName(strings_, r));
    }
    LabelAssignmentRows();
}

void DetailPidEditor::LabelAssignmentRows() {
    // The return to origin stands in front of the steps.
    const int rows = Rows();
    while (form_.ListRowCount(IDC_DTL_ASSIGN_LIST) < rows) {
        if (form_.ListInsertRow(IDC_DTL_ASSIGN_LIST, -1) < 0) {
            break;
        }
    }
    while (form_.ListRowCount(IDC_DTL_ASSIGN_LIST) > rows) {
        form_.ListDeleteRow(IDC_DTL_ASSIGN_LIST, form_.ListRowCount(IDC_DTL_ASSIGN_LIST) - 1);
    }
    for (int a = 0; a < rows && a < form_.ListRowCount(IDC_DTL_ASSIGN_LIST); ++a) {
        const int label = a == 0 ? kOriginLabel : ShownNumber(a - 1, ctx_.status.controlType);
        form_.ListSetCell(IDC_DTL_ASSIGN_LIST, a, 0, std::to_string(label));
    }
}

void DetailPidEditor::CommitGainRow(int row) {
    const int pidRows = Rows();
    if (row < 0 || row >= pidRows || row >= form_.ListRowCount(IDC_DTL_PID_LIST)) {
        return;
    }
    for (const CheckedField& f : kPidEditRow) {
        const std::string text = Format("%.*f", f.decimals, Atof(form_.Text(f.control)));
        form_.SetText(f.control, text);
        form_.ListSetCell(IDC_DTL_PID_LIST, row, f.column, text);
    }
    binding_.CollectView(kViewDetail, IDC_DTL_PID_LIST, row);
}

void DetailPidEditor::DisplayGainRow(int row) {
    const int pidRows = Rows();
    if (row < 0 || row >= pidRows) {
        return;
    }
    binding_.DisplayView(kViewDetail, IDC_DTL_PID_LIST, row, kEdit);
    form_.SetText(IDC_DTL_PID_SET_NAME, PidSetName(strings_, row));
    form_.SetText(IDC_DTL_PID_SET_PURPOSE,
                  Text(row == 0 ? ids::IDS_DTL_PURPOSE_ORIGIN : ids::IDS_DTL_PURPOSE_STEP));
    form_.SetText(IDC_DTL_PID_ROW, std::to_string(row + 1));
    gainShown_ = row;
    form_.ListSelectRow(IDC_DTL_PID_LIST, row);
    ColourLists();
}

void DetailPidEditor::ShowGainRow(int row) {
    CommitGainRow(gainShown_);
    DisplayGainRow(row);
}

bool DetailPidEditor::CheckGainRow() {
    bool failed = false;
    for (std::size_t i = 0; i < kPidEditRow.size(); ++i) {
        const CheckedField& f = kPidEditRow[i];
        const RangeCheck check = IsInRange(form_.Text(f.control), {f.min, f.max, f.decimals});
        form_.SetText(f.control, check.text);
        errors_[i] = !check.inRange;
        if (check.inRange) {
            continue;
        }
        if (!failed) {
            form_.ListSelectRow(IDC_DTL_PID_LIST, gainShown_);
            form_.SetFocus(f.control);
            failed = true;
        }
        prompter_.Warn(f.message, Text(f.message));
    }
    owner_.ApplyFieldColours();
    return !failed;
}

void DetailPidEditor::FillAssignmentChoice(int row) {
    form_.ClearItems(IDC_DTL_PID_CHOICE);
    form_.AddItem(IDC_DTL_PID_CHOICE, Text(ids::IDS_PID_DEFAULT));
    if (row == 0) {
        form_.AddItem(IDC_DTL_PID_CHOICE, Text(ids::IDS_PID_ORIGIN));
        return;
    }
    const int sets = Rows() - 1;
    for (int s = 1; s <= sets; ++s) {
        form_.AddItem(IDC_DTL_PID_CHOICE, PidSetName(strings_, s));
    }
}

void DetailPidEditor::StoreAssignment() {
    const int rows = Rows();
    const int index = form_.CurrentItem(IDC_DTL_PID_CHOICE);
    if (index < 0 || assignShown_ < 0 || assignShown_ >= rows) {
        return;
    }
    form_.ListSetCell(IDC_DTL_ASSIGN_LIST, assignShown_, 1, form_.Text(IDC_DTL_PID_CHOICE));
    binding_.CollectView(kViewDetail, IDC_DTL_ASSIGN_LIST, assignShown_);
}

void DetailPidEditor::DisplayAssignmentRow(int row) {
    const int rows = Rows();
    if (row < 0 || row >= rows) {
        return;
    }
    FillAssignmentChoice(row);
    binding_.DisplayView(kViewDetail, IDC_DTL_ASSIGN_LIST, row, kEdit);
    form_.SetText(IDC_DTL_ASSIGN_ROW, form_.ListCell(IDC_DTL_ASSIGN_LIST, row, 0));
    assignShown_ = row;
    form_.ListSelectRow(IDC_DTL_ASSIGN_LIST, row);
    ColourLists();
}

void DetailPidEditor::ShowAssignmentRow(int row) {
    StoreAssignment();
    DisplayAssignmentRow(row);
}

bool DetailPidEditor::DisplayAssignments(int copy) {
    LabelAssignmentRows();
    const int rows = Rows();
    CEepData image(ctx_);
    bool differ = false;
    for (int a = 0; a < rows; ++a) {
        const CellAddress cell = AssignmentCell(a);
        const int value = TruncToInt(image.GetCell(cell.group, cell.parameter, copy));
        form_.ListSetCell(IDC_DTL_ASSIGN_LIST, a, 1, PidAssignmentText(strings_, a, value));
        differ = image.IsModified(cell.group, cell.parameter) || differ;
    }
    return differ;
}

void DetailPidEditor::ColourLists() {
    for (const ui::ControlId list : {IDC_DTL_PID_LIST, IDC_DTL_ASSIGN_LIST}) {
        const bool enabled = !owner_.Busy() && form_.IsEnabled(list);
        const int selected = form_.ListSelectedRow(list);
        const int rows = form_.ListRowCount(list);
        const int columns = form_.ListColumnCount(list);
        for (int r = 0; r < rows; ++r) {
            const ui::Colours colours =
                !enabled ? kRowDisabled : (r == selected ? kRowSelected : kRowEnabled);
            for (int c = 0; c < columns; ++c) {
                form_.ListSetCellColours(list, r, c, colours);
            }
        }
    }
}

bool DetailPidEditor::Key(ui::ControlId id, int key) {
    const bool gains = id != IDC_DTL_PID_CHOICE;
    switch (key) {
        case ui::key::kReturn:
        case ui::key::kDown:
        case ui::key::kPageDown:
        case ui::key::kUp: {
            if (owner_.Busy()) {
                return true;
            }
            if (gains) {
                if (!CheckGainRow()) {
                    return true;
                }
                CListCtrlApi::MoveSelectionByKey(form_, IDC_DTL_PID_LIST, key);
                const int row = form_.ListSelectedRow(IDC_DTL_PID_LIST);
                ShowGainRow(row >= 0 ? row : gainShown_);
                owner_.FocusField(key == ui::key::kReturn ? IDC_DTL_KP : id);
            } else {
                CListCtrlApi::MoveSelectionByKey(form_, IDC_DTL_ASSIGN_LIST, key);
                const int row = form_.ListSelectedRow(IDC_DTL_ASSIGN_LIST);
                ShowAssignmentRow(row >= 0 ? row : assignShown_);
                form_.SetFocus(IDC_DTL_PID_CHOICE);
            }
            return true;
        }
        case ui::key::kEscape:
            if (gains) {
                DisplayGainRow(gainShown_);
            } else {
                DisplayAssignmentRow(assignShown_);
            }
            return true;
        default:
            return false;
    }
}

}  // namespace tavro
