#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/cli/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace tavro::cli::test {
namespace {

// Generous bounds for real time on a busy machine; nothing waits this long when it works.
constexpr int kStartMs = 10000;
constexpr int kCommandMs = 60000;
constexpr const char* kBaud = "57600";

// tavro-sim and tavro-cli as child processes over a pseudo-terminal, with folders of their
// own for the port registry and the settings.
class CliEndToEnd : public ::testing::Test {
  protected:
    ChildProcess::Variables Variables() const {
        return {{"XDG_RUNTIME_DIR", runtime.Path()},
                {"XDG_CONFIG_HOME", config.Path()},
                {"LC_ALL", "C"}};
    }

    // Starts the simulator; its terminal's path, empty when it did not come up.
    std::string StartSim(std::vector<std::string> options) {
        std::vector<std::string> argv = {TAVRO_SIM_EXE, "--baud", kBaud};
        argv.insert(argv.end(), options.begin(), options.end());
        sim = std::make_unique<ChildProcess>(argv, Variables(), files.File("sim.out"),
                                             files.File("sim.err"));
        port = FirstLine(files.File("sim.out"), kStartMs);
        return port;
    }

    // Runs tavro-cli to its end against the simulator; its exit status (-1: it hung).
    int Cli(std::vector<std::string> args) {
        args.insert(args.begin(), TAVRO_CLI_EXE);
        args.insert(args.end(), {"--port", port, "--baud", kBaud});
        ChildProcess cli(args, Variables(), files.File("cli.out"), files.File("cli.err"));
        const int status = cli.Wait(kCommandMs);
        out = ReadFile(files.File("cli.out"));
        err = ReadFile(files.File("cli.err"));
        return status;
    }

    std::string SimLog() const { return ReadFile(files.File("sim.err")); }

    bool ConfigEmpty() const {
        return std::filesystem::directory_iterator(config.Path()) ==
               std::filesystem::directory_iterator();
    }

    tavro::test::TempDir runtime;
    tavro::test::TempDir config;
    tavro::test::TempDir files;
    std::unique_ptr<ChildProcess> sim;
    std::string port;
    std::string out;
    std::string err;
};

TEST_F(CliEndToEnd, SearchFindsTheSimulatedIds) {
    ASSERT_FALSE(StartSim({"--quiet", "--id", "1,3"}).empty());
    ASSERT_EQ(Cli({"search", "--from", "1", "--to", "3"}), 0) << err;
    EXPECT_EQ(out, "1\n3\n");
    EXPECT_TRUE(ConfigEmpty()) << "no settings written";
    EXPECT_EQ(sim->Stop(), 0);
}

// Over the real serial backend, with the simulator keeping the line's byte timing: the
// short probe time still hears each controller.
TEST_F(CliEndToEnd, QuickSearchFindsTheSimulatedIds) {
    ASSERT_FALSE(StartSim({"--quiet", "--id", "1,3,20", "--byte-timing"}).empty());
    ASSERT_EQ(Cli({"search", "--quick", "--from", "1", "--to", "20"}), 0) << err;
    EXPECT_EQ(out, "1\n3\n20\n");
    EXPECT_TRUE(ConfigEmpty()) << "no settings written";
    EXPECT_EQ(sim->Stop(), 0);
}

TEST_F(CliEndToEnd, SaveThenLoadRoundTrips) {
    ASSERT_FALSE(StartSim({"--quiet"}).empty());
    ASSERT_EQ(Cli({"save-steps", files.File("a.dat")}), 0) << err;
    std::string text = ReadFile(files.File("a.dat"));
    const std::string step2 = "\r\n2,0.000,1.00,20,";
    const std::size_t at = text.find(step2);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at, step2.size(), "\r\n2,12500.000,2.25,20,");
    files.Write("b.dat", text);

    ASSERT_EQ(Cli({"load-steps", files.File("b.dat")}), 0) << err;
    EXPECT_NE(err.find("345: Update complete."), std::string::npos) << err;
    ASSERT_EQ(Cli({"save-steps", files.File("c.dat")}), 0) << err;
    EXPECT_EQ(ReadFile(files.File("c.dat")), text);
    EXPECT_TRUE(ConfigEmpty());
}

TEST_F(CliEndToEnd, RejectedFileSendsNothing) {
    ASSERT_FALSE(StartSim({"--verbose"}).empty());
    files.Write("bad.dat",
                "[Tavro Motor Controller Step Data]\r\n:FormatVersion=2.20\r\n:RecodeSize=07\r\n");
    EXPECT_EQ(Cli({"load-steps", files.File("bad.dat")}), 6);
    EXPECT_NE(err.find("310: File format is not correct."), std::string::npos) << err;

    // The simulator logs each request when it arrives, before it answers, and the tool
    // would have waited for the answers before it ended.
    const std::string log = SimLog();
    EXPECT_EQ(log.find(" -> "), std::string::npos) << log;

    // The same log shows a command that does talk.
    ASSERT_EQ(Cli({"info"}), 0) << err;
    EXPECT_EQ(sim->Stop(), 0);
    EXPECT_NE(SimLog().find(" -> :01 OE 0 0 0FB"), std::string::npos) << SimLog();
}

TEST_F(CliEndToEnd, SilentControllerGives306AndANonZeroStatusInBoundedTime) {
    ASSERT_FALSE(StartSim({"--quiet", "--fault", "no-reply:*"}).empty());
    EXPECT_EQ(Cli({"info"}), 4);
    EXPECT_NE(err.find("306: No response from the controller."), std::string::npos) << err;
    EXPECT_EQ(out, "");
}

// The simulator is killed in the middle of the detail upload, as an adapter is pulled out:
// the tool hears the terminal hang up and ends with status 3 and the disconnection message,
// not with 306 after its resends.
TEST_F(CliEndToEnd, KilledSimulatorMidUploadEndsWithStatus3) {
    std::vector<std::string> argv = {TAVRO_SIM_EXE, "--baud", "9600", "--byte-timing", "--verbose"};
    sim = std::make_unique<ChildProcess>(argv, Variables(), files.File("sim.out"),
                                         files.File("sim.err"));
    port = FirstLine(files.File("sim.out"), kStartMs);
    ASSERT_FALSE(port.empty());
    ChildProcess cli({TAVRO_CLI_EXE, "dump", "--port", port, "--baud", "9600"}, Variables(),
                     files.File("cli.out"), files.File("cli.err"));
    // Half-way: the simulator has logged a number of parameter reads.
    const auto reads = [this] {
        const std::string log = SimLog();
        std::size_t n = 0;
        for (std::size_t at = log.find(" EE "); at != std::string::npos;
             at = log.find(" EE ", at + 1)) {
            ++n;
        }
        return n;
    };
    for (int waited = 0; reads() < 10 && waited < kCommandMs; waited += 10) {
        ::usleep(10 * 1000);
    }
    ASSERT_GE(reads(), 10U) << SimLog();
    sim->Kill();
    EXPECT_EQ(cli.Wait(kCommandMs), 3);
    err = ReadFile(files.File("cli.err"));
    EXPECT_NE(err.find("2411: The serial port was disconnected."), std::string::npos) << err;
    EXPECT_EQ(err.find("306:"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(files.File("cli.out")), "");
}

}  // namespace
}  // namespace tavro::cli::test
