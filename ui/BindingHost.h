#pragma once

#include <array>
#include <string>

#include "ui/Form.h"

namespace tavro {

inline constexpr int kStepListRows = 15;
inline constexpr int kStepListColumns = 10;
using StepListTexts = std::array<std::array<std::string, kStepListColumns>, kStepListRows>;

// What the binding engine needs from the main window: the form of each view, and what the
// other pages do when views are redisplayed. The hooks do nothing until a page takes them.
class BindingHost {
  public:
    virtual ~BindingHost() = default;

    // nullptr while the view does not exist.
    virtual ui::Form* View(int view) = 0;

    // The Step page writes its edit row, just displayed from the image, into list row `row`.
    virtual void StoreStepRow(int /*row*/) {}
    // The Monitor/Test page learns a step's positioning time (controller copy).
    virtual void SetStepPositioningTime(int /*step*/, float /*time*/) {}
    // The browse dialog takes a copy of the Step page list.
    virtual void CopyStepListToBrowser(const StepListTexts& /*texts*/) {}
    // The I/O page locks or unlocks the settings it cannot show.
    virtual void ApplyIoEditability(bool /*outputsEditable*/, bool /*areaEditable*/) {}
    virtual void RefreshBasicPage() {}
    // The detail dialog rebuilds its PID-set, PID and step lists from a copy of the image;
    // true when any cell shown there has differing copies.
    virtual bool RebuildDetailLists(int /*copy*/) { return false; }
};

}  // namespace tavro
