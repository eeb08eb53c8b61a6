// The repeatability run against the simulated controller with a known arrival scatter, on a
// line with real timing: what it records, how it judges, and that End, Servo Off, leaving the
// window and an alarm stop it at once, also while a reply is still due.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "link/StringIds.h"
#include "monitor/CDlgRepeat.h"
#include "sim/FaultPlan.h"
#include "tests/monitor/page_fixture.h"

namespace tavro::test {
namespace {

using P = CPageDrv;
using W = CDlgRepeat;

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

enum class Act { kNone, kEnd, kServoOff, kClose, kAlarm };

struct RunCase {
    const char* name;
    int series;
    double scatterUm;
    const char* late;  // replies to this command come 300 ms late; nullptr: none
    Act act;           // after two arrivals, as the next move is under way
    int endText;       // the window's state at the end
    int verdictText;   // of both targets, when the run completes
};

const RunCase kRuns[] = {
    {"SpreadWithinRatingPasses", sim::kSeriesM, 15.0, nullptr, Act::kNone,
     ids::IDS_REPEAT_COMPLETED, ids::IDS_REPEAT_PASS},
    {"SpreadBeyondRatingFails", sim::kSeriesF, 40.0, nullptr, Act::kNone, ids::IDS_REPEAT_COMPLETED,
     ids::IDS_REPEAT_FAIL},
    {"LatePollsStillCountEveryArrival", sim::kSeriesM, 15.0, "MO", Act::kNone,
     ids::IDS_REPEAT_COMPLETED, ids::IDS_REPEAT_PASS},
    {"EndWhileTheMoveIsAnswered", sim::kSeriesM, 15.0, "OE", Act::kEnd, ids::IDS_REPEAT_STOPPED, 0},
    {"EndWhileAPollIsDue", sim::kSeriesM, 15.0, "MO", Act::kEnd, ids::IDS_REPEAT_STOPPED, 0},
    {"ServoOffWhileTheMoveIsAnswered", sim::kSeriesM, 15.0, "OE", Act::kServoOff,
     ids::IDS_REPEAT_STOPPED, 0},
    {"LeavingTheWindowWhileAPollIsDue", sim::kSeriesM, 15.0, "MO", Act::kClose,
     ids::IDS_REPEAT_STOPPED, 0},
    {"AlarmStops", sim::kSeriesM, 15.0, nullptr, Act::kAlarm, ids::IDS_REPEAT_ALARM, 0},
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr int kCycles = 4;
constexpr std::int64_t kLateMs = 300;
constexpr int kStep1Um = 5000;
constexpr int kStep2Um = 15000;
constexpr int kNoResponse = 306;
// Result columns.
constexpr int kColArrivals = 2;
constexpr int kColMin = 5;
constexpr int kColMax = 6;
constexpr int kColHalfRange = 8;
constexpr int kColResult = 11;
constexpr int kColMoveMean = 12;

sim::ControllerOptions OptionsFor(const RunCase& c, const LineTiming& t) {
    sim::ControllerOptions o;
    o.baud = t.baud;
    o.series = c.series;
    o.scatterUm = c.scatterUm;
    o.scatterDraws = 7;
    o.presets = {{3, 0, static_cast<float>(kStep1Um)}, {4, 0, static_cast<float>(kStep2Um)}};
    return o;
}

class RepeatRunTest : public DrivePageTest,
                      public ::testing::WithParamInterface<std::tuple<RunCase, LineTiming>> {
  protected:
    RepeatRunTest() : DrivePageTest(OptionsFor(Case(), Timing())) {
        h.WriteSettings(AppSettings().Auto(1).SearchAuto(1).Speed(Timing().baud));
        h.bus.SetByteTiming(Timing().byteTiming);
    }
    static const RunCase& Case() { return std::get<0>(GetParam()); }
    static const LineTiming& Timing() { return std::get<1>(GetParam()); }

    void Late(const char* code) {
        sim::Fault f(sim::FaultKind::kExtraDelay, sim::kUnlimited);
        f.code = code;
        f.delayMs = kLateMs;
        h.bus.Faults().Add(f);
    }

    // Arrivals the window reports so far, from its result list.
    static int Arrivals(const FakeForm& w) {
        int n = 0;
        for (int r = 0; r < w.ListRowCount(W::IDC_RESULTS); ++r) {
            n += std::stoi(w.ListCell(W::IDC_RESULTS, r, kColArrivals));
        }
        return n;
    }
    static double Cell(const FakeForm& w, int row, int column) {
        return std::stod(w.ListCell(W::IDC_RESULTS, row, column));
    }

    bool Ended(const FakeForm& w) const {
        const std::string state = w.Text(W::IDC_STATE);
        return state != h.strings.Text(ids::IDS_REPEAT_RUNNING) &&
               state != h.strings.Text(ids::IDS_REPEAT_READING);
    }

    // Runs until a start of the next move has gone out, then acts while its reply or a poll
    // is still due.
    void ActDuringTheNextMove(FakeForm& w, std::size_t mark) {
        const std::size_t starts = StartsSince(mark).size();
        ASSERT_TRUE(h.RunUntil([&] { return StartsSince(mark).size() > starts; }, 20000));
        if (Case().late != nullptr && std::string(Case().late) == "OE") {
            h.Advance(80);
            ASSERT_TRUE(h.ctx.trx.InFlight()) << "the move's reply came already";
        } else if (Case().late != nullptr) {
            ASSERT_TRUE(h.RunUntil([&] { return h.ctx.trx.PollInFlight(); }, 2000));
            h.Advance(20);
            ASSERT_TRUE(h.ctx.trx.PollInFlight());
        } else {
            h.Advance(200);
        }
        switch (Case().act) {
            case Act::kEnd:
                ASSERT_TRUE(w.Click(W::IDC_END));
                break;
            case Act::kServoOff:
                ASSERT_TRUE(w.Click(W::IDC_SERVO_OFF));
                break;
            case Act::kClose:
                ASSERT_TRUE(w.Close());
                break;
            case Act::kAlarm:
                h.bus.ControllerAt(0).RaiseAlarm(4);
                break;
            case Act::kNone:
                break;
        }
    }

    std::size_t PollsAfterLastCommand() const {
        std::size_t polls = 0;
        for (const sim::LineRecord& r : h.bus.Log()) {
            if (r.direction == sim::Direction::kRequest) {
                polls = r.code == "MO" ? polls + 1 : 0;
            }
        }
        return polls;
    }
};

TEST_P(RepeatRunTest, RecordsJudgesAndStops) {
    const RunCase& c = Case();
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        if (c.late != nullptr) {
            Late(c.late);
        }
        const std::size_t mark = Mark();
        int arrivalsAtAct = -1;
        std::size_t startsAtAct = 0;
        std::string endState;
        std::vector<std::string> results;
        h.OnModal(W::kTemplate, [&](FakeForm& w) {
            // Between steps 1 and 2, the window's default.
            ASSERT_TRUE(w.TypeText(W::IDC_CYCLES, std::to_string(kCycles)));
            ASSERT_TRUE(w.Click(W::IDC_START));
            EXPECT_FALSE(w.IsEnabled(W::IDC_START));
            EXPECT_TRUE(w.IsEnabled(W::IDC_END));
            if (c.act != Act::kNone) {
                ASSERT_TRUE(h.RunUntil([&] { return Arrivals(w) >= 2; }, 60000));
                ActDuringTheNextMove(w, mark);
                arrivalsAtAct = Arrivals(w);
                startsAtAct = StartsSince(mark).size();
                if (c.act == Act::kClose) {
                    endState = w.Text(W::IDC_STATE);
                    return;
                }
            }
            ASSERT_TRUE(h.RunUntil([&] { return Ended(w); }, 120000));
            h.Advance(3000);
            endState = w.Text(W::IDC_STATE);
            for (int r = 0; r < w.ListRowCount(W::IDC_RESULTS); ++r) {
                results.push_back(w.ListCell(W::IDC_RESULTS, r, kColResult));
            }
            if (c.act == Act::kNone) {
                ASSERT_EQ(w.ListRowCount(W::IDC_RESULTS), 2);
                const double targets[] = {kStep1Um / 1000.0, kStep2Um / 1000.0};
                for (int r = 0; r < 2; ++r) {
                    EXPECT_EQ(std::stoi(w.ListCell(W::IDC_RESULTS, r, kColArrivals)), kCycles);
                    // Every arrival lies within the scatter (and a count of the position
                    // conversion) of its target.
                    const double slack = (c.scatterUm + 2.0) / 1000.0;
                    EXPECT_GE(Cell(w, r, kColMin), targets[r] - slack);
                    EXPECT_LE(Cell(w, r, kColMax), targets[r] + slack);
                    EXPECT_LE(Cell(w, r, kColHalfRange), slack);
                    EXPECT_GT(Cell(w, r, kColMoveMean), 0.0);
                }
                EXPECT_TRUE(w.IsEnabled(W::IDC_SAVE));
            } else {
                EXPECT_EQ(Arrivals(w), arrivalsAtAct) << "an arrival was recorded after the stop";
            }
            EXPECT_TRUE(w.IsEnabled(W::IDC_START));
            ASSERT_TRUE(w.Click(W::IDC_CLOSE));
        });
        ASSERT_TRUE(page.Click(P::IDC_REPEATABILITY));
        EXPECT_EQ(endState, h.strings.Text(static_cast<int>(c.endText)));
        // Long enough for the late replies, the stop and polls after it.
        h.Advance(3000);
        ASSERT_TRUE(h.RunUntil(
            [&] { return h.ctx.status.linkState == kLinkOnline && h.ctx.trx.currentOp == OP_IDLE; },
            10000));
        h.Advance(1000);

        const std::vector<std::string> starts = StartsSince(mark);
        if (c.act == Act::kNone) {
            ASSERT_EQ(starts.size(), static_cast<std::size_t>(2 * kCycles));
            for (std::size_t i = 0; i < starts.size(); ++i) {
                EXPECT_EQ(starts[i], i % 2 == 0 ? "OE 1 1 1" : "OE 2 1 1") << i;
            }
            for (const std::string& r : results) {
                EXPECT_EQ(r, h.strings.Text(c.verdictText));
            }
        } else {
            EXPECT_EQ(starts.size(), startsAtAct) << "a move started after the stop";
        }
        const std::vector<std::string> commands = CommandsSince(mark);
        ASSERT_FALSE(commands.empty());
        const std::string stop = c.act == Act::kAlarm ? "RE" : "OE 0 0 0";
        EXPECT_EQ(commands.back(), stop);
        const sim::SimController& ctl = h.bus.ControllerAt(0);
        EXPECT_FALSE(ctl.Moving());
        EXPECT_FALSE(ctl.ServoOn());
        EXPECT_EQ(h.prompter.Count(kNoResponse), 0);
        EXPECT_GE(PollsAfterLastCommand(), 3U) << "the monitor poll did not go on";
    });
}

INSTANTIATE_TEST_SUITE_P(Runs, RepeatRunTest,
                         ::testing::Combine(::testing::ValuesIn(kRuns),
                                            ::testing::ValuesIn(kTimings)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// The window refuses what it cannot run, and sends nothing for it.
class RepeatWindowTest : public DrivePageTest {
  protected:
    RepeatWindowTest() : DrivePageTest(Options()) {}
    static sim::ControllerOptions Options() {
        sim::ControllerOptions o;
        o.series = sim::kSeriesM;
        o.presets = {{3, 0, static_cast<float>(kStep1Um)}, {4, 0, static_cast<float>(kStep2Um)}};
        return o;
    }
};

TEST_F(RepeatWindowTest, RefusesBadInputAndSendsNothing) {
    struct Refusal {
        const char* cycles;
        const char* settle;
        int other;  // item of the other step
        int message;
    };
    const Refusal refusals[] = {
        {"0", "100", 1, ids::IDS_REPEAT_CYCLES_RANGE},
        {"10001", "100", 1, ids::IDS_REPEAT_CYCLES_RANGE},
        {"ten", "100", 1, ids::IDS_REPEAT_CYCLES_RANGE},
        {"10", "-1", 1, ids::IDS_REPEAT_SETTLE_RANGE},
        {"10", "10001", 1, ids::IDS_REPEAT_SETTLE_RANGE},
        {"10", "100", 0, ids::IDS_REPEAT_SAME_STEPS},
    };
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        const std::size_t mark = Mark();
        h.OnModal(W::kTemplate, [&](FakeForm& w) {
            for (const Refusal& r : refusals) {
                ASSERT_TRUE(w.TypeText(W::IDC_CYCLES, r.cycles));
                ASSERT_TRUE(w.TypeText(W::IDC_SETTLE, r.settle));
                ASSERT_TRUE(w.Choose(W::IDC_OTHER, r.other));
                const int before = h.prompter.Count(r.message);
                ASSERT_TRUE(w.Click(W::IDC_START));
                EXPECT_EQ(h.prompter.Count(r.message), before + 1) << r.cycles << " " << r.settle;
                h.Advance(500);
                EXPECT_TRUE(w.IsEnabled(W::IDC_START));
            }
            ASSERT_TRUE(w.Click(W::IDC_CLOSE));
        });
        ASSERT_TRUE(page.Click(P::IDC_REPEATABILITY));
        EXPECT_TRUE(StartsSince(mark).empty());
    });
}

TEST_F(RepeatWindowTest, BetweenTwoStepsWantsTheOriginFirst) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        const std::size_t mark = Mark();
        h.OnModal(W::kTemplate, [&](FakeForm& w) {
            ASSERT_TRUE(w.Click(W::IDC_START));
            // The step data are read first.
            ASSERT_TRUE(h.RunUntil([&] { return h.prompter.Count(705) == 1; }, 10000));
            ASSERT_TRUE(w.Click(W::IDC_CLOSE));
        });
        ASSERT_TRUE(page.Click(P::IDC_REPEATABILITY));
        h.Advance(500);
        EXPECT_TRUE(StartsSince(mark).empty());
    });
}

