#pragma once

#include <cstddef>
#include <vector>

#include "link/StatusBlock.h"
#include "ui/Form.h"
#include "ui/StringTable.h"

namespace tavro {

// The Monitor/Test page's alarm box: the current alarm or the controller's alarm history, the
// Current/History radios and the lock of "Alarm reset" while the alarm record is being read.
class AlarmBox {
  public:
    static constexpr ui::ControlId IDC_ALARM_BOX = 1720;
    static constexpr ui::ControlId IDC_ALARM_RESET = 1721;
    static constexpr ui::ControlId IDC_ALARM_CURRENT = 1722;
    static constexpr ui::ControlId IDC_ALARM_HISTORY = 1723;
    // The alarm record holds this many codes, the newest first.
    static constexpr std::size_t kCodeCount = 20;

    // The history shows status.alarmHistoryCount of the codes.
    AlarmBox(ui::Form& form, const StringTable& strings, const StatusBlock& status);

    // The current view, shown.
    void Reset();
    // The codes of an alarm record just read.
    void ShowCodes(const std::vector<int>& codes);
    // The status word's ALARM state, with every status word: the box is redrawn when it
    // changes, and a rising alarm brings the current view back.
    void SetAlarmActive(bool active);
    // One of the radios was clicked.
    void ChooseView(ui::ControlId radio);
    // "Alarm reset" is enabled when the link allows it and no alarm record is due; while one
    // is due the button stays locked whatever else enables it.
    void SetResetEnable(bool enable, bool linkAllows);

    bool ResetLocked() const { return resetLock_; }
    bool HistoryView() const { return historyView_; }
    bool AlarmActive() const { return active_; }

  private:
    void Display();

    ui::Form& form_;
    const StringTable& strings_;
    const StatusBlock& status_;
    std::vector<int> codes_;
    bool active_ = false;
    bool shownActive_ = false;  // the state the box was last drawn for by the status word
    bool wasActive_ = false;
    bool historyView_ = false;
    bool resetLock_ = false;
};

}  // namespace tavro
