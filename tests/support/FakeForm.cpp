#include "tests/support/FakeForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>

#include "ui/Keys.h"

namespace tavro::test {

using ui::ControlId;
using ui::ControlKind;
using ui::kNoControl;

namespace {

bool IsList(ControlKind kind) {
    return kind == ControlKind::kList;
}
bool IsSlider(ControlKind kind) {
    return kind == ControlKind::kSlider;
}
bool HasStep(ControlKind kind) {
    return kind == ControlKind::kSpin || kind == ControlKind::kSlider;
}
bool AnyKind(ControlKind) {
    return true;
}

bool InRange(int index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

// The ranges the toolkit's widgets start with, so a form behaves the same before a presenter
// sets them.
ui::Range DefaultRange(ControlKind kind) {
    return kind == ControlKind::kSlider ? ui::Range{0, 99} : ui::Range{0, 100};
}

}  // namespace

FakeForm::FakeForm(const std::vector<ControlDecl>& controls, ui::FormKind kind) : kind_(kind) {
    int autoGroup = 0;
    bool previousWasAutoRadio = false;
    for (const ControlDecl& decl : controls) {
        FakeControl control;
        control.id = decl.id;
        control.kind = decl.kind;
        control.text = decl.text;
        control.isDefault = decl.isDefault;
        control.group = decl.group;
        const bool autoRadio = decl.kind == ControlKind::kRadio && decl.group == 0;
        if (autoRadio) {
            if (!previousWasAutoRadio) {
                --autoGroup;
            }
            control.group = autoGroup;
        }
        previousWasAutoRadio = autoRadio;
        Add(std::move(control));
    }
}

FakeForm::FakeForm(const UiForm& form, ui::FormKind kind) : kind_(kind), title_(form.title) {
    for (const UiControl& ui : form.controls) {
        FakeControl control;
        control.id = ui.id;
        control.kind = ui.kind;
        control.group = ui.group;
        control.isDefault = ui.isDefault;
        control.text = ui.text;
        control.toolTip = ui.toolTip;
        control.items = ui.items;
        control.enabled = ui.enabled;
        control.visible = ui.visible;
        control.checked = ui.checked;
        control.picture = ui.picture;
        Add(std::move(control));
        FakeControl& added = *controls_[ui.id];
        if (ui.minimum || ui.maximum) {
            added.range = {ui.minimum.value_or(added.range.min),
                           ui.maximum.value_or(added.range.max)};
        }
        if (ui.value) {
            added.position = *ui.value;
            ClampPosition(added);
        }
        if (ui.singleStep) {
            added.step = *ui.singleStep;
        }
    }
}

FakeForm::~FakeForm() {
    if (onDestroy_) {
        onDestroy_();
    }
}

void FakeForm::Add(FakeControl control) {
    const ControlId id = control.id;
    if (controls_.count(id) != 0) {
        ADD_FAILURE() << "control " << id << " declared twice";
        return;
    }
    control.range = DefaultRange(control.kind);
    controls_[id] = std::make_unique<FakeControl>(std::move(control));
    order_.push_back(id);
}

void FakeForm::Problem(std::string text) const {
    problems_.push_back(std::move(text));
}

void FakeForm::FailOnProblems(const std::string& origin,
                              const std::function<bool(const std::string&)>& excused) const {
    // Each distinct problem once, with how often it came: a refresh that repeats a mistake
    // would otherwise bury the others.
    std::map<std::string, int> counts;
    std::vector<const std::string*> order;
    for (const std::string& problem : problems_) {
        if (excused && excused(problem)) {
            continue;
        }
        if (counts[problem]++ == 0) {
            order.push_back(&problem);
        }
    }
    for (const std::string* problem : order) {
        const int times = counts[*problem];
        ADD_FAILURE() << origin << ": " << *problem
                      << (times > 1 ? " (" + std::to_string(times) + " times)" : std::string());
    }
}

FakeControl* FakeForm::Lookup(ControlId id, const char* operation) const {
    const auto it = controls_.find(id);
    if (it == controls_.end()) {
        Problem(std::string(operation) + ": no control " + std::to_string(id));
        return nullptr;
    }
    return it->second.get();
}

FakeControl* FakeForm::LookupIf(ControlId id, const char* operation,
                                bool (*supports)(ControlKind)) const {
    FakeControl* control = Lookup(id, operation);
    if (control != nullptr && !supports(control->kind)) {
        Problem(std::string(operation) + ": control " + std::to_string(id) + " is a " +
                std::string(ui::KindName(control->kind)));
        return nullptr;
    }
    return control;
}

FakeControl* FakeForm::LookupKind(ControlId id, const char* operation, ControlKind kind) const {
    FakeControl* control = Lookup(id, operation);
    if (control != nullptr && control->kind != kind) {
        Problem(std::string(operation) + ": control " + std::to_string(id) + " is a " +
                std::string(ui::KindName(control->kind)));
        return nullptr;
    }
    return control;
}

FakeControl::Row* FakeForm::LookupRow(ControlId id, int row, const char* operation) const {
    FakeControl* list = LookupIf(id, operation, IsList);
    if (list == nullptr) {
        return nullptr;
    }
    if (!InRange(row, list->rows.size())) {
        Problem(std::string(operation) + ": list " + std::to_string(id) + " has no row " +
                std::to_string(row));
        return nullptr;
    }
    return &list->rows[static_cast<std::size_t>(row)];
}

const FakeControl* FakeForm::Find(ControlId id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second.get();
}

const FakeControl& FakeForm::Control(ControlId id) const {
    static const FakeControl kMissing{};
    const FakeControl* control = Find(id);
    if (control == nullptr) {
        ADD_FAILURE() << "the form has no control " << id;
        return kMissing;
    }
    return *control;
}

// --- texts and states ---

void FakeForm::SetText(ControlId id, std::string_view text) {
    FakeControl* c = LookupIf(id, "SetText", ui::HasTextOf);
    if (c == nullptr) {
        return;
    }
    if (c->kind == ControlKind::kDropDown) {
        const auto it = std::find(c->items.begin(), c->items.end(), text);
        if (it != c->items.end()) {
            c->current = static_cast<int>(it - c->items.begin());
        }
        return;
    }
    c->text = text;
    c->allTextSelected = false;
}

std::string FakeForm::Text(ControlId id) const {
    const FakeControl* c = LookupIf(id, "Text", ui::HasTextOf);
    if (c == nullptr) {
        return {};
    }
    if (c->kind == ControlKind::kDropDown) {
        return InRange(c->current, c->items.size()) ? c->items[static_cast<std::size_t>(c->current)]
                                                    : std::string();
    }
    return c->text;
}

void FakeForm::DropFocusIfGone(ControlId id) {
    // As in the window, no event: the focus simply is nowhere until something takes it.
    if (focus_ == id) {
        focus_ = kNoControl;
        reportedFocus_ = kNoControl;
    }
}

void FakeForm::SetEnabled(ControlId id, bool enabled) {
    if (FakeControl* c = Lookup(id, "SetEnabled")) {
        c->enabled = enabled;
        if (!enabled) {
            DropFocusIfGone(id);
        }
    }
}

bool FakeForm::IsEnabled(ControlId id) const {
    const FakeControl* c = Lookup(id, "IsEnabled");
    return c != nullptr && c->enabled;
}

void FakeForm::SetVisible(ControlId id, bool visible) {
    if (FakeControl* c = Lookup(id, "SetVisible")) {
        c->visible = visible;
        if (!visible) {
            DropFocusIfGone(id);
        }
    }
}

bool FakeForm::IsVisible(ControlId id) const {
    const FakeControl* c = Lookup(id, "IsVisible");
    return c != nullptr && c->visible;
}

void FakeForm::SetChecked(ControlId id, bool checked) {
    if (FakeControl* c = LookupIf(id, "SetChecked", ui::HasCheckOf)) {
        c->checked = checked;
    }
}

bool FakeForm::IsChecked(ControlId id) const {
    const FakeControl* c = LookupIf(id, "IsChecked", ui::HasCheckOf);
    return c != nullptr && c->checked;
}

void FakeForm::CheckRadio(ControlId first, ControlId last, ControlId checked) {
    for (auto& [id, c] : controls_) {
        if (id >= first && id <= last && c->kind == ControlKind::kRadio) {
            c->checked = id == checked;
        }
    }
}

ControlId FakeForm::CheckedRadio(ControlId first, ControlId last) const {
    for (const auto& [id, c] : controls_) {
        if (id >= first && id <= last && c->kind == ControlKind::kRadio && c->checked) {
            return id;
        }
    }
    return kNoControl;
}

// --- items ---

void FakeForm::ClearItems(ControlId id) {
    if (FakeControl* c = LookupIf(id, "ClearItems", ui::HasItemsOf)) {
        c->items.clear();
        c->current = -1;
        if (c->kind == ControlKind::kEditCombo) {
            c->text.clear();
        }
    }
}

int FakeForm::AddItem(ControlId id, std::string_view text) {
    return InsertItem(id, -1, text);
}

int FakeForm::InsertItem(ControlId id, int index, std::string_view text) {
    FakeControl* c = LookupIf(id, "InsertItem", ui::HasItemsOf);
    if (c == nullptr) {
        return -1;
    }
    if (!InRange(index, c->items.size() + 1)) {
        index = static_cast<int>(c->items.size());
    }
    c->items.insert(c->items.begin() + index, std::string(text));
    if (c->current >= index) {
        ++c->current;
    }
    if (c->kind == ControlKind::kTabStrip && c->current < 0) {
        c->current = 0;  // a tab strip always has a current tab
    }
    return index;
}

void FakeForm::RemoveItem(ControlId id, int index) {
    FakeControl* c = LookupIf(id, "RemoveItem", ui::HasItemsOf);
    if (c == nullptr || !InRange(index, c->items.size())) {
        return;
    }
    c->items.erase(c->items.begin() + index);
    if (c->current == index) {
        c->current = -1;
        if (c->kind == ControlKind::kTabStrip && !c->items.empty()) {
            c->current = std::min(index, static_cast<int>(c->items.size()) - 1);
        }
    } else if (c->current > index) {
        --c->current;
    }
}

int FakeForm::ItemCount(ControlId id) const {
    const FakeControl* c = LookupIf(id, "ItemCount", ui::HasItemsOf);
    return c == nullptr ? 0 : static_cast<int>(c->items.size());
}

std::string FakeForm::ItemText(ControlId id, int index) const {
    const FakeControl* c = LookupIf(id, "ItemText", ui::HasItemsOf);
    if (c == nullptr || !InRange(index, c->items.size())) {
        return {};
    }
    return c->items[static_cast<std::size_t>(index)];
}

int FakeForm::CurrentItem(ControlId id) const {
    const FakeControl* c = LookupIf(id, "CurrentItem", ui::HasItemsOf);
    return c == nullptr ? -1 : c->current;
}

void FakeForm::SetCurrentItem(ControlId id, int index) {
    FakeControl* c = LookupIf(id, "SetCurrentItem", ui::HasItemsOf);
    if (c == nullptr) {
        return;
    }
    if (!InRange(index, c->items.size())) {
        if (c->kind == ControlKind::kTabStrip) {
            return;
        }
        index = -1;
    }
    c->current = index;
    if (c->kind == ControlKind::kEditCombo) {
        c->text = index < 0 ? std::string() : c->items[static_cast<std::size_t>(index)];
        c->allTextSelected = false;
    }
}

int FakeForm::FindItem(ControlId id, std::string_view text) const {
    const FakeControl* c = LookupIf(id, "FindItem", ui::HasItemsOf);
    if (c == nullptr) {
        return -1;
    }
    const auto it = std::find(c->items.begin(), c->items.end(), text);
    return it == c->items.end() ? -1 : static_cast<int>(it - c->items.begin());
}

// --- lists ---

void FakeForm::ListClearColumns(ControlId id) {
    if (FakeControl* c = LookupIf(id, "ListClearColumns", IsList)) {
        c->columns.clear();
        for (auto& row : c->rows) {
            row.cells.clear();
            row.colours.clear();
        }
    }
}

int FakeForm::ListAddColumn(ControlId id, const ui::ListColumn& column) {
    FakeControl* c = LookupIf(id, "ListAddColumn", IsList);
    if (c == nullptr) {
        return -1;
    }
    c->columns.push_back(column);
    for (auto& row : c->rows) {
        row.cells.resize(c->columns.size());
        row.colours.resize(c->columns.size());
    }
    return static_cast<int>(c->columns.size()) - 1;
}

int FakeForm::ListColumnCount(ControlId id) const {
    const FakeControl* c = LookupIf(id, "ListColumnCount", IsList);
    return c == nullptr ? 0 : static_cast<int>(c->columns.size());
}

ui::ListColumn FakeForm::ListColumnAt(ControlId id, int column) const {
    const FakeControl* c = LookupIf(id, "ListColumnAt", IsList);
    if (c == nullptr || !InRange(column, c->columns.size())) {
        return {};
    }
    return c->columns[static_cast<std::size_t>(column)];
}

void FakeForm::ListSetCheckBoxes(ControlId id, bool on) {
    if (FakeControl* c = LookupIf(id, "ListSetCheckBoxes", IsList)) {
        c->checkBoxes = on;
    }
}

bool FakeForm::ListHasCheckBoxes(ControlId id) const {
    const FakeControl* c = LookupIf(id, "ListHasCheckBoxes", IsList);
    return c != nullptr && c->checkBoxes;
}

int FakeForm::ListRowCount(ControlId id) const {
    const FakeControl* c = LookupIf(id, "ListRowCount", IsList);
    return c == nullptr ? 0 : static_cast<int>(c->rows.size());
}

int FakeForm::ListInsertRow(ControlId id, int row) {
    FakeControl* c = LookupIf(id, "ListInsertRow", IsList);
    if (c == nullptr) {
        return -1;
    }
    if (!InRange(row, c->rows.size() + 1)) {
        row = static_cast<int>(c->rows.size());
    }
    FakeControl::Row fresh;
    fresh.cells.resize(c->columns.size());
    fresh.colours.resize(c->columns.size());
    c->rows.insert(c->rows.begin() + row, std::move(fresh));
    if (c->selectedRow >= row) {
        ++c->selectedRow;
    }
    return row;
}

void FakeForm::ListDeleteRow(ControlId id, int row) {
    FakeControl* c = LookupIf(id, "ListDeleteRow", IsList);
    if (c == nullptr || !InRange(row, c->rows.size())) {
        return;
    }
    c->rows.erase(c->rows.begin() + row);
    if (c->selectedRow == row) {
        c->selectedRow = -1;
    } else if (c->selectedRow > row) {
        --c->selectedRow;
    }
}

void FakeForm::ListClearRows(ControlId id) {
    if (FakeControl* c = LookupIf(id, "ListClearRows", IsList)) {
        c->rows.clear();
        c->selectedRow = -1;
    }
}

void FakeForm::ListSetCell(ControlId id, int row, int column, std::string_view text) {
    if (FakeControl::Row* r = LookupRow(id, row, "ListSetCell")) {
        if (!InRange(column, r->cells.size())) {
            Problem("ListSetCell: list " + std::to_string(id) + " has no column " +
                    std::to_string(column));
            return;
        }
        r->cells[static_cast<std::size_t>(column)] = text;
    }
}

std::string FakeForm::ListCell(ControlId id, int row, int column) const {
    const FakeControl::Row* r = LookupRow(id, row, "ListCell");
    if (r == nullptr || !InRange(column, r->cells.size())) {
        return {};
    }
    return r->cells[static_cast<std::size_t>(column)];
}

void FakeForm::ListSetCellColours(ControlId id, int row, int column, ui::Colours colours) {
    if (FakeControl::Row* r = LookupRow(id, row, "ListSetCellColours")) {
        if (!InRange(column, r->colours.size())) {
            Problem("ListSetCellColours: list " + std::to_string(id) + " has no column " +
                    std::to_string(column));
            return;
        }
        r->colours[static_cast<std::size_t>(column)] = colours;
    }
}

ui::Colours FakeForm::ListCellColours(ControlId id, int row, int column) const {
    const FakeControl::Row* r = LookupRow(id, row, "ListCellColours");
    if (r == nullptr || !InRange(column, r->colours.size())) {
        return {};
    }
    return r->colours[static_cast<std::size_t>(column)];
}

void FakeForm::ListSetRowChecked(ControlId id, int row, bool checked) {
    FakeControl::Row* r = LookupRow(id, row, "ListSetRowChecked");
    if (r == nullptr) {
        return;
    }
    if (!controls_.at(id)->checkBoxes) {
        Problem("ListSetRowChecked: list " + std::to_string(id) + " has no check boxes");
        return;
    }
    r->checked = checked;
}

bool FakeForm::ListIsRowChecked(ControlId id, int row) const {
    const FakeControl::Row* r = LookupRow(id, row, "ListIsRowChecked");
    return r != nullptr && controls_.at(id)->checkBoxes && r->checked;
}

int FakeForm::ListSelectedRow(ControlId id) const {
    const FakeControl* c = LookupIf(id, "ListSelectedRow", IsList);
    return c == nullptr ? -1 : c->selectedRow;
}

void FakeForm::ListSelectRow(ControlId id, int row) {
    if (FakeControl* c = LookupIf(id, "ListSelectRow", IsList)) {
        c->selectedRow = InRange(row, c->rows.size()) ? row : -1;
    }
}

void FakeForm::ListEnsureVisible(ControlId id, int row) {
    if (FakeControl* c = LookupIf(id, "ListEnsureVisible", IsList)) {
        if (InRange(row, c->rows.size())) {
            c->ensuredRow = row;
        }
    }
}

// --- ranges ---

void FakeForm::ClampPosition(FakeControl& control) {
    control.position = std::clamp(control.position, control.range.min, control.range.max);
}

void FakeForm::SetRange(ControlId id, int min, int max) {
    if (FakeControl* c = LookupIf(id, "SetRange", ui::HasRangeOf)) {
        c->range = {std::min(min, max), std::max(min, max)};
        ClampPosition(*c);
    }
}

ui::Range FakeForm::GetRange(ControlId id) const {
    const FakeControl* c = LookupIf(id, "GetRange", ui::HasRangeOf);
    return c == nullptr ? ui::Range{} : c->range;
}

void FakeForm::SetPosition(ControlId id, int position) {
    if (FakeControl* c = LookupIf(id, "SetPosition", ui::HasRangeOf)) {
        c->position = position;
        ClampPosition(*c);
    }
}

int FakeForm::Position(ControlId id) const {
    const FakeControl* c = LookupIf(id, "Position", ui::HasRangeOf);
    return c == nullptr ? 0 : c->position;
}

void FakeForm::SetStep(ControlId id, int step) {
    if (FakeControl* c = LookupIf(id, "SetStep", HasStep)) {
        c->step = step;
    }
}

int FakeForm::Step(ControlId id) const {
    const FakeControl* c = LookupIf(id, "Step", HasStep);
    return c == nullptr ? 0 : c->step;
}

void FakeForm::SetTickInterval(ControlId id, int interval) {
    if (FakeControl* c = LookupIf(id, "SetTickInterval", IsSlider)) {
        c->tickInterval = interval;
    }
}

// --- focus ---

void FakeForm::ChangeFocus(ControlId id) {
    if (focus_ == id && reportedFocus_ == id) {
        return;
    }
    focus_ = id;
    const ControlId old = reportedFocus_;
    if (old != kNoControl && old != id) {
        reportedFocus_ = kNoControl;
        Emit([&](ui::FormEvents& l) { l.OnFocusOut(old); });
    }
    if (focus_ != id) {
        return;  // a focus-out handler sent the focus somewhere else
    }
    if (id != kNoControl && reportedFocus_ != id) {
        reportedFocus_ = id;
        Emit([&](ui::FormEvents& l) { l.OnFocusIn(id); });
    }
}

void FakeForm::SetFocus(ControlId id) {
    const FakeControl* c = Lookup(id, "SetFocus");
    if (c != nullptr && c->enabled && c->visible) {
        ChangeFocus(id);
    }
}

void FakeForm::MoveFocus(bool backwards) {
    if (order_.empty()) {
        return;
    }
    const auto n = static_cast<long>(order_.size());
    long at = -1;
    for (long i = 0; i < n; ++i) {
        if (order_[static_cast<std::size_t>(i)] == focus_) {
            at = i;
        }
    }
    const long base = at >= 0 ? at : (backwards ? n : -1);
    for (long step = 1; step <= n; ++step) {
        const long i = ((base + (backwards ? -step : step)) % n + n) % n;
        const FakeControl& c = *controls_.at(order_[static_cast<std::size_t>(i)]);
        if (ui::TakesFocus(c.kind) && c.enabled && c.visible) {
            ChangeFocus(c.id);
            return;
        }
    }
}

void FakeForm::SelectAllText(ControlId id) {
    if (FakeControl* c = LookupIf(id, "SelectAllText", ui::HasEditTextOf)) {
        c->allTextSelected = true;
    }
}

bool FakeForm::IsAllTextSelected(ControlId id) const {
    const FakeControl* c = Find(id);
    return c != nullptr && c->allTextSelected;
}

// --- look ---

void FakeForm::SetColours(ControlId id, ui::Colours colours) {
    if (FakeControl* c = Lookup(id, "SetColours")) {
        c->colours = colours;
    }
}

ui::Colours FakeForm::GetColours(ControlId id) const {
    const FakeControl* c = Lookup(id, "GetColours");
    return c == nullptr ? ui::Colours{} : c->colours;
}

void FakeForm::SetFont(ControlId id, int fontIndex) {
    FakeControl* c = Lookup(id, "SetFont");
    if (c == nullptr) {
        return;
    }
    if (fontIndex < 0 || fontIndex > 14) {
        Problem("SetFont: no font " + std::to_string(fontIndex));
        return;
    }
    c->font = fontIndex;
}

int FakeForm::Font(ControlId id) const {
    const FakeControl* c = Lookup(id, "Font");
    return c == nullptr ? 0 : c->font;
}

void FakeForm::SetPicture(ControlId id, int resource) {
    if (FakeControl* c = LookupIf(id, "SetPicture", ui::HasPictureOf)) {
        c->picture = resource;
    }
}

int FakeForm::Picture(ControlId id) const {
    const FakeControl* c = LookupIf(id, "Picture", ui::HasPictureOf);
    return c == nullptr ? 0 : c->picture;
}

void FakeForm::SetToolTip(ControlId id, std::string_view text) {
    if (FakeControl* c = LookupIf(id, "SetToolTip", AnyKind)) {
        c->toolTip = text;
    }
}

std::string FakeForm::ToolTip(ControlId id) const {
    const FakeControl* c = Lookup(id, "ToolTip");
    return c == nullptr ? std::string() : c->toolTip;
}

void FakeForm::SetHeight(ControlId id, int height) {
    if (FakeControl* c = Lookup(id, "SetHeight")) {
        c->height = std::max(height, 0);
    }
}

int FakeForm::Height(ControlId id) const {
    const FakeControl* c = Lookup(id, "Height");
    return c == nullptr ? 0 : c->height;
}

// --- window ---

void FakeForm::SetWindowVisible(bool visible) {
    windowVisible_ = visible;
    if (!visible) {
        DropFocusIfGone(focus_);
    }
}

void FakeForm::SetWindowEnabled(bool enabled) {
    windowEnabled_ = enabled;
    if (!enabled) {
        DropFocusIfGone(focus_);
    }
}

void FakeForm::SetSystemMenu(std::span<const ui::MenuItem> items) {
    systemMenu_.assign(items.begin(), items.end());
}

void FakeForm::EnableSystemMenuItem(int command, bool enabled) {
    for (auto& item : systemMenu_) {
        if (item.command == command && command != 0) {
            item.enabled = enabled;
        }
    }
}

bool FakeForm::IsSystemMenuItemEnabled(int command) const {
    for (const auto& item : systemMenu_) {
        if (item.command == command && command != 0) {
            return item.enabled;
        }
    }
    return false;
}

int FakeForm::RunModal() {
    if (kind_ != ui::FormKind::kModal) {
        Problem("RunModal: the form is not modal");
        return -1;
    }
    if (ended_) {
        return result_;
    }
    running_ = true;
    windowVisible_ = true;
    if (modalPlayer_) {
        modalPlayer_(*this);
    }
    running_ = false;
    windowVisible_ = false;
    if (!ended_) {
        ADD_FAILURE() << "a modal form ran without EndModal (title \"" << title_ << "\")";
        return ui::kIdCancel;
    }
    return result_;
}

void FakeForm::EndModal(int result) {
    ended_ = true;
    result_ = result;
    windowVisible_ = false;
}

int FakeForm::PopupMenu(std::span<const ui::MenuItem> items, ui::ScreenPoint at) {
    popups_.push_back({{items.begin(), items.end()}, at});
    if (popupAnswers_.empty()) {
        return 0;
    }
    const int wanted = popupAnswers_.front();
    popupAnswers_.pop_front();
    for (const auto& item : items) {
        if (item.command == wanted && item.command != 0) {
            return item.enabled ? wanted : 0;
        }
    }
    return 0;
}

// --- the user ---

bool FakeForm::Usable(ControlId id) const {
    const FakeControl* c = Find(id);
    return c != nullptr && c->enabled && c->visible && windowEnabled_;
}

ControlId FakeForm::UnderMouse(ControlId id) const {
    return Usable(id) ? id : kNoControl;
}

void FakeForm::Activate(FakeControl& c) {
    const ControlId id = c.id;
    switch (c.kind) {
        case ControlKind::kCheckBox:
            c.checked = !c.checked;
            Emit([&](ui::FormEvents& l) { l.OnClicked(id); });
            break;
        case ControlKind::kRadio:
            if (!c.checked) {
                CheckInGroup(c);
                Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
            }
            break;
        case ControlKind::kPushButton:
        case ControlKind::kColourButton:
            Emit([&](ui::FormEvents& l) { l.OnClicked(id); });
            break;
        default:
            break;
    }
}

void FakeForm::CheckInGroup(FakeControl& radio) {
    for (auto& [id, c] : controls_) {
        if (c->kind == ControlKind::kRadio && c->group == radio.group) {
            c->checked = c.get() == &radio;
        }
    }
}

bool FakeForm::MissedClick(ControlId id) {
    // A disabled or hidden control lets the press through to what lies beneath it.
    if (Find(id) != nullptr) {
        MouseDown(id);
        MouseUp(id);
    }
    return false;
}

bool FakeForm::ClickLike(ControlId id, const std::function<void(FakeControl&)>& action) {
    if (!Usable(id)) {
        return MissedClick(id);
    }
    if (MouseDown(id)) {
        MouseUp(id);
        return true;
    }
    FakeControl& c = *controls_.at(id);
    if (ui::TakesFocus(c.kind)) {
        ChangeFocus(id);
    }
    MouseUp(id);
    // A control that a handler disabled meanwhile does not take the click.
    if (Usable(id)) {
        action(c);
    }
    return true;
}

bool FakeForm::Click(ControlId id) {
    return ClickLike(id, [this](FakeControl& c) { Activate(c); });
}

bool FakeForm::Focus(ControlId id) {
    if (!Usable(id)) {
        return false;
    }
    ChangeFocus(id);
    return true;
}

namespace {

// The key code of a typed character as the window reports it: digits and letters as their
// upper-case ASCII codes, the space bar, 0 for everything else.
int KeyOfCharacter(std::string_view character) {
    if (character.size() != 1) {
        return ui::key::kNone;
    }
    const char c = character[0];
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
        return c;
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 'A';
    }
    return c == ' ' ? ui::key::kSpace : ui::key::kNone;
}

std::size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    return lead >= 0xC0 ? 2 : 1;
}

}  // namespace

