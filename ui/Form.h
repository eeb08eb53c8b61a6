#pragma once

#include <span>
#include <string>
#include <string_view>

#include "ui/FormEvents.h"
#include "ui/FormTypes.h"

namespace tavro::ui {

// The controls of one dialog or page as its presenter sees them: addressed by control ID,
// with no window system in sight. Every operation tolerates an ID the form does not have
// (or a control of another kind): nothing happens and getters return a neutral value
// (empty text, false, -1 for indices, 0 for numbers, default colours).
class Form {
  public:
    virtual ~Form() = default;

    // The presenter that receives the form's events; nullptr stops them.
    virtual void SetListener(FormEvents* listener) = 0;
    virtual bool HasControl(ControlId id) const = 0;

    // Caption of a label, button, group box or lamp; text of an edit or editable combo; the
    // current item's text of a drop-down list (setting it selects the item with exactly that
    // text, if any).
    virtual void SetText(ControlId id, std::string_view text) = 0;
    virtual std::string Text(ControlId id) const = 0;

    // Enabled and shown are the control's own states, whatever its window's state. A group
    // box is only a frame: disabling it greys its caption and leaves the controls in it alone.
    virtual void SetEnabled(ControlId id, bool enabled) = 0;
    virtual bool IsEnabled(ControlId id) const = 0;
    virtual void SetVisible(ControlId id, bool visible) = 0;
    virtual bool IsVisible(ControlId id) const = 0;

    // Check boxes and radio buttons (push-like or not); on a colour button the pressed look.
    virtual void SetChecked(ControlId id, bool checked) = 0;
    virtual bool IsChecked(ControlId id) const = 0;
    // Checks `checked` and unchecks every other radio with an ID in first..last; an ID outside
    // the range unchecks them all.
    virtual void CheckRadio(ControlId first, ControlId last, ControlId checked) = 0;
    // The checked radio of first..last, or kNoControl when none is.
    virtual ControlId CheckedRadio(ControlId first, ControlId last) const = 0;

    // Items of drop-down lists, editable combos and tab strips. Adding to a list without a
    // current item leaves it without one; removing the current item leaves none; removing an
    // item before it keeps the same item current. Index -1 means none.
    virtual void ClearItems(ControlId id) = 0;
    virtual int AddItem(ControlId id, std::string_view text) = 0;  // index, or -1
    // Index -1 or beyond the end appends; returns the index, or -1.
    virtual int InsertItem(ControlId id, int index, std::string_view text) = 0;
    virtual void RemoveItem(ControlId id, int index) = 0;
    virtual int ItemCount(ControlId id) const = 0;
    virtual std::string ItemText(ControlId id, int index) const = 0;
    virtual int CurrentItem(ControlId id) const = 0;
    virtual void SetCurrentItem(ControlId id, int index) = 0;             // -1 clears; an editable
                                                                          // combo's text follows
    virtual int FindItem(ControlId id, std::string_view text) const = 0;  // exact match

    // Report-style lists: single selection of whole rows, grid lines, fixed headers.
    virtual void ListClearColumns(ControlId id) = 0;
    virtual int ListAddColumn(ControlId id, const ListColumn& column) = 0;  // index, or -1
    virtual int ListColumnCount(ControlId id) const = 0;
    virtual ListColumn ListColumnAt(ControlId id, int column) const = 0;
    // A check box in column 0 of every row.
    virtual void ListSetCheckBoxes(ControlId id, bool on) = 0;
    virtual bool ListHasCheckBoxes(ControlId id) const = 0;
    virtual int ListRowCount(ControlId id) const = 0;
    // Inserts an empty row before `row` (-1 or beyond the end appends); returns its index.
    virtual int ListInsertRow(ControlId id, int row) = 0;
    virtual void ListDeleteRow(ControlId id, int row) = 0;
    virtual void ListClearRows(ControlId id) = 0;
    virtual void ListSetCell(ControlId id, int row, int column, std::string_view text) = 0;
    virtual std::string ListCell(ControlId id, int row, int column) const = 0;
    // Explicit colours replace the cell's whole look, selection highlight included, so a
    // presenter that colours its cells also decides how the selected row is drawn; (0, 0)
    // gives the cell back its default look.
    virtual void ListSetCellColours(ControlId id, int row, int column, Colours colours) = 0;
    virtual Colours ListCellColours(ControlId id, int row, int column) const = 0;
    virtual void ListSetRowChecked(ControlId id, int row, bool checked) = 0;
    virtual bool ListIsRowChecked(ControlId id, int row) const = 0;
    virtual int ListSelectedRow(ControlId id) const = 0;    // -1 when none
    virtual void ListSelectRow(ControlId id, int row) = 0;  // -1 clears the selection
    virtual void ListEnsureVisible(ControlId id, int row) = 0;

