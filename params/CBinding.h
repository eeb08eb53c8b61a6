#pragma once

#include <optional>
#include <span>

#include "link/LinkContext.h"
#include "params/BindingDescriptor.h"
#include "params/BindingHost.h"

namespace tavro {

struct CellAddress {
    int group;
    int parameter;

    friend bool operator==(const CellAddress&, const CellAddress&) = default;
};

// Values the engine keeps between calls; one per program, with the engine.
struct BindingState {
    // Hold a value between two descriptors of one collect pass.
    int operationLatch = 0;
    int logicLatch = 0;
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
    // that edit its `row`. True when any stored cell's copies differ.
    bool CollectView(int view, int listControl, int row);
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

    // What the Step Data Setup page stores into cell `parameter` of a step that shows `value`
    // when its edit row is stored untouched: the value to the field's decimals, a load mass
    // off its grid as 0, the page's operation word (the controller's own in pulse type, the
    // cell left alone while the Detail dialog is open). Cells the page does not edit keep
    // `value`. For callers without the page, such as a file loaded from the command line.
    static float StepPageStores(int parameter, float value, float controllerCopy,
                                const StatusBlock& status);

    static std::span<const BindingDescriptor> Table(int view);
    // The cell a descriptor uses for a list row (listControl 0: its base cell); nothing when
    // the row is not one of the list's rows.
    static std::optional<CellAddress> CellOf(const BindingDescriptor& d, int listControl, int row,
                                             bool pulse);

  private:
    bool Pulse() const;
    double Collected(const BindingDescriptor& d, const ui::Form& form, CellAddress cell,
                     bool pulse);
    bool Skipped(int view, const BindingDescriptor& d, CellAddress cell) const;
    void Store(CellAddress cell, double value);
    void Show(const BindingDescriptor& d, ui::Form& form, double value) const;
    bool DisplayStepList(int copy);

    LinkContext& ctx_;
    BindingHost& host_;
    BindingState state_;
};

}  // namespace tavro