// One step is approached from the origin each cycle, so it runs without a return first; the
// CSV beside the report holds each arrival.
TEST_F(RepeatWindowTest, OneStepFromTheOriginAndItsCsv) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        const std::size_t mark = Mark();
        const std::string pdf = h.dir.File("run.pdf");
        h.chooser.ChooseNext(pdf);
        h.OnModal(W::kTemplate, [&](FakeForm& w) {
            ASSERT_TRUE(w.Click(W::IDC_ONE_STEP));
            EXPECT_FALSE(w.IsEnabled(W::IDC_OTHER));
            ASSERT_TRUE(w.TypeText(W::IDC_CYCLES, "3"));
            ASSERT_TRUE(w.TypeText(W::IDC_SETTLE, "250"));
            ASSERT_TRUE(w.Click(W::IDC_START));
            ASSERT_TRUE(h.RunUntil([&] { return !w.IsEnabled(W::IDC_END); }, 120000));
            EXPECT_EQ(w.Text(W::IDC_STATE), h.strings.Text(ids::IDS_REPEAT_COMPLETED));
            ASSERT_EQ(w.ListRowCount(W::IDC_RESULTS), 1);
            EXPECT_EQ(w.ListCell(W::IDC_RESULTS, 0, kColArrivals), "3");
            // Without scatter the table arrives on its target each time.
            EXPECT_EQ(w.ListCell(W::IDC_RESULTS, 0, kColMin), "5.000");
            EXPECT_EQ(w.ListCell(W::IDC_RESULTS, 0, kColMax), "5.000");
            ASSERT_TRUE(w.Click(W::IDC_SAVE));
            EXPECT_EQ(h.prompter.Count(ids::IDS_REPEAT_SAVED), 1);
            ASSERT_TRUE(w.Click(W::IDC_CLOSE));
        });
        ASSERT_TRUE(page.Click(P::IDC_REPEATABILITY));
        EXPECT_EQ(StartsSince(mark),
                  (std::vector<std::string>{"OE 0 1 1", "OE 1 1 1", "OE 0 1 1", "OE 1 1 1",
                                            "OE 0 1 1", "OE 1 1 1"}));
        std::ifstream csv(h.dir.File("run.csv"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(csv, line);) {
            lines.push_back(line);
        }
        ASSERT_EQ(lines.size(), 4U);
        EXPECT_EQ(lines[1].substr(0, 22), "1,1,5.000,5.000,+0.000");
        EXPECT_EQ(lines[3].substr(0, 22), "3,1,5.000,5.000,+0.000");
    });
}

