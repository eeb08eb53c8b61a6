#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/UiFile.h"
#include "ui/ControlKind.h"
#include "ui/Form.h"

namespace tavro::test {

// One control a test declares by hand.
struct ControlDecl {
    ui::ControlId id = ui::kNoControl;
    ui::ControlKind kind = ui::ControlKind::kLabel;
    std::string text = {};
    int group = 0;  // radios: 0 joins the run of radios declared next to each other
    bool isDefault = false;
};

// Everything a FakeForm knows about one control.
struct FakeControl {
    struct Row {
        std::vector<std::string> cells;
        std::vector<ui::Colours> colours;
        bool checked = false;
    };

    ui::ControlId id = ui::kNoControl;
    ui::ControlKind kind = ui::ControlKind::kLabel;
    int group = 0;
    bool isDefault = false;
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::vector<std::string> items;
    int current = -1;
    std::vector<ui::ListColumn> columns;
    bool checkBoxes = false;
    std::vector<Row> rows;
    int selectedRow = -1;
    int ensuredRow = -1;  // the row last made visible
    ui::Range range{0, 100};
    int position = 0;
    int step = 1;
    int tickInterval = 0;
    ui::Colours colours;
    int font = 0;
    int picture = 0;
    std::string toolTip;
    int height = 0;
    bool allTextSelected = false;
};

// A Form held in memory for tests of presenters: the same answers a window would give, and
// "user" helpers that cause the events a person would, in the order the window system sends
// them. Presenter mistakes that a window would silently ignore (an ID the form does not have,
// an operation the control does not support) are collected in Problems().
class FakeForm : public ui::Form {
  public:
    explicit FakeForm(const std::vector<ControlDecl>& controls,
                      ui::FormKind kind = ui::FormKind::kModal);
    explicit FakeForm(const UiForm& form, ui::FormKind kind = ui::FormKind::kModal);
    ~FakeForm() override;
    FakeForm(const FakeForm&) = delete;
    FakeForm& operator=(const FakeForm&) = delete;

    // --- Form ---
    void SetListener(ui::FormEvents* listener) override { listener_ = listener; }
    bool HasControl(ui::ControlId id) const override { return controls_.count(id) != 0; }
    void SetText(ui::ControlId id, std::string_view text) override;
    std::string Text(ui::ControlId id) const override;
    void SetEnabled(ui::ControlId id, bool enabled) override;
    bool IsEnabled(ui::ControlId id) const override;
    void SetVisible(ui::ControlId id, bool visible) override;
    bool IsVisible(ui::ControlId id) const override;
    void SetChecked(ui::ControlId id, bool checked) override;
    bool IsChecked(ui::ControlId id) const override;
    void CheckRadio(ui::ControlId first, ui::ControlId last, ui::ControlId checked) override;
    ui::ControlId CheckedRadio(ui::ControlId first, ui::ControlId last) const override;
    void ClearItems(ui::ControlId id) override;
    int AddItem(ui::ControlId id, std::string_view text) override;
    int InsertItem(ui::ControlId id, int index, std::string_view text) override;
    void RemoveItem(ui::ControlId id, int index) override;
    int ItemCount(ui::ControlId id) const override;
    std::string ItemText(ui::ControlId id, int index) const override;
    int CurrentItem(ui::ControlId id) const override;
    void SetCurrentItem(ui::ControlId id, int index) override;
    int FindItem(ui::ControlId id, std::string_view text) const override;
    void ListClearColumns(ui::ControlId id) override;
    int ListAddColumn(ui::ControlId id, const ui::ListColumn& column) override;
    int ListColumnCount(ui::ControlId id) const override;
    ui::ListColumn ListColumnAt(ui::ControlId id, int column) const override;
    void ListSetCheckBoxes(ui::ControlId id, bool on) override;
    bool ListHasCheckBoxes(ui::ControlId id) const override;
    int ListRowCount(ui::ControlId id) const override;
    int ListInsertRow(ui::ControlId id, int row) override;
    void ListDeleteRow(ui::ControlId id, int row) override;
    void ListClearRows(ui::ControlId id) override;
    void ListSetCell(ui::ControlId id, int row, int column, std::string_view text) override;
    std::string ListCell(ui::ControlId id, int row, int column) const override;
    void ListSetCellColours(ui::ControlId id, int row, int column, ui::Colours colours) override;
    ui::Colours ListCellColours(ui::ControlId id, int row, int column) const override;
    void ListSetRowChecked(ui::ControlId id, int row, bool checked) override;
    bool ListIsRowChecked(ui::ControlId id, int row) const override;
    int ListSelectedRow(ui::ControlId id) const override;
    void ListSelectRow(ui::ControlId id, int row) override;
    void ListEnsureVisible(ui::ControlId id, int row) override;
    void SetRange(ui::ControlId id, int min, int max) override;
    ui::Range GetRange(ui::ControlId id) const override;
    void SetPosition(ui::ControlId id, int position) override;
    int Position(ui::ControlId id) const override;
    void SetStep(ui::ControlId id, int step) override;
    int Step(ui::ControlId id) const override;
    void SetTickInterval(ui::ControlId id, int interval) override;
    void SetFocus(ui::ControlId id) override;
    ui::ControlId FocusedControl() const override { return focus_; }
    void MoveFocus(bool backwards) override;
    void SelectAllText(ui::ControlId id) override;
    void SetColours(ui::ControlId id, ui::Colours colours) override;
    ui::Colours GetColours(ui::ControlId id) const override;
    void SetFont(ui::ControlId id, int fontIndex) override;
    int Font(ui::ControlId id) const override;
    void SetPicture(ui::ControlId id, int resource) override;
    int Picture(ui::ControlId id) const override;
    void SetToolTip(ui::ControlId id, std::string_view text) override;
    std::string ToolTip(ui::ControlId id) const override;
    void SetHeight(ui::ControlId id, int height) override;
    int Height(ui::ControlId id) const override;
    void SetTitle(std::string_view title) override { title_ = title; }
    std::string Title() const override { return title_; }
    void SetWindowVisible(bool visible) override;
    bool IsWindowVisible() const override { return windowVisible_; }
    void SetWindowEnabled(bool enabled) override;
    bool IsWindowEnabled() const override { return windowEnabled_; }
    void SetWindowColours(ui::Colours colours) override { windowColours_ = colours; }
    void SetRedraw(bool on) override { redraw_ = on; }
    void SetSystemMenu(std::span<const ui::MenuItem> items) override;
    void EnableSystemMenuItem(int command, bool enabled) override;
    bool IsSystemMenuItemEnabled(int command) const override;
    int RunModal() override;
    void EndModal(int result) override;
    int PopupMenu(std::span<const ui::MenuItem> items, ui::ScreenPoint at) override;