bool FakeForm::TypeText(ControlId id, std::string_view text) {
    if (!Usable(id) || !ui::HasEditTextOf(controls_.at(id)->kind)) {
        return false;
    }
    ChangeFocus(id);
    FakeControl& c = *controls_.at(id);
    c.allTextSelected = false;
    if (text.empty()) {
        bool consumed = false;
        Emit([&](ui::FormEvents& l) { consumed = l.OnKeyDown(id, ui::key::kDelete, {}); });
        if (!consumed) {
            c.text.clear();
            Emit([&](ui::FormEvents& l) { l.OnTextEdited(id); });
        }
        return true;
    }
    std::string typed;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length =
            std::min(Utf8Length(static_cast<unsigned char>(text[at])), text.size() - at);
        const std::string_view character = text.substr(at, length);
        at += length;
        bool consumed = false;
        const int key = KeyOfCharacter(character);
        Emit([&](ui::FormEvents& l) { consumed = l.OnKeyDown(id, key, {}); });
        if (consumed) {
            continue;
        }
        typed += character;
        c.text = typed;
        Emit([&](ui::FormEvents& l) { l.OnTextEdited(id); });
    }
    return true;
}

bool FakeForm::TypeAndLeave(ControlId id, std::string_view text, ControlId next) {
    if (!TypeText(id, text)) {
        return false;
    }
    if (next == kNoControl || !Focus(next)) {
        Leave();
    }
    return true;
}

