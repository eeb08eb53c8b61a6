#pragma once

#include <optional>
#include <span>
#include <string>

#include "link/LinkContext.h"
#include "params/BindingDescriptor.h"
#include "ui/BindingHost.h"

namespace tavro {

struct CellAddress {
    int group;
    int parameter;

    friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// Hold a value between two descriptors of one collect pass.
struct BindingLatches {
    int operationLatch = 0;
    int logicLatch = 0;
};

// What a control holds, as the binding reads it: an edit's text, a list's selected index or
// a radio group's checked offset (-1 for none).
struct ControlState {
    std::string text;
    int index = -1;
};

// Values the engine keeps between calls; one per program, with the engine.
struct BindingState : BindingLatches {
    // Whether the I/O page can show what the controller holds.
    bool ioOutputsEditable = false;
    bool ioAreaEditable = false;
};

// Moves values between the settings views and the parameter image through each view's
// binding table: collect into the edit copies, display either copy, compare the copies.
class CBinding {
  public:
    CBinding(LinkContext& ctx, BindingHost& host) : ctx_(ctx), host_(host) {}
    CBinding(const CBinding&) = delete;
    CBinding& operator=(const CBinding&) = delete;
    virtual ~CBinding() = default;

    // listControl 0 collects the plain controls at their cells, a list-view the controls
    // that edit its `row`. A control that still shows the edit copy (or the controller copy)
    // leaves that value as it is. True when any collected cell's copies differ.
    bool CollectView(int view, int listControl, int row);
    // True while `control` shows the edit copy or the controller copy of its cell, as
    // displaying would show it: the user has not changed it.
    bool Untouched(int view, ui::ControlId listControl, int row, ui::ControlId control);
    // The edit copies of one list row (listControl 0: the plain controls) become the
    // controller copies again.
    void DiscardRow(int view, ui::ControlId listControl, int row);
    // Every edit copy becomes its controller copy again; the status block follows.
    void DiscardAll();
    // listControl 0 displays every control at its base cell. True when any cell in scope
    // has differing copies. copy: 0 controller, 1 edit.
    bool DisplayView(int view, int listControl, int row, int copy);
    // True when any cell in scope differs once both copies are written with "%.4f".
    bool CompareView(int view, int listControl, int row);
    // which: 2 the Step page's list, 4 the detail dialog's lists.
    bool DisplayLists(int which, int copy);
    // what: 0, 1, 5 one view; 2, 4 both groups of lists; 6 everything. The lists' result.
    bool RedisplayViews(int what, int copy);
    void UpdateIoEditability();
    // A view-4 control's value list for the current control type. direction 0: index to
    // value; 1: value to index; 0 when there is no such pair.
    float ListLookup(ui::ControlId control, float number, int direction) const;

    float GetCell(int group, int parameter, int copy);
    void SetCell(int group, int parameter, float value, int copy);

    const BindingState& State() const { return state_; }

    static std::span<const BindingDescriptor> Table(int view);
    // The cell a descriptor uses for a list row (listControl 0: its base cell); nothing when
    // the row is not one of the list's rows.
    static std::optional<CellAddress> CellOf(const BindingDescriptor& d, int listControl, int row,
                                             bool pulse);

  private:
    bool Pulse() const;
    static ControlState Read(const BindingDescriptor& d, const ui::Form& form);
    // What displaying `value` (already converted back) puts into the control.
    static ControlState Shown(const BindingDescriptor& d, int itemCount, double value);
    // The number a control state stands for, before the conversion.
    static double Raw(const BindingDescriptor& d, const ControlState& state);
    // A cell's value converted back for display.
    static double ShownValue(const BindingDescriptor& d, double v, bool pulse);
    // A control's number as the cell stores it; the latches carry a value to the next
    // descriptor. The pulse type's operation word stays the controller's.
    static double Converted(const BindingDescriptor& d, double value, bool pulse,
                            float controllerCopy, BindingLatches& latches);
    bool Skipped(int view, const BindingDescriptor& d, CellAddress cell) const;
    // The status block's second copies follow the edit copies of 0/0, 0/1 and 0/2.
    void FollowInStatus(CellAddress cell);
    void Show(const BindingDescriptor& d, ui::Form& form, double value) const;
    bool DisplayStepList(int copy);

    LinkContext& ctx_;
    BindingHost& host_;
    BindingState state_;
};

}  // namespace tavro