    // --- the user ---
    // Each returns false when the control is missing, disabled or hidden or the window is
    // disabled; a mouse action on a disabled or hidden control reports its press and release
    // over nothing (kNoControl), as the window would. Mouse actions start with OnMouseDown;
    // when the presenter consumes it, only OnMouseUp follows.
    // Press and release: focus, then the click (a check box toggles first, a radio reports
    // the new choice).
    bool Click(ui::ControlId id);
    // Focus the control (as by Tab), as the user would before typing.
    bool Focus(ui::ControlId id);
    // Focus, then type `text` over the whole old text: each character is a key down (a
    // consumed one is not typed) followed by the edit. Empty text deletes the old one.
    bool TypeText(ui::ControlId id, std::string_view text);
    // TypeText, then move the focus on to `next` (kNoControl: away from every control).
    bool TypeAndLeave(ui::ControlId id, std::string_view text, ui::ControlId next = ui::kNoControl);
    // The focus leaves for nowhere in this form (another window took it).
    void Leave();
    // Pick an item of a combo or tab strip; a change of item is reported.
    bool Choose(ui::ControlId id, int index);
    bool ChooseText(ui::ControlId id, std::string_view text);
    // Click a cell of a list (row -1: below the rows); a new row is selected first.
    bool ClickCell(ui::ControlId id, int row, int column);
    bool RightClickCell(ui::ControlId id, int row, int column, ui::ScreenPoint at = {});
    bool DoubleClickCell(ui::ControlId id, int row, int column);
    // Click a row's check box.
    bool ToggleRowCheck(ui::ControlId id, int row);
    // A key in the focused control, after the modifier keys held with it; returns whether
    // the presenter consumed the key itself. Unconsumed,
    // Return clicks the focused button or else the default button (kIdOk when the form has
    // none), Escape clicks kIdCancel, Tab moves the focus, Space clicks a focused button,
    // Up and Down move a list's selection or a combo's item, the arrows move a slider.
    bool PressKey(int key, ui::KeyModifiers mods = {});
    void MoveMouse(ui::ControlId id);
    bool MouseDown(ui::ControlId id);  // returns whether the presenter consumed it
    void MouseUp(ui::ControlId id);
    // Drag a slider to `position` (limited to its range).
    bool Scroll(ui::ControlId id, int position);
    // Press a spin's up or down arrow; returns whether the step was taken.
    bool Spin(ui::ControlId id, bool up);
    // The close box; returns whether the presenter allowed it.
    bool Close();
    bool ChooseSystemCommand(int command);
    // Another window (a message box) takes the focus, and gives it back.
    void LoseFocusToWindow();
    void RegainFocus();

