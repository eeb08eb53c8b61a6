// The Monitor/Test page on a line with real timing: what the user does while a reply is still
// due. Each row starts a motion, leaves one thing outstanding on the line and then acts; the
// exact commands that reach the controller are compared, and the controller must end still,
// with the servo off where a stop was asked for, and polled again.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "sim/FaultPlan.h"
#include "tests/monitor/page_fixture.h"

namespace tavro::test {
namespace {

using P = CPageDrv;
using Commands = std::vector<std::string>;

// How the line carries the bytes.
struct LineTiming {
    const char* name;
    int baud;
    bool byteTiming;
};
constexpr LineTiming kTimings[] = {
    {"Instant", 19200, false},
    {"Bps9600", 9600, true},
    {"Bps57600", 57600, true},
};

enum class Motion { kOrigin, kSingleStep, kContinuous, kJog };
// What is still due on the line when the user acts.
enum class Outstanding {
    kMotionReply,  // the reply to the command that started the motion (300 ms late)
    kPollReply,    // a monitor poll's reply (300 ms late)
    kAlarmRead,    // the alarm read after an alarm rose (its "RE" answered 300 ms late)
    kStopWait,     // the stop's 480 ms wait after "Operation End"
};
enum class Action { kServoOff, kEnd, kStepStop, kLeavePage, kLeaveToIoPage, kClose, kAlarm };

struct RaceCase {
    const char* name;
    Motion motion;
    Outstanding outstanding;
    Action action;
    // Commands from the start of the motion on, polls left out.
    Commands expected;
    bool servoOffAtEnd;
};

const char* const kStart1 = "OE 1 1 1";
const char* const kStop = "OE 0 0 0";

const RaceCase kRaces[] = {
    // The stop given while the reply to the start is due goes out once that reply is in.
    {"OriginReplyThenServoOff",
     Motion::kOrigin,
     Outstanding::kMotionReply,
     Action::kServoOff,
     {"OE 0 1 1", kStop},
     true},
    {"OriginPollThenServoOff",
     Motion::kOrigin,
     Outstanding::kPollReply,
     Action::kServoOff,
     {"OE 0 1 1", kStop},
     true},
    {"StepReplyThenStepStop",
     Motion::kSingleStep,
     Outstanding::kMotionReply,
     Action::kStepStop,
     {kStart1, "OE 0 1 0"},
     false},
    {"StepReplyThenServoOff",
     Motion::kSingleStep,
     Outstanding::kMotionReply,
     Action::kServoOff,
     {kStart1, kStop},
     true},
    {"StepPollThenStepStop",
     Motion::kSingleStep,
     Outstanding::kPollReply,
     Action::kStepStop,
     {kStart1, "OE 0 1 0"},
     false},
    {"StepAlarmReadThenStepStop",
     Motion::kSingleStep,
     Outstanding::kAlarmRead,
     Action::kStepStop,
     {kStart1, kStop, "RE"},
     true},
    {"ContinuousReplyThenEnd",
     Motion::kContinuous,
     Outstanding::kMotionReply,
     Action::kEnd,
     {kStart1, kStop},
     true},
    // The poll that is out reports the step in position after "End": the step's wait must not
    // start anything again.
    {"ContinuousPollThenEnd",
     Motion::kContinuous,
     Outstanding::kPollReply,
     Action::kEnd,
     {kStart1, kStop},
     true},
    {"ContinuousReplyThenLeave",
     Motion::kContinuous,
     Outstanding::kMotionReply,
     Action::kLeavePage,
     {kStart1, kStop},
     true},
    {"ContinuousPollThenLeave",
     Motion::kContinuous,
     Outstanding::kPollReply,
     Action::kLeavePage,
     {kStart1, kStop},
     true},
    // Towards the I/O page before its first upload: stopped all the same, then the upload.
    {"ContinuousReplyThenLeaveToIo",
     Motion::kContinuous,
     Outstanding::kMotionReply,
     Action::kLeaveToIoPage,
     {kStart1, kStop},
     true},
    {"ContinuousReplyThenClose",
     Motion::kContinuous,
     Outstanding::kMotionReply,
     Action::kClose,
     {kStart1, kStop, "SW 4 1", "MD 0"},
     true},
    {"ContinuousReplyThenAlarm",
     Motion::kContinuous,
     Outstanding::kMotionReply,
     Action::kAlarm,
     {kStart1, kStop, "RE"},
     true},
    // During the alarm read the link has switched everything off already: nothing replaces
    // the read, and the alarm is shown.
    {"ContinuousAlarmReadThenServoOff",
     Motion::kContinuous,
     Outstanding::kAlarmRead,
     Action::kServoOff,
     {kStart1, kStop, "RE"},
     true},
    {"ContinuousAlarmReadThenEnd",
     Motion::kContinuous,
     Outstanding::kAlarmRead,
     Action::kEnd,
     {kStart1, kStop, "RE"},
     true},
    {"ContinuousAlarmReadThenLeave",
     Motion::kContinuous,
     Outstanding::kAlarmRead,
     Action::kLeavePage,
     {kStart1, kStop, "RE"},
     true},
    {"ContinuousStopWaitThenLeave",
     Motion::kContinuous,
     Outstanding::kStopWait,
     Action::kLeavePage,
     {kStart1, kStop},
     true},
    {"ContinuousStopWaitThenClose",
     Motion::kContinuous,
     Outstanding::kStopWait,
     Action::kClose,
     {kStart1, kStop, "SW 4 1", "MD 0"},
     true},
    {"ContinuousStopWaitThenAlarm",
     Motion::kContinuous,
     Outstanding::kStopWait,
     Action::kAlarm,
     {kStart1, kStop, kStop, "RE"},
     true},
    {"JogPollThenServoOff",
     Motion::kJog,
     Outstanding::kPollReply,
     Action::kServoOff,
     {"EE 19 2 10.00000", "OE 17 1 1", kStop},
     true},
    // The jog button is let go after the page was left: no release turns the servo on again.
    {"JogPollThenLeave",
     Motion::kJog,
     Outstanding::kPollReply,
     Action::kLeavePage,
     {"EE 19 2 10.00000", "OE 17 1 1", kStop},
     true},
    {"JogReplyThenClose",
     Motion::kJog,
     Outstanding::kMotionReply,
     Action::kClose,
     {"EE 19 2 10.00000", "OE 17 1 1", kStop, "SW 4 1", "MD 0"},
     true},
};

// Parameter names for the test log.
void PrintTo(const RaceCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const LineTiming& t, std::ostream* os) {
    *os << t.name;
}

constexpr int kNoResponse = 306;
constexpr std::int64_t kLateMs = 300;
constexpr std::int64_t kActAfterMs = 80;
constexpr std::int64_t kActInPollMs = 20;

sim::ControllerOptions OptionsFor(const LineTiming& timing) {
    sim::ControllerOptions o;
    o.baud = timing.baud;
    return o;
}

class RaceTest : public DrivePageTest,
                 public ::testing::WithParamInterface<std::tuple<RaceCase, LineTiming>> {
  protected:
    RaceTest() : DrivePageTest(OptionsFor(Timing())) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1).Speed(Timing().baud));
        h.bus.SetByteTiming(Timing().byteTiming);
    }
    static const RaceCase& Race() { return std::get<0>(GetParam()); }
    static const LineTiming& Timing() { return std::get<1>(GetParam()); }

    void Late(const char* code) {
        sim::Fault f(sim::FaultKind::kExtraDelay, sim::kUnlimited);
        f.code = code;
        f.delayMs = kLateMs;
        h.bus.Faults().Add(f);
    }

    // The continuous table: step 1 until in position, then the end.
    void OneStepTable(FakeForm& page) {
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 0, 2));
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, 2));
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 1, 2));
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, 0));
        if (page.ListIsRowChecked(P::IDC_TABLE, 0)) {
            ASSERT_TRUE(page.ToggleRowCheck(P::IDC_TABLE, 0));
        }
    }

    void StartMotion(FakeForm& page) {
        switch (Race().motion) {
            case Motion::kOrigin:
                ASSERT_TRUE(page.Click(P::IDC_ORIGIN));
                break;
            case Motion::kSingleStep:
                ASSERT_TRUE(page.Choose(P::IDC_STEP_CHOICE, 1));
                ASSERT_TRUE(page.Click(P::IDC_STEP_START));
                break;
            case Motion::kContinuous:
                ASSERT_TRUE(page.Click(P::IDC_CONT_START));
                break;
            case Motion::kJog:
                ASSERT_TRUE(page.MouseDown(P::IDC_JOG_OPPOSITE));
                break;
        }
    }

    // The first command of the motion that moves the table.
    std::string MotionCommand() const {
        switch (Race().motion) {
            case Motion::kOrigin:
                return "OE 0 1 1";
            case Motion::kJog:
                return "OE 17 1 1";
            default:
                return kStart1;
        }
    }

    bool PollOnTheLine() const { return h.ctx.trx.PollInFlight(); }

    // Runs until the outstanding thing of the row is due.
    void MakeOutstanding(FakeForm& page, std::size_t mark) {
        const std::string start = MotionCommand();
        switch (Race().outstanding) {
            case Outstanding::kMotionReply:
                ASSERT_TRUE(h.RunUntil([&] { return TimeOf(start, mark) >= 0; }, 5000));
                h.Advance(kActAfterMs);
                ASSERT_TRUE(h.ctx.trx.InFlight()) << "the motion's reply came already";
                break;
            case Outstanding::kPollReply:
                ASSERT_TRUE(h.RunUntil([&] { return TimeOf(start, mark) >= 0; }, 5000));
                if (Race().motion == Motion::kContinuous) {
                    // A poll that leaves after the step is in position and reports it late.
                    ASSERT_TRUE(
                        h.RunUntil([&] { return h.bus.ControllerAt(0).InPosition(); }, 5000));
                    ASSERT_TRUE(h.RunUntil([&] { return !PollOnTheLine(); }, 2000));
                }
                ASSERT_TRUE(h.RunUntil([&] { return PollOnTheLine(); }, 2000));
                // Within the poll's own time-out at every line speed.
                h.Advance(kActInPollMs);
                ASSERT_TRUE(PollOnTheLine());
                break;
            case Outstanding::kAlarmRead:
                ASSERT_TRUE(h.RunUntil([&] { return TimeOf(start, mark) >= 0; }, 5000));
                h.Advance(200);
                h.bus.ControllerAt(0).RaiseAlarm(4);
                ASSERT_TRUE(h.RunUntil([&] { return TimeOf("RE", mark) >= 0; }, 5000));
                h.Advance(kActAfterMs);
                ASSERT_EQ(h.ctx.trx.currentOp, OP_ALARM);
                ASSERT_TRUE(h.ctx.trx.InFlight());
                break;
            case Outstanding::kStopWait:
                ASSERT_TRUE(h.RunUntil([&] { return TimeOf(start, mark) >= 0; }, 5000));
                h.Advance(200);
                ASSERT_TRUE(page.Click(P::IDC_CONT_END));
                h.Advance(200);
                ASSERT_EQ(h.ctx.trx.currentOp, OP_STOP);
                ASSERT_EQ(TimeOf(kStop, mark), -1);
                break;
        }
    }

    void Act(FakeForm& page) {
        switch (Race().action) {
            case Action::kServoOff:
                ASSERT_TRUE(page.Click(P::IDC_SERVO));
                break;
            case Action::kEnd:
                ASSERT_TRUE(page.Click(P::IDC_CONT_END));
                break;
            case Action::kStepStop:
                ASSERT_TRUE(page.Click(P::IDC_STEP_STOP));
                break;
            case Action::kLeavePage:
                mainForm->Choose(CMain::IDC_TABS, kPageStep);
                break;
            case Action::kLeaveToIoPage:
                mainForm->Choose(CMain::IDC_TABS, kPageIo);
                break;
            case Action::kClose:
                mainForm->Close();
                break;
            case Action::kAlarm:
                h.bus.ControllerAt(0).RaiseAlarm(4);
                break;
        }
        if (Race().motion == Motion::kJog) {
            page.MouseUp(P::IDC_JOG_OPPOSITE);  // the button is let go after the action
        }
    }

    // Polls sent after the last command.
    std::size_t PollsAfterLastCommand() const {
        std::size_t polls = 0;
        for (const sim::LineRecord& r : h.bus.Log()) {
            if (r.direction != sim::Direction::kRequest) {
                continue;
            }
            polls = r.code == "MO" ? polls + 1 : 0;
        }
        return polls;
    }
};

