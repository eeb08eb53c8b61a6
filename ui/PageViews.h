#pragma once

#include <cstdint>
#include <vector>

#include "ui/BindingHost.h"
#include "ui/Form.h"
#include "ui/Templates.h"

// What the main window asks of its pages and of the step browser. Each page's presenter
// implements its interface; until a page's own logic exists, the defaults do nothing.
namespace tavro {

// Page indices of the tab strip.
inline constexpr int kPageIo = 0;
inline constexpr int kPageBasic = 1;
inline constexpr int kPageStep = 2;
inline constexpr int kPageDrive = 3;

class PageView {
  public:
    virtual ~PageView() = default;
    virtual ui::Form& GetForm() = 0;
    // After every link state other than busy, and where the main window's sequences say so.
    virtual void Refresh() {}
};

// Page 0, I/O Setup.
class IoPageView : public PageView {
  public:
    // The page is about to be shown.
    virtual void Prepare() {}
    // While set, the manual-output buttons do nothing.
    virtual void SetInputLock(bool /*locked*/) {}
    virtual void ShowIoWord(std::uint16_t /*word*/) {}
    virtual void ApplyEditability(bool /*outputsEditable*/, bool /*areaEditable*/) {}
};

// Page 1, Basic Parameter Setup.
class BasicPageView : public PageView {
  public:
    // Control 1512 read as a signed integer: the stroke chosen on the page (0 for "Select").
    virtual int StrokeNumber() { return 0; }
};

// Page 2, Step Data Setup.
class StepPageView : public PageView {
  public:
    // The stroke the Basic page held when the tab was entered, for the limits before the
    // initial upload.
    virtual void SetBasicStroke(int /*stroke*/) {}
    // Leaving the page in an online state: drop unstored edit-row changes.
    virtual void ReloadCurrentStep() {}
    // After the binding engine has displayed step `row` in the edit row.
    virtual void StoreEditRow(int /*row*/) {}
    // Any step row whose edit copy differs from its controller copy.
    virtual bool HasStepChanges() { return false; }
    // The texts of the step list, for the browser.
    virtual StepListTexts ListTexts() {
        StepListTexts none;
        return none;
    }
};

// Page 3, Monitor/Test.
class DrivePageView : public PageView {
  public:
    // Leaving the page: reset the operation buttons and stop a continuous run.
    virtual void StopContinuous() {}
    // The page drives a motion: a jog, a single step, a continuous run, or an operation of its
    // own that moves the table.
    virtual bool MotionRunning() const { return false; }
    virtual void ShowStatusLamps(std::uint16_t /*word*/) {}
    // Every lamp off, the alarm box as it was: the controller's state is not known.
    virtual void ShowStatusUnknown() {}
    // While set, "Alarm reset" stays disabled whatever the enable table says.
    virtual bool AlarmResetLocked() { return false; }
    virtual void SetMonitorModeFlag(bool /*on*/) {}
    virtual void SetStepPositioningTime(int /*step*/, float /*time*/) {}
    // The browser reports the entry chosen for one of the page's step choices.
    virtual void SelectBrowsedStep(int /*comboId*/, int /*item*/) {}
};

// The step browser (template 205).
class BrowserView {
  public:
    virtual ~BrowserView() = default;
    virtual ui::Form& GetForm() = 0;
    virtual void SetListTexts(const StepListTexts& /*texts*/) {}
    // Shows the browser for one of the Monitor/Test page's step choices and its entry.
    virtual void Show(int /*comboId*/, int /*item*/) {}
};

}  // namespace tavro
