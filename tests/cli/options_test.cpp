#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"

namespace tavro::cli {
namespace {

std::vector<std::string> Split(std::string_view line) {
    std::vector<std::string> args;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t space = line.find(' ', pos);
        const std::size_t end = space == std::string_view::npos ? line.size() : space;
        if (end > pos) {
            args.emplace_back(line.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    return args;
}

struct Refused {
    const char* name;
    const char* line;
    const char* reason;  // part of the error text
};

constexpr Refused kRefused[] = {
    {"Nothing", "", "no command"},
    {"UnknownCommand", "flash", "unknown command 'flash'"},
    {"UnknownOption", "info --speed 9600", "unknown option '--speed'"},
    {"ShortOption", "info -x", "unknown option '-x'"},
    {"BaudNotALineSpeed", "info --baud 4800", "--baud wants"},
    {"BaudWithJunk", "info --baud 19200x", "--baud wants"},
    {"BaudMissingValue", "info --baud", "--baud wants a value"},
    {"IdZero", "info --id 0", "--id wants a whole number from 1 to 255"},
    {"IdTooLarge", "info --id 256", "--id wants"},
    {"IdNegative", "info --id -1", "--id wants"},
    {"IdHuge", "info --id 99999999999999999999", "--id wants"},
    {"IdEmpty", "info --id=", "--id wants"},
    {"SecondsZero", "monitor --seconds 0", "--seconds wants"},
    {"SecondsFraction", "monitor --seconds 1.5", "--seconds wants"},
    {"SwitchWithValue", "dump --json=yes", "--json takes no value"},
    {"OptionOfAnotherCommand", "info --force", "--force does not apply to info"},
    {"PassiveWrite", "load-steps a.dat --passive", "--passive does not apply to load-steps"},
    {"IdsOnMonitor", "monitor --ids 1-2", "--ids does not apply to monitor"},
    {"IdsBackwards", "info --ids 5-1", "--ids wants IDs from 1 to 255 such as 1-5,8, not '5-1'"},
    {"IdsEmptyItem", "info --ids 1,,3", "--ids wants IDs"},
    {"IdsOutOfRange", "dump --ids 0-3", "--ids wants IDs"},
    {"IdAndIds", "info --id 2 --ids 1-3", "--id and --ids do not go together"},
    {"OneFileForManyIds", "save-steps a.dat --ids 1-3", "save-steps wants {id} in FILE"},
    {"OneBackupForManyIds", "backup a.json --ids 1,2", "backup wants {id} in FILE"},
    {"DetailOnDump", "dump --detail", "--detail does not apply to dump"},
    {"PortOnStrings", "strings --port /dev/ttyS0", "--port does not apply to strings"},
    {"FileMissing", "save-steps", "save-steps wants FILE"},
    {"TwoFiles", "load-steps a.dat b.dat", "unexpected argument 'b.dat'"},
    {"ArgumentToInfo", "info extra", "unexpected argument 'extra'"},
    {"UnknownLanguage", "strings de", "strings wants en or ja"},
    {"RangeBackwards", "search --from 9 --to 3", "--from must not be above --to"},
    {"QuickOnInfo", "info --quick", "--quick does not apply to info"},
    {"QuickWithValue", "search --quick=1", "--quick takes no value"},
    {"EmptyPort", "info --port=", "--port wants a device path"},
    {"RepeatWithoutStep", "repeat --cycles 5 --report r.pdf", "repeat wants --step N"},
    {"RepeatWithoutCycles", "repeat --step 1 --report r.pdf", "repeat wants --step N"},
    {"RepeatWithoutReport", "repeat --step 1 --cycles 5", "repeat wants --step N"},
    {"RepeatStepZero", "repeat --step 0 --cycles 5 --report r.pdf",
     "--step wants a step from 1 to 15, not '0'"},
    {"RepeatStepSixteen", "repeat --step 16 --cycles 5 --report r.pdf", "--step wants a step"},
    {"RepeatOtherStepBeyond15", "repeat --step 1 --to 16 --cycles 5 --report r.pdf",
     "--to wants a step from 1 to 15, not '16'"},
    {"RepeatCyclesZero", "repeat --step 1 --cycles 0 --report r.pdf",
     "--cycles wants a number from 1 to 10000, not '0'"},
    {"RepeatCyclesTooMany", "repeat --step 1 --cycles 10001 --report r.pdf", "--cycles wants"},
    {"RepeatSettleNegative", "repeat --step 1 --cycles 5 --settle-ms -1 --report r.pdf",
     "--settle-ms wants"},
    {"RepeatEmptyReport", "repeat --step 1 --cycles 5 --report=", "--report wants a value"},
    {"RepeatJson", "repeat --step 1 --cycles 5 --report r.pdf --json",
     "--json does not apply to repeat"},
    {"StepOnInfo", "info --step 1", "--step does not apply to info"},
};

class RefusedLine : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedLine, SaysWhy) {
    const ParsedCommandLine parsed = ParseCommandLine(Split(GetParam().line));
    EXPECT_NE(parsed.error.find(GetParam().reason), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(CommandLine, RefusedLine, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, RepeatTakesItsStepsCyclesSettleAndReport) {
    const ParsedCommandLine one =
        ParseCommandLine(Split("repeat --step 3 --cycles 10000 --report r.pdf"));
    ASSERT_EQ(one.error, "");
    EXPECT_EQ(one.options.command, Command::kRepeat);
    EXPECT_EQ(one.options.step, 3);
    EXPECT_EQ(one.options.otherStep, 0);
    EXPECT_EQ(one.options.cycles, 10000);
    EXPECT_EQ(one.options.settleMs, 100);
    EXPECT_EQ(one.options.file, "r.pdf");
    const ParsedCommandLine two =
        ParseCommandLine(Split("repeat --step 1 --to 15 --cycles 1 --settle-ms 0 --report=x.pdf"));
    ASSERT_EQ(two.error, "");
    EXPECT_EQ(two.options.otherStep, 15);
    EXPECT_EQ(two.options.settleMs, 0);
    EXPECT_EQ(two.options.file, "x.pdf");
}

TEST(CommandLine, TakesOptionsAnywhereInBothForms) {
    const ParsedCommandLine parsed = ParseCommandLine(
        Split("--trace load-steps --port=/dev/ttyUSB0 my.dat --baud 57600 --id=12 --detail --yes"));
    ASSERT_EQ(parsed.error, "");
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.command, Command::kLoadSteps);
    EXPECT_TRUE(o.trace);
    EXPECT_EQ(o.port, "/dev/ttyUSB0");
    EXPECT_EQ(o.file, "my.dat");
    EXPECT_EQ(o.baud, 57600);
    EXPECT_EQ(o.id, 12);
    EXPECT_TRUE(o.detail);
    EXPECT_TRUE(o.yes);
}

TEST(CommandLine, DefaultsAreTheFactorySettings) {
    const ParsedCommandLine parsed = ParseCommandLine({"info"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.baud, 19200);
    EXPECT_EQ(parsed.options.id, 1);
    EXPECT_EQ(parsed.options.port, "");
}

TEST(CommandLine, SearchOfOneIdWhenOnlyTheFirstIsGiven) {
    const ParsedCommandLine parsed = ParseCommandLine({"search", "--from", "7"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.from, 7);
    EXPECT_EQ(parsed.options.to, 7);
}

TEST(CommandLine, SearchIsOrdinaryUnlessQuickIsGiven) {
    EXPECT_FALSE(ParseCommandLine({"search", "--to", "9"}).options.quick);
    const ParsedCommandLine parsed = ParseCommandLine({"search", "--quick", "--to", "9"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.quick);
    EXPECT_EQ(parsed.options.to, 9);
}

TEST(CommandLine, DoubleDashEndsOptionsSoAFileMayStartWithADash) {
    const ParsedCommandLine parsed = ParseCommandLine({"save-steps", "--", "--odd.dat"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.file, "--odd.dat");
}

struct IdList {
    const char* text;
    std::vector<int> ids;
};

const IdList kIdLists[] = {
    {"7", {7}},
    {"1-5,8", {1, 2, 3, 4, 5, 8}},
    {"8,1-3,2", {8, 1, 2, 3}},  // in the order given, each once
    {"255", {255}},
    {"3-3", {3}},
};

TEST(CommandLine, IdListsRunInTheOrderGivenEachIdOnce) {
    for (const IdList& c : kIdLists) {
        const auto ids = ParseIdList(c.text);
        ASSERT_TRUE(ids.has_value()) << c.text;
        EXPECT_EQ(*ids, c.ids) << c.text;
    }
    for (const char* bad : {"", ",", "1,", "-3", "3-", "1-256", "a", "2-1", "1 -3", "0"}) {
        EXPECT_FALSE(ParseIdList(bad).has_value()) << bad;
    }
}

TEST(CommandLine, EachIdGetsItsFileName) {
    EXPECT_EQ(FileForId("line/{id}.dat", 12), "line/12.dat");
    EXPECT_EQ(FileForId("{id}-{id}.json", 3), "3-3.json");
    EXPECT_EQ(FileForId("same.dat", 4), "same.dat");
    const ParsedCommandLine parsed = ParseCommandLine({"save-steps", "s{id}.dat", "--ids", "1-3"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.ids, (std::vector<int>{1, 2, 3}));
}

TEST(CommandLine, HelpNeedsNoArgumentsAndSkipsTheirChecks) {
    const ParsedCommandLine parsed = ParseCommandLine({"load-steps", "--help"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_TRUE(parsed.options.help);
    EXPECT_EQ(parsed.options.command, Command::kLoadSteps);
}

constexpr Command kCommands[] = {
    Command::kPorts,     Command::kSearch,    Command::kInfo,    Command::kDump,
    Command::kSaveSteps, Command::kLoadSteps, Command::kMonitor, Command::kStrings,
    Command::kBackup,    Command::kRestore,
};

// The commands that only read from a controller, and those that run on each ID of a list.
bool ReadsOnly(Command c) {
    return c == Command::kInfo || c == Command::kDump || c == Command::kSaveSteps ||
           c == Command::kMonitor || c == Command::kBackup;
}
bool RunsPerId(Command c) {
    return c == Command::kInfo || c == Command::kDump || c == Command::kSaveSteps ||
           c == Command::kLoadSteps || c == Command::kBackup || c == Command::kRestore;
}

TEST(Help, EveryCommandListsTheExitStatusesAndOnlyItsOptions) {
    for (Command c : kCommands) {
        const std::string help = HelpText(c);
        SCOPED_TRACE(std::string(CommandName(c)));
        EXPECT_NE(help.find("Usage: tavro-cli " + std::string(CommandName(c))), std::string::npos);
        for (const char* status : {"  0", "  2", "  3", "  4", "  5", "  6", "  7", "  130"}) {
            EXPECT_NE(help.find(status), std::string::npos) << status;
        }
        EXPECT_EQ(help.find("--port") != std::string::npos, UsesPort(c));
        EXPECT_NE(help.find("--json"), std::string::npos);
        EXPECT_EQ(help.find("--passive") != std::string::npos, ReadsOnly(c));
        EXPECT_EQ(help.find("--ids") != std::string::npos, RunsPerId(c));
    }
}

TEST(Help, OverviewNamesEveryCommand) {
    const std::string help = HelpText(Command::kNone);
    for (Command c : kCommands) {
        EXPECT_NE(help.find("  " + std::string(CommandName(c)) + " "), std::string::npos)
            << CommandName(c);
    }
}

}  // namespace
}  // namespace tavro::cli