void FakeForm::Leave() {
    ChangeFocus(kNoControl);
}

bool FakeForm::Choose(ControlId id, int index) {
    if (!Usable(id)) {
        return MissedClick(id);
    }
    FakeControl& c = *controls_.at(id);
    if (!ui::HasItemsOf(c.kind) || !InRange(index, c.items.size())) {
        return false;
    }
    // The item is picked in the drop-down window, which sees the button's release.
    if (MouseDown(id)) {
        return true;
    }
    ChangeFocus(id);
    if (Usable(id) && index != c.current) {
        c.current = index;
        if (c.kind == ControlKind::kEditCombo) {
            c.text = c.items[static_cast<std::size_t>(index)];
            c.allTextSelected = false;
        }
        Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
    }
    return true;
}

bool FakeForm::ChooseText(ControlId id, std::string_view text) {
    const FakeControl* c = Find(id);
    if (c == nullptr || !ui::HasItemsOf(c->kind)) {
        return false;
    }
    const auto it = std::find(c->items.begin(), c->items.end(), text);
    return it != c->items.end() && Choose(id, static_cast<int>(it - c->items.begin()));
}

void FakeForm::SelectRowByUser(FakeControl& list, int row) {
    if (row >= 0 && row != list.selectedRow) {
        list.selectedRow = row;
        const ControlId id = list.id;
        Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
    }
}