    // --- what a test inspects ---
    const FakeControl* Find(ui::ControlId id) const;
    const FakeControl& Control(ui::ControlId id) const;  // a missing control fails the test
    bool IsAllTextSelected(ui::ControlId id) const;
    ui::FormKind Kind() const { return kind_; }
    ui::Colours WindowColours() const { return windowColours_; }
    bool RedrawOn() const { return redraw_; }
    const std::vector<ui::MenuItem>& SystemMenu() const { return systemMenu_; }
    bool Ended() const { return ended_; }
    int Result() const { return result_; }
    const std::vector<std::string>& Problems() const { return problems_; }
    // Hands the problems recorded so far to a test that expects them; a form from the
    // factory fails the test with those it still holds when it goes.
    std::vector<std::string> TakeProblems() { return std::exchange(problems_, {}); }
    // Fails the test once for each distinct problem, `origin` first, leaving out those that
    // `excused` accepts.
    void FailOnProblems(const std::string& origin,
                        const std::function<bool(const std::string&)>& excused = {}) const;

    // What a modal form does while it runs: the test plays the user's part here.
    void OnModal(std::function<void(FakeForm&)> player) { modalPlayer_ = std::move(player); }
    struct Popup {
        std::vector<ui::MenuItem> items;
        ui::ScreenPoint at;
    };
    // The command the user picks in the next popup menu (0: none); without an answer the
    // menu is dismissed. A disabled or missing command cannot be picked and gives 0.
    void AnswerPopup(int command) { popupAnswers_.push_back(command); }
    const std::vector<Popup>& Popups() const { return popups_; }

    // Called when the form is destroyed (the factory forgets it).
    void SetOnDestroy(std::function<void()> onDestroy) { onDestroy_ = std::move(onDestroy); }

  private:
    FakeControl* Lookup(ui::ControlId id, const char* operation) const;
    FakeControl* LookupIf(ui::ControlId id, const char* operation,
                          bool (*supports)(ui::ControlKind)) const;
    FakeControl* LookupKind(ui::ControlId id, const char* operation, ui::ControlKind kind) const;
    FakeControl::Row* LookupRow(ui::ControlId id, int row, const char* operation) const;
    void Problem(std::string text) const;
    void Add(FakeControl control);
    bool Usable(ui::ControlId id) const;
    ui::ControlId UnderMouse(ui::ControlId id) const;
    void ChangeFocus(ui::ControlId id);
    void DropFocusIfGone(ui::ControlId id);
    void Activate(FakeControl& control);
    bool ClickLike(ui::ControlId id, const std::function<void(FakeControl&)>& action);
    bool MissedClick(ui::ControlId id);
    void SelectRowByUser(FakeControl& list, int row);
    void ArrowKey(FakeControl& control, int key);
    void CheckInGroup(FakeControl& radio);
    void ClampPosition(FakeControl& control);
    template <typename F>
    void Emit(F&& f) {
        if (listener_ != nullptr) {
            f(*listener_);
        }
    }

    ui::FormKind kind_;
    std::map<ui::ControlId, std::unique_ptr<FakeControl>> controls_;
    std::vector<ui::ControlId> order_;  // declaration order, the tab order
    ui::FormEvents* listener_ = nullptr;
    ui::ControlId focus_ = ui::kNoControl;
    ui::ControlId reportedFocus_ = ui::kNoControl;  // the control that last got OnFocusIn
    ui::ControlId focusBeforeLoss_ = ui::kNoControl;
    std::string title_;
    bool windowVisible_ = false;
    bool windowEnabled_ = true;
    bool redraw_ = true;
    ui::Colours windowColours_;
    std::vector<ui::MenuItem> systemMenu_;
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
    std::function<void(FakeForm&)> modalPlayer_;
    std::deque<int> popupAnswers_;
    std::vector<Popup> popups_;
    mutable std::vector<std::string> problems_;
    std::function<void()> onDestroy_;
};

}  // namespace tavro::test
