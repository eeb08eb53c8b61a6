// Motion and test operations.

#include <cstdlib>

#include "link/CStatusFlg.h"
#include "link/CTimer.h"
#include "link/CTrxData.h"
#include "link/Numbers.h"
#include "link/OperationParams.h"

namespace tavro {

namespace {

std::string Inputs(int step, int svon, int drive) {
    return Format(cmd::kOperationInputs.data(), step, svon, drive);
}

std::string WriteValue(int group, int parameter, int value) {
    return Format(cmd::kWriteParameter.data(), group, parameter, static_cast<double>(value));
}

// The parameters of step s live in group s + 2: target position and speed.
constexpr int kGroupOfStep = 2;
constexpr int kTargetParameter = 0;
constexpr int kSpeedParameter = 2;

constexpr std::int64_t kSettleMs = 1;          // before the poll starts watching a motion
constexpr std::int64_t kStepReleaseMs = 100;   // between in-position and DRIVE off
constexpr std::int64_t kOriginSettleMs = 500;  // after the origin row of a sequence
constexpr std::int64_t kPollStopLeadMs = 45;   // poll stops this long before a timed step ends
constexpr std::int64_t kReleaseLeadMs = 20;    // DRIVE goes off this long before
constexpr std::int64_t kStopPollMs = 455;
constexpr std::int64_t kStopSendMs = 480;
constexpr int kMinTravelMs = 300;

}  // namespace

int CTrxData::OpIdle(int /*step*/, int /*param*/, int /*status*/) {
    return kWait;
}

int CTrxData::OpAlarm(int step, int param, int /*status*/) {
    OperationValues& v = State().op;
    switch (step) {
        case 0:
            v.resetFlag = param;
            StopWaits();
            // While the alarm is read nothing else may start: it would replace the read.
            if (ctx_.status.linkState == kLinkOnline) {
                SetLinkState(kLinkBusy);
            }
            SendCommand(cmd::kStopAll);
            return kWait;
        case 1:
            if (v.resetFlag == 1) {
                SendCommand(cmd::kAlarmReset);
                return kWait;
            }
            return kContinue;
        case 2:
            SendCommand(cmd::kAlarmRead);
            return kWait;
        default:
            break;
    }
    CStatusFlg status(ctx_);
    LinkHost& host = Host();
    if (status.GetTestMode() == 1) {
        DrivePage().ShowOperationResult({.continuousEnabled = true});
        SetLinkState(kLinkOnline);
        End();
        host.EnableTabStrip(true);
    } else {
        End();
    }
    if (ctx_.monitorClient != nullptr) {
        ctx_.monitorClient->DecodeAlarmReply(State().lastReply.data);
    }
    DrivePage().SetModeSwitch(status.GetTestMode());
    return kWait;
}

int CTrxData::OpExit(int step, int /*param*/, int /*status*/) {
    switch (step) {
        case 0:
            SendCommand(cmd::kStopAll);
            return kWait;
        case 1:
            SendCommand(cmd::kAllOutputsOff);
            return kWait;
        case 2:
            SendCommand(cmd::kMonitorMode);
            return kWait;
        default:
            break;
    }
    Host().RequestExit();
    Finish();
    return kWait;
}

int CTrxData::OpManualOutput(int step, int param, int /*status*/) {
    if (step == 0) {
        const ManualOutput out = UnpackManualOutput(param);
        SetLinkState(kLinkBusy);
        SendCommand(Format(cmd::kManualOutput.data(), out.output, out.state));
        return kWait;
    }
    SetLinkState(kLinkOnline);
    End();
    // The next monitor reply redraws the I/O Setup page's lamps whatever it says.
    ctx_.monitor.forceRefresh = true;
    ctx_.monitor.suppressPageLamps = true;
    return kWait;
}

int CTrxData::OpSetMode(int step, int param, int /*status*/) {
    CStatusFlg status(ctx_);
    switch (step) {
        case 0:
            status.SetTestMode(param);
            SetLinkState(kLinkBusy);
            SendCommand(cmd::kStopAll);
            return kWait;
        case 1:
            SendCommand(status.GetTestMode() == 1 ? cmd::kTestMode : cmd::kMonitorMode);
            return kWait;
        case 2:
            SendCommand(cmd::kAlarmRead);
            return kWait;
        default:
            break;
    }
    if (status.GetTestMode() == 1) {
        Host().EnableTabStrip(true);
        SetLinkState(kLinkOnline);
    } else {
        Host().EnableTabStrip(false);
        SetLinkState(kLinkMonitorMode);
    }
    End();
    return kWait;
}

int CTrxData::OpDrive(int step, int param, int /*status*/) {
    OperationValues& v = State().op;
    if (step == 0) {
        const MotionFields m = UnpackMotion(param);
        v.driveSvon = m.svon;
        v.driveDrive = m.drive;
        SendCommand(Inputs(m.step, v.driveSvon, v.driveDrive));
        return kWait;
    }
    DrivePageClient& page = DrivePage();
    if (v.driveSvon == 0) {
        page.ShowOperationResult({.continuousEnabled = true});
        SetLinkState(kLinkOnline);
    } else {
        page.ShowOperationResult({.continuousEnabled = true, .servoOn = true, .keepButtons = true});
        // A started motion keeps the link busy until the page's next operation.
        if (v.driveDrive == 0) {
            SetLinkState(kLinkOnline);
        }
    }
    End();
    return kWait;
}

void CTrxData::WaitForMonitorBit(bool origin, Op op) {
    Pause(kSettleMs, [origin, op](CTrxData& engine) {
        TrxState& t = engine.State();
        CTimer timer(engine.ctx_);
        timer.StartPoll();
        if (origin) {
            timer.ArmOneShot(CTimer::kOriginWatchdog, CTimer::kOriginWatchdogMs);
            t.originWait = true;
        } else {
            timer.ArmOneShot(CTimer::kStepWatchdog, CTimer::kStepWatchdogMs);
            t.stepWait = true;
        }
        t.waitingOp = op;
        t.waitOwner = t.generation;
    });
}

int CTrxData::OpReturnOrigin(int step, int /*param*/, int /*status*/) {
    switch (step) {
        case 0:
            SendCommand(Inputs(0, 1, 1));
            return kWait;
        case 1:
            WaitForMonitorBit(true, OP_RETURN_ORIGIN);
            return kWait;
        case 2:
            // The monitor reported the origin.
            SendCommand(Inputs(0, 1, 0));
            return kWait;
        default:
            break;
    }
    DrivePage().ShowOperationResult(
        {.continuousEnabled = true, .servoOn = true, .originDone = true});
    SetLinkState(kLinkOnline);
    End();
    return kWait;
}

int CTrxData::OpJog(int step, int param, int /*status*/) {
    OperationValues& v = State().op;
    switch (step) {
        case 0: {
            v.jogParam = param;
            DrivePage().SetSendingBusy(1);
            const MotionFields m = UnpackMotion(param);
            SendCommand(WriteValue(m.step + kGroupOfStep, kSpeedParameter, m.speed));
            return kWait;
        }
        case 1:
            SendCommand(Inputs(UnpackMotion(v.jogParam).step, 1, 1));
            return kWait;
        default:
            break;
    }
    SetLinkState(kLinkOnline);
    End();
    DrivePage().ReleaseDeferredJog();
    return kWait;
}

int CTrxData::OpInching(int step, int param, int status) {
    OperationValues& v = State().op;
    const int s = UnpackMotion(v.inchParam).step;
    const int group = s + kGroupOfStep;
    switch (step) {
        case 0:
            v.inchParam = param;
            v.inchDistance = status;  // the signed distance comes as the status argument
            SendCommand(Inputs(UnpackMotion(param).step, 1, 0));
            return kWait;
        case 1:
            SendCommand(WriteValue(group, kTargetParameter, v.inchDistance));
            return kWait;
        case 2:
            SendCommand(WriteValue(group, kSpeedParameter, UnpackMotion(v.inchParam).speed));
            return kWait;
        case 3:
            SendCommand(Inputs(s, 1, 1));
            return kWait;
        case 4: {
            CStatusFlg st(ctx_);
            const std::int64_t position =
                TruncToInt64(static_cast<double>(st.GetPosition(0)) * 1000.0);
            const std::int64_t top = static_cast<std::int64_t>(st.GetStroke(0)) * 1000;
            std::int64_t distance = v.inchDistance;
            const std::int64_t target = distance + position;
            if (target > top) {
                distance = top - position;
            } else if (target < 0) {
                distance = position;
            }
            // A speed of 0 moves nothing: the move ends after the shortest travel time
            // instead of dividing by zero.
            const int speed = UnpackMotion(v.inchParam).speed;
            std::int64_t ms = speed > 0 ? std::llabs(distance) / speed : 0;
            if (ms < kMinTravelMs) {
                ms = kMinTravelMs;
            }
            StartPoll();
            CTimer(ctx_).ArmOneShot(CTimer::kStepTime, ms);
            return kWait;
        }
        default:
            break;
    }
    DrivePage().ShowOperationResult({.continuousEnabled = true, .servoOn = true});
    SetLinkState(kLinkOnline);
    End();
    return kWait;
}

int CTrxData::OpStepRun(int step, int param, int status) {
    TrxState& t = State();
    OperationValues& v = t.op;
    CTimer timer(ctx_);
    if (step == 0) {
        // A step given up half-way (no answer, a stop) leaves no phase behind.
        v.runStep = UnpackMotion(param).step;
        v.runTimeMs = status;  // the operating time comes as the status argument
        v.releaseDue = false;
        v.runTimeOver = false;
        SendCommand(Inputs(v.runStep, 1, 1));
        if (v.runTimeMs > 0 && v.runStep > 0) {
            StartPoll();
            timer.ArmOneShot(CTimer::kStepTime, v.runTimeMs);
            if (v.runTimeMs > kPollStopLeadMs) {
                timer.ArmOneShot(CTimer::kPollStop, v.runTimeMs - kPollStopLeadMs);
            }
            if (v.runTimeMs > kReleaseLeadMs) {
                timer.ArmOneShot(CTimer::kEarlyRelease, v.runTimeMs - kReleaseLeadMs);
            }
        }
        v.runPhase = 1;
        return kWait;
    }
    const int s = v.runStep;
    const int timeMs = v.runTimeMs;
    const bool timed = s > 0 && timeMs > 0;
    // A timed step shorter than the release lead never gets its DRIVE released.
    const bool releases = !timed || timeMs > kReleaseLeadMs;
    auto release = [&] {
        v.runPhase = 3;
        SendCommand(Inputs(s, 1, 0));
    };
    auto next = [&] {
        v.runPhase = 0;
        Finish();
        StopWaits();
        PostNextStep();
    };

    if (t.stepTimeOver) {
        // The operating time is over. The next step follows at once, or, while DRIVE is still
        // on, as soon as its release has been answered: on a slow line the reply to DRIVE on
        // can come after the early-release time, and the release must not be lost.
        t.stepTimeOver = false;
        v.runTimeOver = true;
        if (releases && v.runPhase == 1) {
            v.releaseDue = true;
        } else if (releases && v.runPhase == 2) {
            release();
        } else if (!releases || v.runPhase != 3) {
            next();
        }
        return kWait;
    }
    switch (v.runPhase) {
        case 1:
            if (status == kStatusEarlyRelease) {
                v.releaseDue = true;  // DRIVE on has not been answered yet
                return kWait;
            }
            if (status != kStatusReply) {
                return kWait;
            }
            v.runPhase = 2;
            if (s == 0) {
                WaitForMonitorBit(true, OP_STEP_RUN);
            } else if (timeMs == 0) {
                WaitForMonitorBit(false, OP_STEP_RUN);
            } else if (v.releaseDue) {
                release();
            } else if (v.runTimeOver) {
                next();
            }
            return kWait;
        case 2:
            if (status == kStatusMonitorBit) {
                if (s == 0) {
                    StopWaits();
                    timer.StopPoll();
                    release();
                } else if (timeMs == 0) {
                    Pause(kStepReleaseMs, [s](CTrxData& engine) {
                        engine.StopWaits();
                        engine.State().op.runPhase = 3;
                        engine.SendCommand(Inputs(s, 1, 0));
                    });
                }
            } else if (status == kStatusEarlyRelease && timed) {
                release();
            }
            return kWait;
        case 3:
            if (status != kStatusReply) {
                return kWait;
            }
            // DRIVE is off.
            if (s == 0) {
                v.runPhase = 0;
                Pause(kOriginSettleMs, [](CTrxData& engine) {
                    engine.Finish();
                    engine.StopWaits();
                    engine.PostNextStep();
                });
            } else if (timeMs == 0 || v.runTimeOver) {
                next();
            } else {
                v.runPhase = 4;  // released; the operating time ends the step
            }
            return kWait;
        default:
            return kWait;
    }
}

int CTrxData::OpStop(int step, int /*param*/, int status) {
    OperationValues& v = State().op;
    if (step == 0 || v.stopPhase == 0) {
        // Starting the stop has stopped the poll; what is still on the line arrives within the
        // wait, and the stop goes out after it. Nothing else starts until the stop has ended.
        v.stopPhase = 1;
        SetLinkState(kLinkBusy);
        CTimer timer(ctx_);
        timer.ArmOneShot(CTimer::kPollStop, kStopPollMs);
        timer.ArmOneShot(CTimer::kEarlyRelease, kStopSendMs);
        return kWait;
    }
    if (v.stopPhase == 1) {
        if (status == kStatusEarlyRelease) {
            v.stopPhase = 2;
            SendCommand(cmd::kStopAll);
        }
        return kWait;
    }
    v.stopPhase = 0;
    DrivePage().ShowOperationResult({.resetTable = true});
    SetLinkState(kLinkOnline);
    End();
    return kWait;
}

}  // namespace tavro