bool FakeForm::ClickCell(ControlId id, int row, int column) {
    const FakeControl* c = Find(id);
    if (c == nullptr || c->kind != ControlKind::kList) {
        return false;
    }
    if (!Usable(id)) {
        return MissedClick(id);
    }
    FakeControl& list = *controls_.at(id);
    if (!InRange(row, list.rows.size())) {
        row = -1;
    }
    if (MouseDown(id)) {
        MouseUp(id);
        return true;
    }
    ChangeFocus(id);
    SelectRowByUser(list, row);
    MouseUp(id);
    Emit([&](ui::FormEvents& l) { l.OnListClick(id, row, column); });
    return true;
}

bool FakeForm::RightClickCell(ControlId id, int row, int column, ui::ScreenPoint at) {
    if (!Usable(id) || controls_.at(id)->kind != ControlKind::kList) {
        return false;
    }
    FakeControl& list = *controls_.at(id);
    if (!InRange(row, list.rows.size())) {
        row = -1;
    }
    ChangeFocus(id);
    SelectRowByUser(list, row);
    Emit([&](ui::FormEvents& l) { l.OnListRightClick(id, row, column, at); });
    return true;
}

bool FakeForm::DoubleClickCell(ControlId id, int row, int column) {
    if (!ClickCell(id, row, column)) {
        return false;
    }
    if (!InRange(row, controls_.at(id)->rows.size())) {
        row = -1;
    }
    // The second press arrives as a press and then as the double click.
    if (MouseDown(id)) {
        MouseUp(id);
        return true;
    }
    Emit([&](ui::FormEvents& l) { l.OnListDoubleClick(id, row, column); });
    MouseUp(id);
    return true;
}