    // Sliders, spin buttons and progress bars.
    virtual void SetRange(ControlId id, int min, int max) = 0;
    virtual Range GetRange(ControlId id) const = 0;
    virtual void SetPosition(ControlId id, int position) = 0;  // limited to the range
    virtual int Position(ControlId id) const = 0;
    // The step of a spin's arrows (the delta it reports) or a slider's arrow keys.
    virtual void SetStep(ControlId id, int step) = 0;
    virtual int Step(ControlId id) const = 0;
    virtual void SetTickInterval(ControlId id, int interval) = 0;  // sliders; 0 hides ticks

    virtual void SetFocus(ControlId id) = 0;
    virtual ControlId FocusedControl() const = 0;
    // To the next control in tab order, or the previous one.
    virtual void MoveFocus(bool backwards) = 0;
    // Selects the whole text of an edit or editable combo once the current focus change has
    // completed, so a click that brought the focus does not undo it.
    virtual void SelectAllText(ControlId id) = 0;

    // Palette and font indices of the presentation helpers (17 colours, 15 fonts).
    virtual void SetColours(ControlId id, Colours colours) = 0;
    virtual Colours GetColours(ControlId id) const = 0;
    virtual void SetFont(ControlId id, int fontIndex) = 0;
    virtual int Font(ControlId id) const = 0;
    // A picture control's image or a button's icon, by the picture's resource number;
    // 0 removes it.
    virtual void SetPicture(ControlId id, int resource) = 0;
    virtual int Picture(ControlId id) const = 0;
    virtual void SetToolTip(ControlId id, std::string_view text) = 0;
    virtual std::string ToolTip(ControlId id) const = 0;
    // Height in pixels of the reference layout; 0 lets the layout decide again.
    virtual void SetHeight(ControlId id, int height) = 0;
    virtual int Height(ControlId id) const = 0;

    // The form's own window.
    virtual void SetTitle(std::string_view title) = 0;
    virtual std::string Title() const = 0;
    virtual void SetWindowVisible(bool visible) = 0;
    virtual bool IsWindowVisible() const = 0;
    virtual void SetWindowEnabled(bool enabled) = 0;
    virtual bool IsWindowEnabled() const = 0;
    virtual void SetWindowColours(Colours colours) = 0;  // the background behind the controls
    // Off: changes are not drawn until it is turned on again.
    virtual void SetRedraw(bool on) = 0;
    // Commands of the window's own menu; choosing one reports OnSystemCommand.
    virtual void SetSystemMenu(std::span<const MenuItem> items) = 0;
    virtual void EnableSystemMenuItem(int command, bool enabled) = 0;
    virtual bool IsSystemMenuItemEnabled(int command) const = 0;

    // Shows a modal form and returns the result its presenter passed to EndModal; -1 for a
    // form that is not modal. EndModal before RunModal makes RunModal return at once.
    virtual int RunModal() = 0;
    virtual void EndModal(int result) = 0;
    // A popup menu at a screen position; returns the chosen command, or 0.
    virtual int PopupMenu(std::span<const MenuItem> items, ScreenPoint at) = 0;
};

}  // namespace tavro::ui
