#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimCommandLine.h"

namespace tavro::sim::test {
namespace {

CommandLineResult Parse(std::vector<std::string> args, SimProgramOptions& options,
                        std::string& error) {
    args.insert(args.begin(), "tavro-sim");
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(args.size()), argv.data(), options, error);
}

TEST(CommandLine, DefaultsMakeOneFactoryController) {
    SimProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse({}, o, error), CommandLineResult::kRun) << error;
    ASSERT_EQ(o.controllers.size(), 1U);
    EXPECT_EQ(o.controllers[0].id, 1);
    EXPECT_EQ(o.controllers[0].version, "2.60");
    EXPECT_EQ(o.baud, 19200);
    EXPECT_FALSE(o.byteTiming);
    EXPECT_EQ(o.verbosity, 1);
}

TEST(CommandLine, DrawsStartTheChanceFaults) {
    SimProgramOptions o;
    std::string error;
    EXPECT_EQ(o.draws, 1U);
    ASSERT_EQ(Parse({"--draws", "42", "--fault", "lost-reply:*,chance=1"}, o, error),
              CommandLineResult::kRun)
        << error;
    EXPECT_EQ(o.draws, 42U);
    ASSERT_EQ(o.faults.size(), 1U);
    EXPECT_DOUBLE_EQ(o.faults[0].chance, 1.0);
    EXPECT_EQ(Parse({"--draws", "x"}, o, error), CommandLineResult::kError);
    EXPECT_EQ(Parse({"--draws", "-3"}, o, error), CommandLineResult::kError);
}

TEST(CommandLine, ScatterGivesEachControllerItsOwnSequence) {
    SimProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--id", "1,3", "--scatter-um", "20", "--draws", "9"}, o, error),
              CommandLineResult::kRun)
        << error;
    ASSERT_EQ(o.controllers.size(), 2U);
    EXPECT_DOUBLE_EQ(o.controllers[0].scatterUm, 20.0);
    EXPECT_DOUBLE_EQ(o.controllers[1].scatterUm, 20.0);
    EXPECT_EQ(o.controllers[0].scatterDraws, 9U);
    EXPECT_EQ(o.controllers[1].scatterDraws, 10U);
    for (const char* bad : {"-1", "1001", "x", ""}) {
        SimProgramOptions refused;
        EXPECT_EQ(Parse({"--scatter-um", bad}, refused, error), CommandLineResult::kError) << bad;
    }
}

TEST(CommandLine, EveryOptionReachesItsField) {
    SimProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--id",         "3,7",      "--id",        "9",          "--version",
                     "2.45",         "--series", "F",           "--stroke",   "10",
                     "--type",       "0",        "--baud",      "57600",      "--byte-timing",
                     "--delay",      "2.5",      "--state",     "/tmp/m",     "--fault",
                     "ng:2,code=EE", "--fault",  "noise",       "--position", "4.5",
                     "--workpiece",  "8",        "--any-speed", "--control",  "--verbose"},
                    o, error),
              CommandLineResult::kRun)
        << error;
    ASSERT_EQ(o.controllers.size(), 3U);
    EXPECT_EQ(o.controllers[0].id, 3);
    EXPECT_EQ(o.controllers[1].id, 7);
    EXPECT_EQ(o.controllers[2].id, 9);
    EXPECT_EQ(o.controllers[0].stateFile, "/tmp/m");
    EXPECT_EQ(o.controllers[1].stateFile, "/tmp/m.2");
    EXPECT_EQ(o.controllers[2].stateFile, "/tmp/m.3");
    for (const auto& c : o.controllers) {
        EXPECT_EQ(c.version, "2.45");
        EXPECT_EQ(c.series, kSeriesF);
        EXPECT_EQ(c.stroke, 10);
        EXPECT_EQ(c.controlType, kTypeUnset);
        EXPECT_EQ(c.baud, 57600);
        EXPECT_DOUBLE_EQ(c.minDelayMs, 2.5);
        EXPECT_DOUBLE_EQ(c.startPositionMm, 4.5);
        EXPECT_DOUBLE_EQ(c.workpieceMm, 8.0);
    }
    EXPECT_TRUE(o.byteTiming);
    EXPECT_TRUE(o.anySpeed);
    EXPECT_TRUE(o.control);
    EXPECT_EQ(o.verbosity, 2);
    ASSERT_EQ(o.faults.size(), 2U);
    EXPECT_EQ(o.faults[0].kind, FaultKind::kNg);
    EXPECT_EQ(o.faults[0].count, 2);
    EXPECT_EQ(o.faults[0].code, "EE");
    EXPECT_EQ(o.faults[1].kind, FaultKind::kNoise);
}

TEST(CommandLine, SetPresetsParametersOfEveryController) {
    SimProgramOptions o;
    std::string error;
    ASSERT_EQ(
        Parse({"--id", "1,2", "--set", "3/11=4012.5", "--set", "22/0=-1500", "--set", "1/1=0"}, o,
              error),
        CommandLineResult::kRun)
        << error;
    for (const auto& c : o.controllers) {
        ASSERT_EQ(c.presets.size(), 3U);
        EXPECT_EQ(c.presets[0].group, 3);
        EXPECT_EQ(c.presets[0].parameter, 11);
        EXPECT_FLOAT_EQ(c.presets[0].value, 4012.5F);
        EXPECT_EQ(c.presets[1].group, 22);
        EXPECT_FLOAT_EQ(c.presets[1].value, -1500.0F);
        EXPECT_FLOAT_EQ(c.presets[2].value, 0.0F);
    }
}

