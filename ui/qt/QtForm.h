#pragma once

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "ui/ControlKind.h"
#include "ui/Form.h"

class QAction;
class QAbstractButton;
class QComboBox;
class QEvent;
class QKeyEvent;
class QMenuBar;
class QMouseEvent;

namespace tavro::qt {

class FormWindow;
class QtFormFactory;
class ReportList;

// A Form over the widget tree of a form file. Widgets that presenters address carry the
// integer property "controlId"; their kind follows from their class (ui/ControlKind.h). A
// PictureLabel names its picture with the integer property "picture"; the widget with the
// boolean property "pageHost" is where pages of the form go. Mouse and key input is seen at
// the window, before any widget handles it, so a presenter can consume it and always learns
// about the control under the mouse; pages embedded in a form hear about it first, then the
// form around them.
class QtForm : public ui::Form {
  public:
    // Built by QtFormFactory. `root` is the form file's widget tree, already parented to
    // `window` (top-level forms) or to the parent's page area (pages).
    QtForm(QtFormFactory& factory, QWidget* root, FormWindow* window, QtForm* parent,
           ui::FormKind kind);
    ~QtForm() override;
    QtForm(const QtForm&) = delete;
    QtForm& operator=(const QtForm&) = delete;

    // --- Form ---
    void SetListener(ui::FormEvents* listener) override { listener_ = listener; }
    bool HasControl(ui::ControlId id) const override;
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
    ui::ControlId FocusedControl() const override;
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
    void SetTitle(std::string_view title) override;
    std::string Title() const override { return title_; }
    void SetWindowVisible(bool visible) override;
    bool IsWindowVisible() const override;
    void SetWindowEnabled(bool enabled) override;
    bool IsWindowEnabled() const override;
    void SetWindowColours(ui::Colours colours) override;
    void SetRedraw(bool on) override;
    void SetSystemMenu(std::span<const ui::MenuItem> items) override;
    void EnableSystemMenuItem(int command, bool enabled) override;
    bool IsSystemMenuItemEnabled(int command) const override;
    int RunModal() override;
    void EndModal(int result) override;
    int PopupMenu(std::span<const ui::MenuItem> items, ui::ScreenPoint at) override;

    // --- for the toolkit side and its tests ---
    QWidget* Root() const { return root_; }
    // The window the form lives in (its own, or the one of the form it is a page of).
    QWidget* TopWindow() const;
    QWidget* Widget(ui::ControlId id) const;
    // Where pages of this form go: the widget with property "pageHost", else the root.
    QWidget* PageHost() const;
    void EmitFocusIn(ui::ControlId id);
    void EmitFocusOut(ui::ControlId id);

  private:
    struct Control {
        QPointer<QWidget> widget;
        ui::ControlKind kind = ui::ControlKind::kLabel;
        QPalette palette;  // as loaded, for default colours and system colours
        bool autoFill = false;
        ui::Colours colours;
        int font = 0;
        int picture = 0;
        int height = 0;
        bool ownEnabled = true;  // group boxes: their own state, not their children's
        std::vector<ui::ListColumn> columns;
        int reportedRow = -1;
    };

    // RAII: changes made by the presenter are not reported as the user's.
    class Quiet {
      public:
        explicit Quiet(QtForm& form) : form_(form) { ++form_.quiet_; }
        ~Quiet() { --form_.quiet_; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

      private:
        QtForm& form_;
    };

    Control* Find(ui::ControlId id) const;
    template <typename W>
    W* As(ui::ControlId id) const;
    ReportList* List(ui::ControlId id) const;
    QComboBox* Combo(ui::ControlId id) const;
    void CollectControls();
    void Wire(ui::ControlId id, Control& control);
    void ApplyColours(Control& control);
    void PutFocusAway(QWidget* leaving);
    // A shown window grows when a control that was hidden needs room (never shrinks).
    void GrowWindowToFit();
    bool Quietly() const { return quiet_ > 0; }
    template <typename F>
    void Emit(F&& f) {
        if (listener_ != nullptr) {
            f(*listener_);
        }
    }

    // Window input, seen before the widgets (top-level forms only).
    bool FilterWindowEvent(QEvent* event);
    bool HandleMouse(QMouseEvent& event);
    bool HandleKey(QKeyEvent& event);
    std::vector<QtForm*> ChainFrom(QtForm* owner);
    void DefaultReturn(QWidget* focus);
    void InstallWindowFilter();
    double Scale() const;

    friend class WindowEventFilter;

    QtFormFactory& factory_;
    QPointer<QWidget> root_;
    QPointer<FormWindow> window_;
    QtForm* parent_;
    ui::FormKind kind_;
    ui::FormEvents* listener_ = nullptr;
    std::map<ui::ControlId, std::unique_ptr<Control>> controls_;
    ui::ControlId defaultButton_ = ui::kNoControl;
    std::string title_;
    int quiet_ = 0;
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
    bool pressSwallowed_ = false;
    bool afterDoubleClick_ = false;
    std::unique_ptr<QObject> windowFilter_;
    QPointer<QObject> filteredWindow_;
    QPointer<QMenuBar> menuBar_;
    std::vector<ui::MenuItem> systemMenu_;
    std::vector<QPointer<QAction>> systemActions_;
};

}  // namespace tavro::qt
