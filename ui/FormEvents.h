#pragma once

#include "ui/FormTypes.h"

namespace tavro::ui {

// What the user does to a form, delivered to its presenter in the order the user did it.
// Only the user causes events: a presenter's own calls on the Form (text, selection, check,
// position) never come back as events, with one exception the presenters rely on: moving
// the focus with SetFocus reports focus out and focus in, because range checks hang on them.
// Every method has an empty default, so a presenter overrides what it handles.
class FormEvents {
  public:
    virtual ~FormEvents() = default;

    // A button, check box or colour button was clicked (a check box has already toggled);
    // Return and Escape that no presenter consumed arrive as clicks on the default button
    // (or kIdOk) and on kIdCancel.
    virtual void OnClicked(ControlId /*id*/) {}
    // A combo's or tab strip's current item, a radio group's choice (id is the radio now
    // checked) or a list's selected row changed.
    virtual void OnSelectionChanged(ControlId /*id*/) {}
    // The user changed the text of an edit or an editable combo.
    virtual void OnTextEdited(ControlId /*id*/) {}
    virtual void OnFocusIn(ControlId /*id*/) {}
    virtual void OnFocusOut(ControlId /*id*/) {}

    // Row -1 when the click hit no row.
    virtual void OnListClick(ControlId /*id*/, int /*row*/, int /*column*/) {}
    virtual void OnListRightClick(ControlId /*id*/, int /*row*/, int /*column*/,
                                  ScreenPoint /*at*/) {}
    virtual void OnListDoubleClick(ControlId /*id*/, int /*row*/, int /*column*/) {}

    // Seen before the control handles the key or the button; returning true consumes it.
    // id is the focused control for keys, the control under the mouse otherwise (kNoControl
    // over the form's background or over a disabled control).
    virtual bool OnKeyDown(ControlId /*id*/, int /*key*/, KeyModifiers /*mods*/) { return false; }
    virtual void OnMouseMove(ControlId /*id*/) {}
    virtual bool OnMouseDown(ControlId /*id*/) { return false; }
    virtual void OnMouseUp(ControlId /*id*/) {}
    virtual bool OnDoubleClick(ControlId /*id*/) { return false; }

    virtual void OnSliderScrolled(ControlId /*id*/, int /*position*/) {}
    // A spin arrow was pressed; returning true refuses the step, so the position stays.
    virtual bool OnSpinDelta(ControlId /*id*/, int /*delta*/) { return false; }

    // The window's close box; returning true lets a modal form end with kIdCancel and a
    // modeless one hide.
    virtual bool OnCloseRequest() { return true; }
    virtual void OnSystemCommand(int /*command*/) {}
};

}  // namespace tavro::ui