bool FakeForm::ToggleRowCheck(ControlId id, int row) {
    const FakeControl* c = Find(id);
    if (c == nullptr || c->kind != ControlKind::kList || !c->checkBoxes ||
        !InRange(row, c->rows.size())) {
        return false;
    }
    if (!ClickCell(id, row, 0)) {
        return false;
    }
    FakeControl& list = *controls_.at(id);
    if (Usable(id) && InRange(row, list.rows.size())) {
        auto& r = list.rows[static_cast<std::size_t>(row)];
        r.checked = !r.checked;
    }
    return true;
}

bool FakeForm::PressKey(int key, ui::KeyModifiers mods) {
    const ControlId target = focus_;
    // The modifiers are keys of their own and go down first.
    ui::KeyModifiers held;
    for (const auto& [on, code, flag] :
         {std::tuple{mods.shift, ui::key::kShift, &ui::KeyModifiers::shift},
          std::tuple{mods.ctrl, ui::key::kControl, &ui::KeyModifiers::ctrl},
          std::tuple{mods.alt, ui::key::kAlt, &ui::KeyModifiers::alt}}) {
        if (on) {
            held.*flag = true;
            Emit([&](ui::FormEvents& l) { l.OnKeyDown(target, code, held); });
        }
    }
    bool consumed = false;
    Emit([&](ui::FormEvents& l) { consumed = l.OnKeyDown(target, key, mods); });
    if (consumed || !windowEnabled_) {
        return consumed;
    }
    const FakeControl* focused = Find(focus_);
    const bool focusedButton =
        focused != nullptr && Usable(focus_) &&
        (focused->kind == ControlKind::kPushButton || focused->kind == ControlKind::kColourButton);
    if (key == ui::key::kReturn) {
        ControlId clicked = ui::kIdOk;
        if (focusedButton) {
            clicked = focus_;
        } else {
            for (ControlId id : order_) {
                if (controls_.at(id)->isDefault) {
                    clicked = Usable(id) ? id : kNoControl;
                    break;
                }
            }
        }
        if (clicked != kNoControl) {
            Emit([&](ui::FormEvents& l) { l.OnClicked(clicked); });
        }
    } else if (key == ui::key::kEscape) {
        Emit([&](ui::FormEvents& l) { l.OnClicked(ui::kIdCancel); });
    } else if (key == ui::key::kTab) {
        MoveFocus(mods.shift);
    } else if (key == ui::key::kSpace && focused != nullptr && Usable(focus_)) {
        Activate(*controls_.at(focus_));
    } else if (focused != nullptr && Usable(focus_)) {
        ArrowKey(*controls_.at(focus_), key);
    }
    return false;
}