// Over a motion of the page the modal window would hide the page's stop buttons.
TEST_F(RepeatWindowTest, DoesNotOpenWhileTheSingleStepRuns) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        Home(page);
        ASSERT_TRUE(page.Choose(P::IDC_STEP_CHOICE, 1));
        ASSERT_TRUE(page.Click(P::IDC_STEP_START));
        h.Advance(500);
        const int before = h.Created(W::kTemplate);
        page.Click(P::IDC_REPEATABILITY);
        EXPECT_EQ(h.Created(W::kTemplate), before);
        ASSERT_TRUE(page.Click(P::IDC_STEP_STOP));
        ASSERT_TRUE(Settle());
    });
}

// The continuous table up to its End: the one-time origin row runs in the first cycle only.
TEST_F(RepeatWindowTest, TheContinuousTableWithAOneTimeOrigin) {
    RunOnPage([&](FakeForm& page, CPageDrv&) {
        // Row 1 is the return to origin, marked one time; row 2 step 1; row 3 End.
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 1, 2));
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, 2));
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 2, 2));
        ASSERT_TRUE(page.Choose(P::IDC_ROW_CHOICE, 0));
        ASSERT_TRUE(page.ClickCell(P::IDC_TABLE, 0, 2));
        ASSERT_TRUE(page.ListIsRowChecked(P::IDC_TABLE, 0));
        const std::size_t mark = Mark();
        h.OnModal(W::kTemplate, [&](FakeForm& w) {
            ASSERT_TRUE(w.Click(W::IDC_TABLE));
            EXPECT_FALSE(w.IsEnabled(W::IDC_STEP));
            ASSERT_TRUE(w.TypeText(W::IDC_CYCLES, "3"));
            ASSERT_TRUE(w.Click(W::IDC_START));
            ASSERT_TRUE(h.RunUntil([&] { return !w.IsEnabled(W::IDC_END); }, 120000));
            EXPECT_EQ(w.Text(W::IDC_STATE), h.strings.Text(ids::IDS_REPEAT_COMPLETED));
            ASSERT_EQ(w.ListRowCount(W::IDC_RESULTS), 1);
            EXPECT_EQ(w.ListCell(W::IDC_RESULTS, 0, 0), "1");
            EXPECT_EQ(w.ListCell(W::IDC_RESULTS, 0, kColArrivals), "3");
            ASSERT_TRUE(w.Click(W::IDC_CLOSE));
        });
        ASSERT_TRUE(page.Click(P::IDC_REPEATABILITY));
        EXPECT_EQ(StartsSince(mark),
                  (std::vector<std::string>{"OE 0 1 1", "OE 1 1 1", "OE 1 1 1", "OE 1 1 1"}));
    });
}

}  // namespace
}  // namespace tavro::test
