// tavro-cli repeat against the simulated controller with a known scatter, in virtual time and
// with real byte timing: the moves it sends, its result lines, the CSV beside the report, and
// that an alarm or Ctrl-C stops it with the actuator stopped.

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "sim/ControllerOptions.h"
#include "tests/cli/CliFixture.h"

namespace tavro::cli::test {
namespace {

sim::ControllerOptions Scattering(int baud) {
    sim::ControllerOptions o;
    o.series = sim::kSeriesM;
    o.baud = baud;
    o.scatterUm = 15.0;
    o.scatterDraws = 3;
    o.presets = {{3, 0, 5000.0F}, {4, 0, 15000.0F}};
    return o;
}

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class RepeatCli : public CliFixture {
  protected:
    // The motion commands on the line: "OE s 1 1" starts, "OE 0 0 0" stops.
    std::vector<std::string> Moves() const {
        std::vector<std::string> out;
        for (const auto& r : bus.Requests()) {
            if (r.code == "OE") {
                out.push_back(r.command);
            }
        }
        return out;
    }
    std::vector<std::string> Starts() const {
        std::vector<std::string> out;
        for (const std::string& m : Moves()) {
            if (m.size() > 4 && m.substr(m.size() - 4) == " 1 1") {
                out.push_back(m);
            }
        }
        return out;
    }
};

struct Speed {
    const char* name;
    int baud;
    bool byteTiming;
};
const Speed kSpeeds[] = {
    {"Instant", 19200, false}, {"Bps9600", 9600, true}, {"Bps57600", 57600, true}};

class RepeatCliSpeed : public RepeatCli, public ::testing::WithParamInterface<Speed> {};

TEST_P(RepeatCliSpeed, BetweenTwoStepsAfterAReturnToOrigin) {
    AddController(Scattering(GetParam().baud));
    bus.SetByteTiming(GetParam().byteTiming);
    const std::string report = files.File("run.pdf");
    const int status = Run({"repeat", "--baud", std::to_string(GetParam().baud), "--step", "1",
                            "--to", "2", "--cycles", "4", "--report", report});
    EXPECT_EQ(status, kExitOk) << err.str();
    // The origin first, as no return was made, then the two steps in turn.
    EXPECT_EQ(Starts(),
              (std::vector<std::string>{"OE 0 1 1", "OE 1 1 1", "OE 2 1 1", "OE 1 1 1", "OE 2 1 1",
                                        "OE 1 1 1", "OE 2 1 1", "OE 1 1 1", "OE 2 1 1"}));
    const std::vector<std::string> moves = Moves();
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), "OE 0 0 0");
    EXPECT_FALSE(bus.ControllerAt(0).Moving());
    // One line per step: step, arrivals, mean, std dev, ± half range, ± rated, verdict.
    const std::string text = out.str();
    EXPECT_NE(text.find("1\t4\t"), std::string::npos) << text;
    EXPECT_NE(text.find("2\t4\t"), std::string::npos) << text;
    EXPECT_NE(text.find("\t0.020\tPASS\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("FAIL"), std::string::npos) << text;
    // Without the Qt build only the CSV is written, and it says so.
    EXPECT_NE(err.str().find("the PDF report needs the Qt build"), std::string::npos) << err.str();
    const std::vector<std::string> csv = Lines(files.File("run.csv"));
    ASSERT_EQ(csv.size(), 9U);
    EXPECT_EQ(csv[0], "cycle,step,target_mm,position_mm,deviation_mm,move_ms");
    EXPECT_EQ(csv[1].substr(0, 10), "1,1,5.000,");
    EXPECT_EQ(csv[8].substr(0, 11), "4,2,15.000,");
}

INSTANTIATE_TEST_SUITE_P(Speeds, RepeatCliSpeed, ::testing::ValuesIn(kSpeeds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RepeatCli, AnAlarmStopsTheRunAndKeepsWhatWasMeasured) {
    sim::SimController& c = AddController(Scattering(19200));
    const EventLoop::TimerId alarm = loop.StartTimer(9000, false, [&c] { c.RaiseAlarm(4); });
    const int status = Run({"repeat", "--step", "1", "--to", "2", "--cycles", "50", "--report",
                            files.File("run.pdf")});
    loop.StopTimer(alarm);
    EXPECT_EQ(status, kExitAlarm) << err.str();
    EXPECT_NE(err.str().find("The run did not complete: Stopped by an alarm."), std::string::npos)
        << err.str();
    const std::size_t startsAtEnd = Starts().size();
    EXPECT_LT(startsAtEnd, 20U);
    EXPECT_FALSE(c.Moving());
    EXPECT_FALSE(c.ServoOn());
    const std::vector<std::string> csv = Lines(files.File("run.csv"));
    EXPECT_GE(csv.size(), 2U);
    EXPECT_LT(csv.size(), 101U);
}

TEST_F(RepeatCli, InterruptedByCtrlCStopsTheActuator) {
    sim::SimController& c = AddController(Scattering(19200));
    interruptAtMs = 8000;
    const int status =
        Run({"repeat", "--step", "2", "--cycles", "100", "--report", files.File("run.pdf")});
    EXPECT_EQ(status, kExitInterrupted) << err.str();
    const std::vector<std::string> moves = Moves();
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves.back(), "OE 0 0 0");
    EXPECT_FALSE(c.Moving());
    EXPECT_FALSE(c.ServoOn());
}

TEST_F(RepeatCli, AnExistingCsvIsReplacedOnlyWithYes) {
    AddController(Scattering(19200));
    {
        std::ofstream old(files.File("run.csv"));
        old << "kept\n";
    }
    EXPECT_EQ(Run({"repeat", "--step", "1", "--cycles", "1", "--report", files.File("run.pdf")}),
              kExitUsage);
    EXPECT_TRUE(Moves().empty());
    EXPECT_EQ(Lines(files.File("run.csv")), std::vector<std::string>{"kept"});
    EXPECT_EQ(
        Run({"repeat", "--step", "1", "--cycles", "1", "--report", files.File("run.pdf"), "--yes"}),
        kExitOk)
        << err.str();
    EXPECT_EQ(Lines(files.File("run.csv")).size(), 2U);
}

}  // namespace
}  // namespace tavro::cli::test