void FakeForm::ArrowKey(FakeControl& c, int key) {
    const ControlId id = c.id;
    const bool up = key == ui::key::kUp;
    const bool down = key == ui::key::kDown;
    if (c.kind == ControlKind::kList && (up || down) && !c.rows.empty()) {
        int row = c.selectedRow;
        if (row < 0) {
            row = 0;  // the list starts from its first row when none is current
        } else {
            row = std::clamp(row + (down ? 1 : -1), 0, static_cast<int>(c.rows.size()) - 1);
        }
        SelectRowByUser(c, row);
    } else if (ui::HasItemsOf(c.kind) && c.kind != ControlKind::kTabStrip && (up || down)) {
        int index = c.current;
        if (down && index < static_cast<int>(c.items.size()) - 1) {
            ++index;
        } else if (up && index > 0) {
            --index;
        }
        if (index != c.current) {
            c.current = index;
            if (c.kind == ControlKind::kEditCombo) {
                c.text = c.items[static_cast<std::size_t>(index)];
            }
            Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
        }
    } else if (c.kind == ControlKind::kSlider &&
               (up || down || key == ui::key::kLeft || key == ui::key::kRight)) {
        const int delta = (up || key == ui::key::kRight) ? c.step : -c.step;
        const int position = std::clamp(c.position + delta, c.range.min, c.range.max);
        if (position != c.position) {
            c.position = position;
            Emit([&](ui::FormEvents& l) { l.OnSliderScrolled(id, position); });
        }
    }
}