TEST(CommandLine, VersionNoneMakesAControllerWithoutTheVersionCommand) {
    SimProgramOptions o;
    std::string error;
    ASSERT_EQ(Parse({"--version", "none"}, o, error), CommandLineResult::kRun) << error;
    EXPECT_FALSE(o.controllers[0].knowsVersion);
}

TEST(CommandLine, HelpWinsAndDocumentsEveryOption) {
    SimProgramOptions o;
    std::string error;
    EXPECT_EQ(Parse({"--stroke", "20", "--help"}, o, error), CommandLineResult::kHelp);
    for (const char* name :
         {"--id", "--version", "--series", "--stroke", "--type", "--baud", "--byte-timing",
          "--delay", "--state", "--fault", "--position", "--workpiece", "--set", "--any-speed",
          "--control", "--quiet", "--verbose", "--help"}) {
        EXPECT_NE(HelpText().find(name), std::string::npos) << name;
    }
}

// A command line that must be refused.
struct BadCase {
    const char* name;
    std::vector<std::string> args;
};

const BadCase kBad[] = {
    {"IdZero", {"--id", "0"}},
    {"IdTooLarge", {"--id", "256"}},
    {"IdListWithHole", {"--id", "1,,2"}},
    {"IdNotANumber", {"--id", "one"}},
    {"VersionNotANumber", {"--version", "two"}},
    {"SeriesUnknown", {"--series", "X"}},
    {"StrokeNotOffered", {"--stroke", "25"}},
    {"TypeOutOfRange", {"--type", "3"}},
    {"BaudNotOffered", {"--baud", "115200"}},
    {"DelayTooLong", {"--delay", "11"}},
    {"DelayNegative", {"--delay", "-1"}},
    {"EmptyState", {"--state", ""}},
    {"FaultUnknown", {"--fault", "explode"}},
    {"PositionBeyondStroke", {"--stroke", "10", "--position", "12"}},
    {"MissingArgument", {"--id"}},
    {"UnknownOption", {"--frobnicate"}},
    {"StrayArgument", {"extra"}},
    {"SetWithoutValue", {"--set", "3/11"}},
    {"SetOutsideTheGroups", {"--set", "23/0=1"}},
    {"SetBeyondTheGroup", {"--set", "0/25=1"}},
    {"SetNotANumber", {"--set", "0/19=high"}},
    {"SetWithoutGroup", {"--set", "/19=1"}},
    {"ShortOption", {"-x"}},
};

// Refused command lines.
class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedWithAReason) {
    SimProgramOptions o;
    std::string error;
    EXPECT_EQ(Parse(GetParam().args, o, error), CommandLineResult::kError);
    EXPECT_NE(error, "");
}

INSTANTIATE_TEST_SUITE_P(Sim, BadCommandLine, ::testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.name); });

// One control input line and what it parses to.
struct ControlCase {
    const char* name;
    const char* line;
    ControlCommand::Kind kind;
    int value;
    int id;
};

using K = ControlCommand::Kind;
constexpr ControlCase kControl[] = {
    {"Blank", "   ", K::kNone, 0, 0},
    {"Comment", "# alarm 3", K::kNone, 0, 0},
    {"Alarm", "alarm 3", K::kAlarm, 3, 0},
    {"AlarmToOneId", "alarm 11 4", K::kAlarm, 11, 4},
    {"Clear", "clear", K::kClear, 0, 0},
    {"Inputs", "inputs 31", K::kInputs, 0x31, 0},
    {"Restart", " restart  2 ", K::kRestart, 0, 2},
    {"Quit", "quit", K::kQuit, 0, 0},
    {"Memory", "memory", K::kMemory, 0, 0},
    {"MemoryOfOneId", "memory 3", K::kMemory, 0, 3},
    {"Faults", "faults", K::kFaults, 0, 0},
    {"AlarmWithoutCode", "alarm", K::kInvalid, 0, 0},
    {"AlarmCodeZero", "alarm 0", K::kInvalid, 0, 0},
    {"InputsNotHex", "inputs zz", K::kInvalid, 0, 0},
    {"InputsBeyondTheConnector", "inputs 40", K::kInvalid, 0, 0},
    {"BadId", "clear 300", K::kInvalid, 0, 0},
    {"TooManyWords", "alarm 3 4 5", K::kInvalid, 0, 0},
    {"Unknown", "explode now", K::kInvalid, 0, 0},
    {"Binary", "\x01\x02\xFF", K::kInvalid, 0, 0},
};

// Lines of the control input.
class ControlLine : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlLine, Parses) {
    const ControlCase& c = GetParam();
    const ControlCommand cmd = ParseControlLine(c.line);
    EXPECT_EQ(cmd.kind, c.kind);
    if (c.kind == K::kInvalid) {
        EXPECT_NE(cmd.error, "");
    } else {
        EXPECT_EQ(cmd.value, c.value);
        EXPECT_EQ(cmd.id, c.id);
    }
}

INSTANTIATE_TEST_SUITE_P(Sim, ControlLine, ::testing::ValuesIn(kControl),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ControlLineWorkpiece, TakesMillimetresOrNone) {
    EXPECT_DOUBLE_EQ(ParseControlLine("workpiece 12.5").mm, 12.5);
    EXPECT_LT(ParseControlLine("workpiece none").mm, 0.0);
    EXPECT_EQ(ParseControlLine("workpiece 60").kind, K::kInvalid);
}

}  // namespace
}  // namespace tavro::sim::test
