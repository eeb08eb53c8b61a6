#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavro {

// What the end of an operation leaves on the Monitor/Test page's buttons.
struct OperationResult {
    bool continuousEnabled = false;  // the continuous operation's Start may be pressed
    bool servoOn = false;
    bool originDone = false;  // the return-to-origin button shows its "done" caption
    // With the servo on, the operation buttons keep their state (a step or jog still runs).
    bool keepButtons = false;
    bool continuousRunning = false;
    bool resetTable = false;  // the continuous table goes back to its first row
};

// The Monitor/Test page as the link sees it, so that the link does not depend on it. A
// program without the page keeps the do-nothing defaults. All calls arrive on the event
// loop's thread.
class DrivePageClient {
  public:
    virtual ~DrivePageClient() = default;
    virtual void ShowOperationResult(const OperationResult& /*result*/) {}
    virtual void SetModeSwitch(int /*testMode*/) {}
    virtual void SetInchingLimits() {}
    virtual void SetSendingBusy(int /*busy*/) {}
    virtual void ReleaseDeferredJog() {}
    // One of the five value texts (controls 1730..1734).
    virtual void ShowMonitorValue(int /*controlId*/, const std::string& /*text*/) {}
    virtual void ShowAlarms(const std::vector<int>& /*codes*/) {}
    virtual void SetAlarmResetEnable(bool /*enable*/) {}
    // A posted WM_NEXT_STEP has arrived: the continuous operation runs its next row.
    virtual void NextContinuousStep() {}
};

}  // namespace tavro
