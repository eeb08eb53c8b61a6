#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "sim/FaultPlan.h"
#include "tests/cli/CliFixture.h"

namespace tavro::cli::test {
namespace {

using sim::Fault;
using sim::FaultKind;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

sim::ControllerOptions At(int baud) {
    sim::ControllerOptions o;
    o.baud = baud;
    return o;
}

class CommLog : public CliFixture, public ::testing::WithParamInterface<int> {
  protected:
    void AddFault(FaultKind kind, int skip) {
        Fault f(kind);
        f.code = "EE";
        f.skip = skip;
        bus.Faults().Add(f);
    }
};

TEST_P(CommLog, TraceCsvHoldsEveryFrameAndStatsSumsThemUp) {
    AddController(At(GetParam()));
    bus.SetByteTiming(true);
    AddFault(FaultKind::kCorruptChecksum, 5);
    AddFault(FaultKind::kNoReply, 9);
    const std::string csv = files.File("log.csv");
    ASSERT_EQ(Run({"dump", "--baud", std::to_string(GetParam()), "--trace-csv", csv, "--stats"}),
              kExitOk)
        << err.str();
    const auto rows = Lines(files.Read("log.csv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0],
              "time_ms,direction,id,command,transmission,poll,frame,status,outcome,"
              "latency_ms");
    std::size_t sent = 0;
    std::size_t received = 0;
    std::size_t timeouts = 0;
    std::size_t rejected = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        sent += rows[i].find(",sent,") != std::string::npos ? 1 : 0;
        received += rows[i].find(",received,") != std::string::npos ? 1 : 0;
        timeouts += rows[i].find(",timeout,1,EE,1,0,") != std::string::npos ? 1 : 0;
        rejected += rows[i].find(",checksum,rejected,") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(sent, bus.Requests().size());
    EXPECT_EQ(received, bus.Replies().size());
    EXPECT_EQ(timeouts, 1U);
    EXPECT_EQ(rejected, 1U);
    EXPECT_EQ(files.Read("log.csv").find(".tmp"), std::string::npos);
    const auto lines = Lines(err.str());
    ASSERT_FALSE(lines.empty());
    const std::string& stats = lines.back();
    EXPECT_EQ(stats.rfind("stats: Commands ", 0), 0U) << stats;
    EXPECT_NE(stats.find(", resends 2, time-outs 1, NG 0, latency p50 "), std::string::npos)
        << stats;
    EXPECT_NE(out.str(), "") << "the parameters are printed as ever";
}

INSTANTIATE_TEST_SUITE_P(Cli, CommLog, ::testing::Values(9600, 57600));

TEST_F(CliFixture, TraceCsvThatCannotBeWrittenStopsBeforeTheLine) {
    AddController();
    const std::string csv = files.File("no/such/folder/log.csv");
    EXPECT_EQ(Run({"info", "--trace-csv", csv}), kExitIoError);
    EXPECT_NE(err.str().find("2127: The log could not be saved to " + csv), std::string::npos)
        << err.str();
    EXPECT_TRUE(bus.Requests().empty());
}

TEST_F(CliFixture, TraceShowsWhatPassiveHeldBack) {
    AddController().SetPhysicalInputs(sim::kBitSvon);
    Fault ng(FaultKind::kNg);
    ng.code = "EE";
    bus.Faults().Add(ng);
    EXPECT_EQ(Run({"info", "--passive", "--trace"}), kExitAlarm);
    std::size_t heldBack = 0;
    for (const auto& line : Lines(err.str())) {
        if (line.find(" ms -x :") == std::string::npos) {
            continue;
        }
        ++heldBack;
        const std::string frame = line.substr(line.find(":") + 1);
        for (const auto& r : bus.Requests()) {
            EXPECT_EQ(frame.find(r.command), std::string::npos) << "held back, yet on the line";
        }
    }
    EXPECT_GT(heldBack, 0U) << err.str();
}

}  // namespace
}  // namespace tavro::cli::test
