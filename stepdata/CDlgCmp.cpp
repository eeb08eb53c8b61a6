#include "stepdata/CDlgCmp.h"

#include <utility>

#include "link/StringIds.h"
#include "stepdata/ParameterCatalog.h"

namespace tavro {

namespace {

struct Column {
    int width;
    ui::Align align;
};

constexpr Column kColumns[] = {
    {80, ui::Align::kLeft},
    {180, ui::Align::kLeft},
    {110, ui::Align::kRight},
    {110, ui::Align::kRight},
};

}  // namespace

CDlgCmp::CDlgCmp(const ui::DialogServices& services, Comparison comparison)
    : services_(services), comparison_(std::move(comparison)) {}

CDlgCmp::~CDlgCmp() {
    if (form_) {
        form_->SetListener(nullptr);
    }
}

int CDlgCmp::DoModal(ui::Form* parent) {
    const int result =
        ui::RunModalDialog(services_, form_, kTemplate, parent, *this, [this] { Fill(); });
    return result == kIdWrite ? kIdWrite : ui::kIdCancel;
}

void CDlgCmp::Fill() {
    ui::Form& f = *form_;
    const StringTable& strings = services_.strings;
    const bool writable = comparison_.withController;
    f.SetTitle(Text(ids::IDS_COMPARE_TITLE));
    f.SetText(IDC_FILES, comparison_.files);
    f.SetText(IDC_WRITE, Text(ids::IDS_WRITE));
    f.SetText(IDC_CLOSE, Text(ids::IDS_CLOSE));
    f.SetText(IDC_SELECT_ALL, Text(ids::IDS_SELECT_ALL));
    f.SetText(IDC_SELECT_NONE, Text(ids::IDS_SELECT_NONE));
    const int count = static_cast<int>(comparison_.rows.size());
    if (count == 0) {
        f.SetText(IDC_SUMMARY, Text(writable ? ids::IDS_SAME_AS_CONTROLLER : ids::IDS_SAME_FILES));
    } else {
        f.SetText(IDC_SUMMARY,
                  strings.Format(writable ? ids::IDS_DIFFER_WRITABLE : ids::IDS_DIFFER, count));
    }
    for (const ui::ControlId id : {IDC_WRITE, IDC_SELECT_ALL, IDC_SELECT_NONE}) {
        f.SetVisible(id, writable);
        f.SetEnabled(id, writable && count > 0);
    }

    const int headings[] = {ids::IDS_COLUMN_WHERE, ids::IDS_COLUMN_FIELD,
                            writable ? ids::IDS_COLUMN_CONTROLLER : ids::IDS_COLUMN_FIRST_FILE,
                            writable ? ids::IDS_COLUMN_FILE : ids::IDS_COLUMN_SECOND_FILE};
    f.ListClearRows(IDC_LIST);
    f.ListClearColumns(IDC_LIST);
    for (std::size_t c = 0; c < std::size(kColumns); ++c) {
        f.ListAddColumn(IDC_LIST, {kColumns[c].width, Text(headings[c]), kColumns[c].align});
    }
    f.ListSetCheckBoxes(IDC_LIST, writable);
    const std::string missing = Text(ids::IDS_NONE);
    for (const CompareRow& row : comparison_.rows) {
        const int r = f.ListInsertRow(IDC_LIST, -1);
        f.ListSetCell(IDC_LIST, r, 0,
                      ParameterWhere(row.group, row.parameter, comparison_.controlType, strings));
        f.ListSetCell(IDC_LIST, r, 1, ParameterCaption(row.group, row.parameter, strings));
        f.ListSetCell(IDC_LIST, r, 2, CompareSideText(row, row.left, missing, strings));
        f.ListSetCell(IDC_LIST, r, 3, CompareSideText(row, row.right, missing, strings));
    }
    if (count > 0) {
        f.ListSelectRow(IDC_LIST, 0);
    }
    f.SetFocus(IDC_LIST);
}

void CDlgCmp::CheckAll(bool checked) {
    for (int r = 0; r < form_->ListRowCount(IDC_LIST); ++r) {
        form_->ListSetRowChecked(IDC_LIST, r, checked);
    }
}

void CDlgCmp::Write() {
    chosen_.clear();
    for (int r = 0; r < form_->ListRowCount(IDC_LIST); ++r) {
        const auto row = static_cast<std::size_t>(r);
        if (row < comparison_.rows.size() && form_->ListIsRowChecked(IDC_LIST, r) &&
            comparison_.rows[row].right) {
            chosen_.push_back(comparison_.rows[row]);
        }
    }
    if (chosen_.empty()) {
        services_.Warn(ids::IDS_NOTHING_CHECKED);
        return;
    }
    form_->EndModal(kIdWrite);
}

void CDlgCmp::OnClicked(ui::ControlId id) {
    switch (id) {
        case IDC_SELECT_ALL:
            CheckAll(true);
            break;
        case IDC_SELECT_NONE:
            CheckAll(false);
            break;
        case IDC_WRITE:
            if (comparison_.withController) {
                Write();
            }
            break;
        case IDC_CLOSE:
        case ui::kIdCancel:
            form_->EndModal(ui::kIdCancel);
            break;
        default:
            break;
    }
}

}  // namespace tavro
