#include "stepdata/CDlgRef.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "stepdata/CListStp.h"
#include "ui/Keys.h"

namespace tavro {

namespace {

// The characters of a UTF-8 text, one string each, so that a full-width character stays whole.
std::vector<std::string> Characters(std::string_view text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (lead >= 0xF0) {
            length = 4;
        } else if (lead >= 0xE0) {
            length = 3;
        } else if (lead >= 0xC0) {
            length = 2;
        }
        length = std::min(length, text.size() - i);
        out.emplace_back(text.substr(i, length));
        i += length;
    }
    return out;
}

}  // namespace

CDlgRef::CDlgRef(ui::Form& form, const LinkContext& ctx, const StringTable& strings,
                 BrowserHost& host)
    : form_(form), ctx_(ctx), strings_(strings), host_(host) {
    form_.SetTitle(strings_.Text(kStrBrowserTitle));
    if (const int h = form_.Height(IDC_BROWSE_LIST); h > 0) {
        baseHeight_ = h;
    }
    form_.SetListener(this);
}

CDlgRef::~CDlgRef() {
    form_.SetListener(nullptr);
}

void CDlgRef::SetListTexts(const StepListTexts& texts) {
    const int rows = std::min(form_.ListRowCount(IDC_BROWSE_LIST) - pseudoRows_, kStepListRows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < kStepListColumns; ++c) {
            form_.ListSetCell(IDC_BROWSE_LIST, r + pseudoRows_, c,
                              texts[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
        }
    }
    Colour();
}

void CDlgRef::InsertPseudoRow(int row, int stringId) {
    form_.ListInsertRow(IDC_BROWSE_LIST, row);
    const std::vector<std::string> chars = Characters(strings_.Text(stringId));
    for (int c = 0; c < kStepListColumns && c < static_cast<int>(chars.size()); ++c) {
        form_.ListSetCell(IDC_BROWSE_LIST, row, c, chars[static_cast<std::size_t>(c)]);
    }
}

void CDlgRef::Show(int comboId, int item) {
    while (form_.ListRowCount(IDC_BROWSE_LIST) > kStepListRows) {
        form_.ListDeleteRow(IDC_BROWSE_LIST, 0);
    }
    pseudoRows_ = 0;
    comboId_ = comboId;
    int row = 0;
    if (comboId == IDC_NEXT_STEP_CHOICE) {
        InsertPseudoRow(0, kStrStepEnd);
        InsertPseudoRow(1, kStrStepReturnToOrigin);
        pseudoRows_ = kBrowserPseudoRows;
        row = item;
    } else {
        row = item > 0 ? item - 1 : 0;
    }
    const int rows = form_.ListRowCount(IDC_BROWSE_LIST);
    row = std::clamp(row, 0, std::max(rows - 1, 0));
    const int shownRows = kStepListRows + pseudoRows_;
    form_.SetHeight(IDC_BROWSE_LIST,
                    baseHeight_ + kBrowserRowPixels * shownRows - kBrowserRowsPixels);
    form_.ListSelectRow(IDC_BROWSE_LIST, row);
    form_.ListEnsureVisible(IDC_BROWSE_LIST, row);
    Colour();
    form_.SetWindowVisible(true);
    form_.SetFocus(IDC_BROWSE_LIST);
}

void CDlgRef::Colour() {
    CListStp(form_, ctx_.status, strings_)
        .ColourList(IDC_BROWSE_LIST, kStepColumnEnables, pseudoRows_);
}

void CDlgRef::Choose() {
    const int row = form_.ListSelectedRow(IDC_BROWSE_LIST);
    if (row < 0) {
        return;
    }
    const int item = comboId_ == IDC_NEXT_STEP_CHOICE ? row : row + 1;
    host_.EnableMainWindow(true);
    host_.SelectBrowsedStep(comboId_, item);
    form_.SetWindowVisible(false);
}

void CDlgRef::Dismiss() {
    host_.EnableMainWindow(true);
    form_.SetWindowVisible(false);
}

void CDlgRef::OnSelectionChanged(ui::ControlId id) {
    if (id == IDC_BROWSE_LIST) {
        Colour();
    }
}

void CDlgRef::OnListClick(ui::ControlId id, int /*row*/, int /*column*/) {
    if (id == IDC_BROWSE_LIST) {
        Colour();
    }
}

void CDlgRef::OnListDoubleClick(ui::ControlId id, int row, int /*column*/) {
    if (id == IDC_BROWSE_LIST && row >= 0) {
        Choose();
    }
}

bool CDlgRef::OnKeyDown(ui::ControlId /*id*/, int key, ui::KeyModifiers /*mods*/) {
    switch (key) {
        case ui::key::kReturn:
            Choose();
            return true;
        case ui::key::kEscape:
            Dismiss();
            return true;
        default:
            return false;
    }
}

void CDlgRef::OnClicked(ui::ControlId id) {
    if (id == ui::kIdOk) {
        Choose();
    } else if (id == ui::kIdCancel) {
        Dismiss();
    }
}

bool CDlgRef::OnCloseRequest() {
    host_.EnableMainWindow(true);
    return true;
}

}  // namespace tavro