TEST_P(RaceTest, StopGoesOutAndNothingStartsAgain) {
    RunOnPage([&](FakeForm& page, CPageDrv& /*drive*/) {
        const RaceCase& race = Race();
        if (race.motion != Motion::kOrigin) {
            Home(page);
        }
        if (race.motion == Motion::kContinuous) {
            OneStepTable(page);
        }
        switch (race.outstanding) {
            case Outstanding::kMotionReply:
                Late("OE");
                break;
            case Outstanding::kPollReply:
                Late("MO");
                break;
            case Outstanding::kAlarmRead:
                Late("RE");
                break;
            case Outstanding::kStopWait:
                break;
        }
        const std::size_t mark = Mark();
        StartMotion(page);
        MakeOutstanding(page, mark);
        Act(page);
        if (race.action == Action::kClose) {
            ASSERT_TRUE(h.RunUntil([&] { return mainForm->Ended(); }, 20000));
        } else {
            // Long enough for every late reply, the stop's wait and a few polls after it.
            h.Advance(3000);
            ASSERT_TRUE(h.RunUntil(
                [&] {
                    return h.ctx.status.linkState == kLinkOnline && h.ctx.trx.currentOp == OP_IDLE;
                },
                10000));
            h.Advance(1000);
        }
        Commands commands = CommandsSince(mark);
        if (race.action == Action::kLeaveToIoPage) {
            // The I/O page's own upload follows the stop.
            ASSERT_GT(commands.size(), 2U);
            EXPECT_EQ(commands[2], kStop);
            EXPECT_EQ(commands.back(), "EE 0 20");
            EXPECT_NE(h.ctx.status.flags & kFlagDetailRead, 0);
            commands.resize(2);
        }
        EXPECT_EQ(commands, race.expected);
        const sim::SimController& c = h.bus.ControllerAt(0);
        EXPECT_FALSE(c.Moving());
        if (race.servoOffAtEnd) {
            EXPECT_FALSE(c.ServoOn());
        }
        EXPECT_EQ(h.prompter.Count(kNoResponse), 0);
        if (race.action != Action::kClose) {
            EXPECT_GE(PollsAfterLastCommand(), 3U) << "the monitor poll did not go on";
            EXPECT_EQ(h.ctx.status.linkState, kLinkOnline);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Races, RaceTest, ::testing::Combine(::testing::ValuesIn(kRaces), ::testing::ValuesIn(kTimings)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

}  // namespace
}  // namespace tavro::test