void FakeForm::MoveMouse(ControlId id) {
    const ControlId target = UnderMouse(id);
    Emit([&](ui::FormEvents& l) { l.OnMouseMove(target); });
}

bool FakeForm::MouseDown(ControlId id) {
    const ControlId target = UnderMouse(id);
    bool consumed = false;
    Emit([&](ui::FormEvents& l) { consumed = l.OnMouseDown(target); });
    return consumed;
}

void FakeForm::MouseUp(ControlId id) {
    const ControlId target = UnderMouse(id);
    Emit([&](ui::FormEvents& l) { l.OnMouseUp(target); });
}

bool FakeForm::Scroll(ControlId id, int position) {
    const FakeControl* found = Find(id);
    if (found == nullptr || found->kind != ControlKind::kSlider) {
        return false;
    }
    if (!Usable(id)) {
        return MissedClick(id);
    }
    if (MouseDown(id)) {
        MouseUp(id);
        return true;
    }
    ChangeFocus(id);
    FakeControl& c = *controls_.at(id);
    position = std::clamp(position, c.range.min, c.range.max);
    if (position != c.position) {
        c.position = position;
        Emit([&](ui::FormEvents& l) { l.OnSliderScrolled(id, position); });
    }
    MouseUp(id);
    return true;
}

bool FakeForm::Spin(ControlId id, bool up) {
    const FakeControl* found = Find(id);
    if (found == nullptr || found->kind != ControlKind::kSpin) {
        return false;
    }
    if (!Usable(id)) {
        return MissedClick(id);
    }
    if (MouseDown(id)) {
        MouseUp(id);
        return false;
    }
    FakeControl& c = *controls_.at(id);
    const int delta = up ? c.step : -c.step;
    bool refused = false;
    Emit([&](ui::FormEvents& l) { refused = l.OnSpinDelta(id, delta); });
    if (!refused) {
        c.position = std::clamp(c.position + delta, c.range.min, c.range.max);
    }
    MouseUp(id);
    return !refused;
}

bool FakeForm::Close() {
    bool allowed = true;
    Emit([&](ui::FormEvents& l) { allowed = l.OnCloseRequest(); });
    if (!allowed) {
        return false;
    }
    if (kind_ == ui::FormKind::kModal) {
        if (running_) {
            EndModal(ui::kIdCancel);
        }
    } else if (kind_ == ui::FormKind::kModeless) {
        windowVisible_ = false;
    }
    return true;
}

bool FakeForm::ChooseSystemCommand(int command) {
    if (command == 0 || !IsSystemMenuItemEnabled(command)) {
        return false;
    }
    Emit([&](ui::FormEvents& l) { l.OnSystemCommand(command); });
    return true;
}

void FakeForm::LoseFocusToWindow() {
    focusBeforeLoss_ = focus_;
    ChangeFocus(kNoControl);
}

void FakeForm::RegainFocus() {
    const ControlId target = focusBeforeLoss_;
    focusBeforeLoss_ = kNoControl;
    if (target != kNoControl && Usable(target) && focus_ == kNoControl) {
        ChangeFocus(target);
    }
}

}  // namespace tavro::test
