#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "cli/ExitStatus.h"
#include "link/ParameterImage.h"
#include "link/PortList.h"
#include "link/StatusBlock.h"
#include "monitor/SampleCsv.h"
#include "sim/FaultPlan.h"
#include "stepdata/StepFile.h"
#include "tests/cli/CliFixture.h"
#include "tests/cli/JsonReader.h"
#include "tests/ui/Glossary.h"
#include "ui/StringTable.h"

namespace tavro::cli::test {
namespace {

using sim::ControllerOptions;
using sim::Fault;
using sim::FaultKind;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        const std::size_t end = nl == std::string::npos ? text.size() : nl;
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

// Replaces the first occurrence; fails the test when there is none.
std::string Edited(std::string text, const std::string& find, const std::string& replace) {
    const std::size_t at = text.find(find);
    EXPECT_NE(at, std::string::npos) << find;
    if (at != std::string::npos) {
        text.replace(at, find.size(), replace);
    }
    return text;
}

// The text with field `field` (0-based) of line `line` (0-based) set to `value`.
std::string WithField(const std::string& text, std::size_t line, std::size_t field,
                      const std::string& value) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        lines.push_back(text.substr(pos, end - pos));
        pos = end == std::string::npos ? text.size() : end + 2;
    }
    std::vector<std::string> fields;
    std::string& l = lines.at(line);
    for (std::size_t p = 0; p <= l.size();) {
        const std::size_t comma = l.find(',', p);
        const std::size_t end = comma == std::string::npos ? l.size() : comma;
        fields.push_back(l.substr(p, end - p));
        p = end + 1;
    }
    fields.at(field) = value;
    l.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        l += (i == 0 ? "" : ",") + fields[i];
    }
    std::string out;
    for (const auto& s : lines) {
        out += s + "\r\n";
    }
    return out;
}

class Cli : public CliFixture {
  protected:
    // A file as the tool saves it from the controller, and the line put back to silence.
    std::string Saved(const std::string& name, bool detail = false) {
        std::vector<std::string> args = {"save-steps", files.File(name)};
        if (detail) {
            args.emplace_back("--detail");
        }
        EXPECT_EQ(Run(args), 0) << err.str();
        bus.ClearLog();
        return files.Read(name);
    }

    std::string LastCommands(std::size_t n) const {
        const auto requests = bus.Requests();
        std::string text;
        for (std::size_t i = requests.size() >= n ? requests.size() - n : 0; i < requests.size();
             ++i) {
            text += requests[i].command + ";";
        }
        return text;
    }
};

TEST_F(Cli, InfoPrintsWhatTheInitialUploadReadAndLeavesTheControllerInMonitorMode) {
    ControllerOptions o;
    o.version = "2.55";
    o.series = sim::kSeriesF;
    o.stroke = 50;
    o.controlType = sim::kTypePulse;
    o.minDelayMs = 2.5;
    AddController(o);
    ASSERT_EQ(Run({"info"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "version: 2.55\n"
              "model: KRM3F-50\n"
              "control-signal type: 2 (pulse)\n"
              "id: 1\n"
              "speed: 19200 bit/s\n"
              "delay: 2.5 ms\n");
    EXPECT_EQ(LastCommands(3), "OE 0 0 0;SW 4 1;MD 0;");
    EXPECT_FALSE(bus.ControllerAt(0).TestMode());
}

// How a command can fail, and the exit status and message that say so.
struct Failure {
    const char* name;
    void (*arrange)(sim::SimBus& bus, ControllerOptions& o);
    const char* port;
    int status;
    const char* message;  // printed on stderr
};

constexpr Failure kFailures[] = {
    {"PortCannotBeOpened", [](sim::SimBus&, ControllerOptions&) {}, "/dev/nothing-here", 3,
     "231: Cannot open COM port."},
    {"SilentController",
     [](sim::SimBus& bus, ControllerOptions&) {
         Fault silent(FaultKind::kNoReply, sim::kUnlimited);
         bus.Faults().Add(silent);
     },
     sim::kSimPortPath, 4, "306: No response from the controller."},
    {"ControllerAtAnotherId", [](sim::SimBus&, ControllerOptions& o) { o.id = 2; },
     sim::kSimPortPath, 4, "306: No response from the controller."},
    {"VersionTooNew", [](sim::SimBus&, ControllerOptions& o) { o.version = "3.00"; },
     sim::kSimPortPath, 5, "353: Unsupported controller is connected."},
    {"VersionUnknown", [](sim::SimBus&, ControllerOptions& o) { o.knowsVersion = false; },
     sim::kSimPortPath, 5, "353: Unsupported controller is connected."},
    {"NgWhileConnecting",
     [](sim::SimBus& bus, ControllerOptions&) {
         Fault ng(FaultKind::kNg);
         ng.code = "MD";
         bus.Faults().Add(ng);
     },
     sim::kSimPortPath, 7, "the controller answered NG to \"MD 1\"; alarm record"},
};

class InfoFails : public Cli, public ::testing::WithParamInterface<Failure> {};

TEST_P(InfoFails, WithItsOwnStatusAndMessageInBoundedTime) {
    ControllerOptions o;
    GetParam().arrange(bus, o);
    AddController(o);
    EXPECT_EQ(Run({"info", "--port", GetParam().port}, false), GetParam().status);
    EXPECT_NE(err.str().find(GetParam().message), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
    // The engine gives up after four silent transmissions of one command.
    EXPECT_LT(elapsedMs, 10000);
}

INSTANTIATE_TEST_SUITE_P(Cli, InfoFails, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, ACommandThatFailsAfterTestModeStillReturnsTheControllerToMonitorMode) {
    AddController();
    Fault ng(FaultKind::kNg);
    ng.code = "EE";
    bus.Faults().Add(ng);
    EXPECT_EQ(Run({"info"}), 7);
    EXPECT_NE(err.str().find("answered NG to \"EE 0 0\""), std::string::npos) << err.str();
    EXPECT_EQ(LastCommands(3), "OE 0 0 0;SW 4 1;MD 0;");
    EXPECT_FALSE(bus.ControllerAt(0).TestMode());
}

TEST_F(Cli, WithoutAPortAndNoneRememberedItIsAUsageError) {
    AddController();
    EXPECT_EQ(Run({"info"}, false), 2);
    EXPECT_NE(err.str().find("use --port PATH"), std::string::npos);
}

TEST_F(Cli, BadCommandLineIsAUsageErrorThatSendsNothing) {
    AddController();
    EXPECT_EQ(Run({"info", "--baud", "1200"}), 2);
    EXPECT_NE(err.str().find("Try 'tavro-cli --help'"), std::string::npos);
    EXPECT_TRUE(bus.Log().empty());
}

// The tool's own messages follow the language as the window's do; paths, options and the
// program's name stay as typed.
struct JapaneseMessage {
    const char* name;
    std::vector<std::string> args;
    bool withPort;
    bool existingFile;
    int status;
    const char* says;
};

const JapaneseMessage kJapaneseMessages[] = {
    {"BadOption",
     {"info", "--speed", "9600"},
     true,
     false,
     kExitUsage,
     "不明なオプションです：--speed\n使い方は tavro-cli --help で表示できます。"},
    {"BadLineSpeed",
     {"info", "--baud", "1200"},
     true,
     false,
     kExitUsage,
     "--baud には 2400、9600、19200、38400、57600 のいずれかを指定してください（1200 は指定"
     "できません）。"},
    {"BadLanguage",
     {"strings", "de"},
     false,
     false,
     kExitUsage,
     "strings には en または ja を指定してください（de は指定できません）。"},
    {"NoPort", {"info"}, false, false, kExitUsage, "ポートが指定されておらず"},
    {"PortMissing",
     {"info", "--port", "/dev/ttyNothing"},
     false,
     false,
     kExitPort,
     "231: COMポートを開けません。"},
    {"NotReplaced",
     {"save-steps", "FILE"},
     true,
     true,
     kExitUsage,
     "上書きしませんでした。上書きするには --yes を指定してください。"},
    {"NotRead", {"load-steps", "FILE"}, true, false, kExitIoError, "：読み込めません（"},
};

class CliJapanese : public Cli, public ::testing::WithParamInterface<JapaneseMessage> {};

TEST_P(CliJapanese, SaysItInJapanese) {
    const JapaneseMessage& c = GetParam();
    AddController();
    language = Language::kJapanese;
    std::vector<std::string> args = c.args;
    const std::string file = files.File("steps.dat");
    for (std::string& a : args) {
        if (a == "FILE") {
            a = file;
        }
    }
    if (c.existingFile) {
        files.Write("steps.dat", "x");
    }
    EXPECT_EQ(Run(args, c.withPort), c.status);
    EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    std::string rest = err.str();
    for (const char* typed : {"/dev/ttyNothing", "tavro-cli", kPort}) {
        rest = tavro::test::Without(rest, typed);
    }
    for (const std::string& typed : args) {
        rest = tavro::test::Without(rest, typed);  // commands, options and values as typed
    }
    rest = tavro::test::Without(rest, " en ");  // the languages of the strings command
    rest = tavro::test::Without(rest, " ja ");
    rest = tavro::test::Without(rest, std::strerror(ENOENT));
    EXPECT_TRUE(tavro::test::ForeignWords(rest, tavro::test::ProgramGlossary()).empty())
        << err.str();
}

INSTANTIATE_TEST_SUITE_P(Cli, CliJapanese, ::testing::ValuesIn(kJapaneseMessages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, SearchPrintsTheIdsThatAnswered) {
    ControllerOptions a;
    a.id = 1;
    ControllerOptions b;
    b.id = 3;
    AddController(a);
    AddController(b);
    ASSERT_EQ(Run({"search", "--from", "1", "--to", "4"}), 0) << err.str();
    EXPECT_EQ(out.str(), "1\n3\n");
    EXPECT_EQ(bus.Requests("VE", 2).size(), 4U);
    EXPECT_EQ(bus.Requests("MD").size(), 0U) << "a search connects to nothing";
}

TEST_F(Cli, QuickSearchAsksEachSilentIdOncePerPass) {
    ControllerOptions a;
    a.id = 1;
    ControllerOptions b;
    b.id = 3;
    AddController(a);
    AddController(b);
    ASSERT_EQ(Run({"search", "--quick", "--from", "1", "--to", "4"}), 0) << err.str();
    EXPECT_EQ(out.str(), "1\n3\n");
    EXPECT_EQ(bus.Requests("VE", 2).size(), 2U);
    EXPECT_EQ(bus.Requests("VE", 3).size(), 2U);  // the probe and its confirmation
    EXPECT_EQ(bus.Requests("MD").size(), 0U);
}

// A controller that does not know "VE" answers the probe with the code "NG": it is there, and
// connecting to it reports it unsupported.
TEST_F(Cli, ControllerWithoutVersionIsFoundThenRefusedWith353) {
    ControllerOptions o;
    o.knowsVersion = false;
    AddController(o);
    ASSERT_EQ(Run({"search", "--to", "3"}), 0) << err.str();
    EXPECT_EQ(out.str(), "1\n");
    // One probe for ID 1, four for each silent ID.
    EXPECT_EQ(bus.Requests("VE", 1).size(), 1U);
    EXPECT_EQ(bus.Requests("VE", 2).size(), 4U);
    out.str("");
    err.str("");
    EXPECT_EQ(Run({"info"}), 5);
    EXPECT_NE(err.str().find("353: Unsupported controller is connected."), std::string::npos)
        << err.str();
    EXPECT_EQ(out.str(), "");
}

TEST_F(Cli, SearchThatFindsNothingShowsMessage261) {
    ControllerOptions o;
    o.id = 9;
    AddController(o);
    EXPECT_EQ(Run({"search", "--from", "1", "--to", "2"}), 4);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("261: No controller is available"), std::string::npos);
}

TEST_F(Cli, DumpJsonIsValidAndHoldsEveryParameterReadWithTheControllersValue) {
    sim::SimController& ctl = AddController();
    ctl.SetParameter(2, 12, 0.25F);
    ctl.SetParameter(3, 0, 12345.0F);
    ctl.SetParameter(0, 11, 0.125F);
    ASSERT_EQ(Run({"dump", "--json"}), 0) << err.str();

    const auto json = ParseJson(out.str());
    ASSERT_TRUE(json.has_value()) << out.str();
    ASSERT_NE(json->Find("id"), nullptr);
    EXPECT_EQ(json->Find("id")->number, 1.0);
    const JsonValue* params = json->Find("parameters");
    ASSERT_NE(params, nullptr);
    ASSERT_EQ(params->kind, JsonValue::Kind::kArray);

    std::vector<std::pair<int, int>> reads;
    for (const auto& r : bus.Requests("EE")) {
        const std::pair<int, int> a{std::stoi(r.command.substr(3)),
                                    std::stoi(r.command.substr(r.command.rfind(' ')))};
        if (std::count(r.command.begin(), r.command.end(), ' ') == 2 &&
            std::find(reads.begin(), reads.end(), a) == reads.end()) {
            reads.push_back(a);
        }
    }
    ASSERT_EQ(params->items.size(), reads.size());
    std::pair<int, int> previous{-1, -1};
    for (const JsonValue& p : params->items) {
        ASSERT_EQ(p.kind, JsonValue::Kind::kObject);
        const int g = static_cast<int>(p.Find("group")->number);
        const int q = static_cast<int>(p.Find("parameter")->number);
        EXPECT_LT(previous, std::make_pair(g, q)) << "ascending, no repeats";
        previous = {g, q};
        EXPECT_EQ(static_cast<float>(p.Find("value")->number), ctl.Parameter(g, q))
            << g << "/" << q;
    }
    EXPECT_NE(out.str().find("{\"group\":2,\"parameter\":12,\"value\":0.25}"), std::string::npos);
    EXPECT_NE(out.str().find("{\"group\":3,\"parameter\":0,\"value\":12345}"), std::string::npos);
}

TEST_F(Cli, DumpTableHasOneLinePerParameter) {
    AddController().SetParameter(0, 19, 2.5F);
    ASSERT_EQ(Run({"dump"}), 0) << err.str();
    const auto lines = Lines(out.str());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "g/p\tvalue");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "0/19\t2.5"), lines.end());
    // The header, then every cell the two uploads read: 21 of group 0, 17 of group 1, 57 of
    // group 2 and 16 of each of the 15 steps.
    EXPECT_EQ(lines.size(), 1U + 21U + 17U + 57U + 15U * 16U);
}

TEST_F(Cli, SaveStepsWritesThePageFileFromTheController) {
    AddController().SetParameter(3, 0, 12345.0F);
    const std::string text = Saved("steps.dat");
    EXPECT_NE(err.str().find("349: Save complete."), std::string::npos);
    EXPECT_EQ(text.rfind("[Tavro Motor Controller Step Data]\r\n:FormatVersion=", 0), 0U);
    EXPECT_NE(text.find(":RecodeSize=15\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n1,12345.000,1.00,20,1000,1000,6,1.0,"), std::string::npos);
}

TEST_F(Cli, SaveStepsOfAPulseControllerHasFourPoints) {
    ControllerOptions o;
    o.controlType = sim::kTypePulse;
    AddController(o);
    EXPECT_NE(Saved("points.dat").find(":RecodeSize=04\r\n"), std::string::npos);
}

TEST_F(Cli, AnExistingFileIsReplacedOnlyWithYes) {
    AddController();
    files.Write("old.dat", "keep me");
    EXPECT_EQ(Run({"save-steps", files.File("old.dat")}), 2);
    EXPECT_NE(err.str().find("348: \"" + files.File("old.dat") + "\" already exists."),
              std::string::npos);
    EXPECT_EQ(files.Read("old.dat"), "keep me");
    EXPECT_TRUE(bus.Log().empty()) << "asked before anything went on the line";

    EXPECT_EQ(Run({"save-steps", files.File("old.dat"), "--yes"}), 0) << err.str();
    EXPECT_EQ(files.Read("old.dat").rfind("[Tavro Motor Controller Step Data]", 0), 0U);
}

TEST_F(Cli, AFileThatCannotBeWrittenIsAnIoError) {
    AddController();
    EXPECT_EQ(Run({"save-steps", files.File("no-such-folder/steps.dat")}), 1);
    EXPECT_NE(err.str().find("cannot be written"), std::string::npos);
}

TEST_F(Cli, LoadStepsSendsOnlyTheChangedCellsAndRoundTrips) {
    sim::SimController& ctl = AddController();
    const std::string edited =
        Edited(Saved("a.dat"), "\r\n1,0.000,1.00,20,", "\r\n1,5000.000,1.50,20,");
    files.Write("b.dat", edited);

    ASSERT_EQ(Run({"load-steps", files.File("b.dat")}), 0) << err.str();
    EXPECT_EQ(Writes(), (std::vector<std::string>{"EE 3 0 5000.00000", "EE 3 1 1.50000", "EU"}));
    EXPECT_EQ(ctl.Parameter(3, 0), 5000.0F);
    EXPECT_EQ(ctl.StoredParameter(3, 1), 1.5F);
    EXPECT_NE(err.str().find("345: Update complete."), std::string::npos);

    EXPECT_EQ(Saved("c.dat"), edited);
}

TEST_F(Cli, LoadingWhatTheControllerHoldsSendsNothing) {
    AddController();
    Saved("same.dat");
    ASSERT_EQ(Run({"load-steps", files.File("same.dat")}), 0) << err.str();
    EXPECT_NE(err.str().find("347: No data has been sent"), std::string::npos);
    EXPECT_TRUE(Writes().empty());
}

// The line of a load, as fast or as slow as the controller's own speed, every reply late.
struct LoadLine {
    const char* name;
    int baud;
    bool byteTiming;
    std::int64_t replyDelayMs;  // 0: none
};

constexpr LoadLine kLoadLines[] = {
    {"Instant", 19200, false, 0},
    {"At9600WithLateReplies", 9600, true, 300},
    {"At57600WithLateReplies", 57600, true, 300},
};

// A page file goes out as the window sends an opened file: the values it changes as the file
// holds them, nothing snapped to the page's grid, and nothing where it holds what the
// controller holds.
class LoadAsTheStepPage : public Cli, public ::testing::WithParamInterface<LoadLine> {
  protected:
    LoadAsTheStepPage() {
        ControllerOptions o;
        o.baud = GetParam().baud;
        sim::SimController& ctl = AddController(o);
        ctl.SetParameter(3, 5, 32774.0F);  // step 1: pushing at the page's pushing speed
        ctl.SetParameter(4, 5, 32783.0F);  // step 2: pushing speed 15, set in the Detail dialog
        ctl.SetParameter(4, 7, 75.0F);     // and a load mass the page does not offer
        ctl.SetParameter(7, 7, 100.0F);
        bus.SetByteTiming(GetParam().byteTiming);
        if (GetParam().replyDelayMs > 0) {
            Fault late(FaultKind::kExtraDelay, sim::kUnlimited);
            late.delayMs = GetParam().replyDelayMs;
            bus.Faults().Add(late);
        }
    }

    int RunOnLine(std::vector<std::string> args) {
        args.insert(args.end(), {"--baud", std::to_string(GetParam().baud)});
        return Run(args);
    }

    // The parameter writes and the commit as they went on the wire.
    std::vector<std::string> WriteFrames() const {
        std::vector<std::string> frames;
        for (const auto& r : bus.Requests()) {
            const auto spaces = std::count(r.command.begin(), r.command.end(), ' ');
            if ((r.code == "EE" && spaces == 3) || r.code == "EU") {
                frames.push_back(r.bytes);
            }
        }
        return frames;
    }
};

TEST_P(LoadAsTheStepPage, FileValuesGoOutAsTheWindowSendsThem) {
    ASSERT_EQ(RunOnLine({"save-steps", files.File("held.dat")}), 0) << err.str();
    const std::string held = files.Read("held.dat");
    ASSERT_NE(held.find("\r\n2,0.000,1.00,20,1000,1000,32783,1.0,0,0,75,0,"), std::string::npos);

    // What the controller holds, values the page could not store included, changes nothing.
    bus.ClearLog();
    ASSERT_EQ(RunOnLine({"load-steps", files.File("held.dat")}), 0) << err.str();
    EXPECT_NE(err.str().find("347: No data has been sent"), std::string::npos) << err.str();
    EXPECT_TRUE(WriteFrames().empty());

    // The same changes as the Step page's own test of an opened file, and two more.
    std::string changed = held;
    changed = WithField(changed, 8, 1, "1234.567");  // step 3: between micrometres
    changed = WithField(changed, 8, 6, "32783");     // step 3: pushing at speed 15
    changed = WithField(changed, 9, 10, "75");       // step 4: off the grid
    changed = WithField(changed, 10, 10, "150");     // step 5: on the grid, the controller 100
    changed = WithField(changed, 11, 10, "0");       // step 6: as the controller holds it
    files.Write("changed.dat", changed);
    bus.ClearLog();
    ASSERT_EQ(RunOnLine({"load-steps", files.File("changed.dat")}), 0) << err.str();
    EXPECT_EQ(WriteFrames(), (std::vector<std::string>{
                                 ":01 EE 5 0 1234.5670036\r\n",
                                 ":01 EE 5 5 32783.0000006\r\n",
                                 ":01 EE 6 7 75.000009E\r\n",
                                 ":01 EE 7 7 150.0000073\r\n",
                                 ":01 EUE5\r\n",
                             }));
    EXPECT_NE(err.str().find("345: Update complete."), std::string::npos) << err.str();
    if (GetParam().replyDelayMs > 0) {
        for (const auto& reply : bus.Replies("EE")) {
            EXPECT_EQ(reply.faults, std::vector<FaultKind>{FaultKind::kExtraDelay});
        }
    }
    sim::SimController& ctl = bus.ControllerAt(0);
    EXPECT_EQ(ctl.StoredParameter(5, 5), 32783.0F);
    EXPECT_EQ(ctl.StoredParameter(6, 7), 75.0F);
    EXPECT_EQ(ctl.StoredParameter(4, 5), 32783.0F) << "a step the file leaves alone";

    // Loaded once more, the same file finds everything in place.
    bus.ClearLog();
    ASSERT_EQ(RunOnLine({"load-steps", files.File("changed.dat")}), 0) << err.str();
    EXPECT_NE(err.str().find("347: No data has been sent"), std::string::npos) << err.str();
    EXPECT_TRUE(WriteFrames().empty());
}

INSTANTIATE_TEST_SUITE_P(Cli, LoadAsTheStepPage, ::testing::ValuesIn(kLoadLines),
                         [](const auto& info) { return std::string(info.param.name); });

// Files the window refuses, made from a good one.
struct BadFile {
    const char* name;
    const char* find;
    const char* replace;
    const char* message;
};

constexpr BadFile kBadFiles[] = {
    {"HeaderInOtherCase", "[Tavro Motor Controller Step Data]",
     "[TAVRO MOTOR CONTROLLER STEP DATA]", "310: File format is not correct."},
    {"NoVersionLine", ":FormatVersion=", ":Version=", "310: File format is not correct."},
    {"RecordCountNotFourOrFifteen", ":RecodeSize=15", ":RecodeSize=14",
     "310: File format is not correct."},
    {"SpeedAboveItsRange", "\r\n2,0.000,1.00,20,", "\r\n2,0.000,1.00,501,",
     "312: Invalid value. Failed to load."},
    {"PushingAtSpeedZero", "\r\n3,0.000,1.00,20,1000,1000,6,",
     "\r\n3,0.000,1.00,20,1000,1000,32768,", "312: Invalid value. Failed to load."},
    {"NegativeAbsoluteTarget", "\r\n4,0.000,", "\r\n4,-5000.000,",
     "312: Invalid value. Failed to load."},
};

class RejectedFile : public Cli, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RejectedFile, IsRefusedBeforeAnythingGoesOnTheLine) {
    AddController();
    files.Write("bad.dat", Edited(Saved("good.dat"), GetParam().find, GetParam().replace));
    EXPECT_EQ(Run({"load-steps", files.File("bad.dat")}), 6);
    EXPECT_NE(err.str().find(GetParam().message), std::string::npos) << err.str();
    EXPECT_TRUE(bus.Log().empty());
}

INSTANTIATE_TEST_SUITE_P(Cli, RejectedFile, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, FifteenStepsForAPulseControllerAreRejectedWithoutWritingAnything) {
    ControllerOptions o;
    o.controlType = sim::kTypePulse;
    AddController(o);
    ParameterImage image;
    StatusBlock stepType;
    files.Write("steps.dat", ComposeStepFile(StepFileMode::kPage, image, stepType, "2.20"));

    EXPECT_EQ(Run({"load-steps", files.File("steps.dat")}), 6);
    EXPECT_NE(err.str().find("310: File format is not correct."), std::string::npos);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(LastCommands(1), "MD 0;");
}

TEST_F(Cli, AFileThatCannotBeReadIsAnIoError) {
    AddController();
    EXPECT_EQ(Run({"load-steps", files.File("missing.dat")}), 1);
    EXPECT_NE(err.str().find("cannot be read: No such file or directory"), std::string::npos);
    EXPECT_TRUE(bus.Log().empty());
}

// Detail files whose download the Detail Parameter Setup dialog would not start.
struct HeldDetail {
    const char* name;
    std::size_t line;  // 0-based line of the file
    std::size_t field;
    const char* value;
    const char* extra;  // one more argument, or ""
    int status;
    const char* message;
};

constexpr HeldDetail kHeldDetails[] = {
    {"IdChangeWithoutYes", 3, 11, "5", "", 2,
     "354: OK to change the controller ID from ID1 to ID5?"},
    {"StrokeTheSeriesDoesNotOffer", 3, 0, "50", "", 6,
     "511: The tavro motor product number has not been selected."},
    {"NothingChanged", 3, 0, "20", "--yes", 0, "347: No data has been sent"},
};

class DetailHeld : public Cli, public ::testing::WithParamInterface<HeldDetail> {};

TEST_P(DetailHeld, SendsNothing) {
    AddController();
    const HeldDetail& c = GetParam();
    files.Write("d.dat", WithField(Saved("good.dat", true), c.line, c.field, c.value));
    std::vector<std::string> args = {"load-steps", files.File("d.dat"), "--detail"};
    if (c.extra[0] != '\0') {
        args.emplace_back(c.extra);
    }
    EXPECT_EQ(Run(args), c.status);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_TRUE(Writes().empty());
}

INSTANTIATE_TEST_SUITE_P(Cli, DetailHeld, ::testing::ValuesIn(kHeldDetails),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, DetailLoadWithYesChangesTheIdAndGoesOnUnderTheNewOne) {
    sim::SimController& ctl = AddController();
    files.Write("id.dat", WithField(Saved("d.dat", true), 3, 11, "5"));
    ASSERT_EQ(Run({"load-steps", files.File("id.dat"), "--detail", "--yes"}), 0) << err.str();
    EXPECT_EQ(ctl.Id(), 5);
    EXPECT_EQ(ctl.StoredParameter(0, 3), 5.0F);
    EXPECT_NE(err.str().find("346: Configuration change complete."), std::string::npos);
    EXPECT_NE(err.str().find("345: Update complete."), std::string::npos);
    EXPECT_EQ(bus.Requests("MD", 5).size(), 1U) << "back to monitor mode under the new ID";
}

TEST_F(Cli, DetailLoadOfAnotherStrokeResetsThePidSetsAndSendsThemAll) {
    sim::SimController& ctl = AddController();
    files.Write("s.dat", WithField(Saved("d.dat", true), 3, 0, "30"));
    ASSERT_EQ(Run({"load-steps", files.File("s.dat"), "--detail"}), 0) << err.str();
    EXPECT_EQ(ctl.Parameter(0, 0), 30.0F);
    // The detail table is forced: every cell of group 2 is written.
    const auto writes = Writes();
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(),
                            [](const std::string& w) { return w.rfind("EE 2 ", 0) == 0; }),
              57);
}

// The product change of a detail file: the forced detail block writes the servo constants,
// which no file and no default holds, back as the controller holds them, never as 0.
TEST_F(Cli, DetailLoadOfAnotherStrokeWritesNoValueTheToolDoesNotKnow) {
    ControllerOptions options;
    std::vector<std::pair<std::string, float>> held;
    for (int g = 1; g <= 2; ++g) {
        for (int p = g == 1 ? 1 : 0; p <= (g == 1 ? 12 : 11); ++p) {
            const float v = 10.0F * static_cast<float>(g) + 0.25F * static_cast<float>(p + 1);
            options.presets.push_back({g, p, v});
            held.emplace_back("EE " + std::to_string(g) + " " + std::to_string(p) + " ", v);
        }
    }
    sim::SimController& ctl = AddController(options);
    files.Write("d.dat", WithField(Saved("d.dat", true), 3, 0, "10"));
    ASSERT_EQ(Run({"load-steps", files.File("d.dat"), "--detail", "--yes"}), 0) << err.str();
    const auto writes = Writes();
    for (const auto& [prefix, value] : held) {
        const auto it = std::find_if(writes.begin(), writes.end(),
                                     [&](const std::string& w) { return w.rfind(prefix, 0) == 0; });
        ASSERT_NE(it, writes.end()) << prefix;
        EXPECT_FLOAT_EQ(static_cast<float>(std::atof(it->c_str() + prefix.size())), value) << *it;
    }
    EXPECT_FLOAT_EQ(ctl.StoredParameter(1, 12), 10.0F + 0.25F * 13.0F);
    EXPECT_EQ(ctl.Parameter(0, 0), 10.0F);
}

TEST_F(Cli, MonitorPrintsOneLinePerChange) {
    sim::SimController& ctl = AddController();
    loop.StartTimer(1500, false, [&ctl] { ctl.RaiseAlarm(4); });
    ASSERT_EQ(Run({"monitor", "--seconds", "3"}), 0) << err.str();
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 3U) << out.str();
    const std::regex status(
        R"( +\d+ ms  [0-9A-F]{4} .*  position \S+  speed \S+  force \S+  target \S+  step \S+)");
    EXPECT_TRUE(std::regex_match(lines[0], status)) << lines[0];
    EXPECT_NE(lines[0].find(" ALARM "), std::string::npos) << "no alarm yet: the output is on";
    EXPECT_TRUE(std::regex_match(lines[1], status)) << lines[1];
    EXPECT_EQ(lines[1].find(" ALARM "), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("alarm record (latest first): 4 0"), std::string::npos) << lines[2];
    EXPECT_GE(elapsedMs, 3000);
}

TEST_F(Cli, MonitorCsvWritesTheChartFormatAndRenamesTheFileAtTheEnd) {
    sim::SimController& ctl = AddController();
    loop.StartTimer(1500, false, [&ctl] { ctl.RaiseAlarm(4); });
    const std::string path = files.File("run.csv");
    bool partWhileRunning = false;
    loop.StartTimer(2500, false, [&] {
        partWhileRunning = std::ifstream(path + ".part").good() && !std::ifstream(path).good();
    });
    ASSERT_EQ(Run({"monitor", "--seconds", "3", "--csv", path}), 0) << err.str();
    EXPECT_TRUE(partWhileRunning);
    EXPECT_FALSE(std::ifstream(path + ".part").good());
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_TRUE(text.starts_with(SampleCsv::Header())) << text.substr(0, 200);
    const auto record = SampleCsv::Parse(text);
    ASSERT_TRUE(record.has_value());
    // A poll every 100 ms for the 3 s, each a line, times rising.
    EXPECT_GE(record->samples.size(), 25U);
    EXPECT_LE(record->samples.size(), 31U);
    for (std::size_t i = 1; i < record->samples.size(); ++i) {
        EXPECT_GT(record->samples[i].timeMs, record->samples[i - 1].timeMs);
    }
    EXPECT_EQ(record->alarmMs.has_value(), true);
    ASSERT_TRUE(record->alarmCodes.has_value());
    EXPECT_EQ(record->alarmCodes->front(), 4);
}

struct CsvRefusal {
    const char* name;
    bool existing;
    bool yes;
    bool folderMissing;
    int status;
};

constexpr CsvRefusal kCsvRefusals[] = {
    {"ExistingFileWithoutYes", true, false, false, 2},
    {"ExistingFileWithYes", true, true, false, 0},
    {"FolderMissing", false, false, true, 1},
};

class CliCsv : public CliFixture, public ::testing::WithParamInterface<CsvRefusal> {};

TEST_P(CliCsv, ReplacesOnlyWithYesAndReportsAFileItCannotWrite) {
    const CsvRefusal& c = GetParam();
    AddController();
    const std::string path = c.folderMissing ? files.File("none/run.csv") : files.File("run.csv");
    if (c.existing) {
        files.Write("run.csv", "keep\n");
    }
    std::vector<std::string> args = {"monitor", "--seconds", "1", "--csv", path};
    if (c.yes) {
        args.emplace_back("--yes");
    }
    EXPECT_EQ(Run(args), c.status) << err.str();
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (c.status == 0) {
        EXPECT_TRUE(text.starts_with(SampleCsv::Header()));
    } else if (c.existing) {
        EXPECT_EQ(text, "keep\n");
    } else {
        EXPECT_NE(err.str().find("cannot be written"), std::string::npos) << err.str();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliCsv, ::testing::ValuesIn(kCsvRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, MonitorOfAControllerThatFallsSilentEndsWith306) {
    AddController();
    loop.StartTimer(1000, false,
                    [this] { bus.Faults().Add(Fault(FaultKind::kNoReply, sim::kUnlimited)); });
    EXPECT_EQ(Run({"monitor"}), 4);
    EXPECT_NE(err.str().find("306: No response from the controller."), std::string::npos);
    // Four seconds of an unanswered poll, as in the window.
    EXPECT_GE(elapsedMs, 1000 + 3900);
    EXPECT_LT(elapsedMs, 1000 + 4000 + 300);
}

TEST_F(Cli, InterruptDropsTheOperationAndStillReturnsToMonitorMode) {
    AddController();
    bus.SetByteTiming(true);  // so that the upload takes its time on the line
    interruptAtMs = 500;
    EXPECT_EQ(Run({"dump"}), 130);
    EXPECT_NE(err.str().find("interrupted"), std::string::npos);
    EXPECT_EQ(LastCommands(3), "OE 0 0 0;SW 4 1;MD 0;");
    EXPECT_FALSE(bus.ControllerAt(0).TestMode());
}

// The adapter is pulled out half-way through the detail upload, at each line speed: the
// command ends with status 3 within 100 ms, and nothing more is sent or waited for.
class Unplugged : public Cli, public ::testing::WithParamInterface<int> {};

TEST_P(Unplugged, MidUploadExitsWithStatus3WithinAHundredMilliseconds) {
    ControllerOptions o;
    o.baud = GetParam();
    AddController(o);
    bus.SetByteTiming(true);
    sim::InMemoryLine* line = nullptr;
    onOpen = [&line](sim::InMemoryLine& l) { line = &l; };
    std::int64_t unpluggedAt = -1;
    std::size_t sentBefore = 0;
    loop.StartTimer(1500, false, [&] {
        ASSERT_NE(line, nullptr);
        sentBefore = bus.Requests().size();
        unpluggedAt = loop.NowMs();
        line->Unplug(EIO);
    });
    const std::int64_t start = loop.NowMs();
    EXPECT_EQ(Run({"dump", "--baud", std::to_string(GetParam())}), 3);
    ASSERT_GE(unpluggedAt, 0) << "the upload ended before the cable was pulled";
    EXPECT_GT(bus.Requests("EE").size(), 10U) << "pulled half-way through the upload";
    EXPECT_LE(start + elapsedMs, unpluggedAt + 100);
    EXPECT_NE(err.str().find("2411: The serial port was disconnected.\nPort: tavro-sim"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(err.str().find("306:"), std::string::npos) << err.str();
    EXPECT_EQ(bus.Requests().size(), sentBefore) << "nothing after the loss, no goodbye";
    EXPECT_EQ(out.str(), "") << "no parameters printed from an upload cut short";
}

INSTANTIATE_TEST_SUITE_P(Cli, Unplugged, ::testing::Values(9600, 57600));

TEST_F(Cli, TraceShowsEveryFrameWithItsTime) {
    AddController();
    ASSERT_EQ(Run({"info", "--trace"}), 0) << err.str();
    const std::regex frame(R"( +\d+ ms (->|<-) :.*\\r\\n)");
    std::size_t sent = 0;
    std::size_t received = 0;
    for (const auto& line : Lines(err.str())) {
        ASSERT_TRUE(std::regex_match(line, frame)) << line;
        sent += line.find(" -> ") != std::string::npos ? 1 : 0;
        received += line.find(" <- ") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(sent, bus.Requests().size());
    EXPECT_EQ(received, bus.Replies().size());
    EXPECT_NE(err.str().find("-> :01 VEE4\\r\\n"), std::string::npos);
}

TEST_F(Cli, UsesTheRememberedPortWithoutTouchingTheSettings) {
    AddController();
    const std::string ini =
        "[SERIAL]\r\nCOM=1\r\nBAUDRATE=9600\r\nAUTO=0\r\nPORT=" + std::string(kPort) + "\r\n";
    settings.Write("MOTOR-PID.ini", ini);
    ASSERT_EQ(Run({"info"}, false), 0) << err.str();
    EXPECT_EQ(settings.Read("MOTOR-PID.ini"), ini);
}

TEST_F(Cli, WritesNoSettingsFile) {
    AddController();
    ASSERT_EQ(Run({"info"}), 0) << err.str();
    EXPECT_EQ(std::filesystem::directory_iterator(settings.Path()),
              std::filesystem::directory_iterator());
}

TEST_F(Cli, PortsListsRegisteredSimulatorsAndSaysWhenThereIsNone) {
    EXPECT_EQ(Run({"ports"}, false), 0);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("234: Not Available"), std::string::npos);

    files.Write("pty", "");
    ASSERT_TRUE(RegisterVirtualPort(files.File("pty"), "Tavro simulated controller (ID 1)",
                                    scan.registryDir));
    EXPECT_EQ(Run({"ports"}, false), 0);
    EXPECT_EQ(out.str(), files.File("pty") + "\tTavro simulated controller (ID 1)\n");
}

TEST_F(Cli, PortsDescribesAUsbAdapterAsTheComSelectionDoes) {
    namespace fs = std::filesystem;
    const std::string usb = ports.File("devices/usb1/1-1");
    fs::create_directories(usb + "/1-1:1.0/ttyUSB0");
    ports.Write("devices/usb1/1-1/idVendor", "0403\n");
    ports.Write("devices/usb1/1-1/idProduct", "6001\n");
    ports.Write("devices/usb1/1-1/manufacturer", "FTDI\n");
    ports.Write("devices/usb1/1-1/product", "FT232R USB UART\n");
    ports.Write("devices/usb1/1-1/serial", "A50285BI\n");
    fs::create_directories(ports.File("sys/ttyUSB0"));
    fs::create_directory_symlink(usb + "/1-1:1.0/ttyUSB0", ports.File("sys/ttyUSB0/device"));
    fs::create_directories(ports.File("dev"));
    ports.Write("dev/ttyUSB0", "");
    EXPECT_EQ(Run({"ports"}, false), 0);
    EXPECT_EQ(out.str(), ports.File("dev/ttyUSB0") +
                             "\tFT232R USB UART \u2014 FTDI \u2014 A50285BI \u2014 0403:6001\n");
}

// Undoes the escapes of the strings command.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char e = text[++i];
        out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
    }
    return out;
}

class StringsCommand : public Cli, public ::testing::WithParamInterface<const char*> {};

TEST_P(StringsCommand, PrintsEachEntryOnOneLineThatReadsBackToItsText) {
    const std::string code = GetParam();
    const Language language = code == "ja" ? Language::kJapanese : Language::kEnglish;
    ASSERT_EQ(Run({"strings", code}, false), 0);
    const auto entries = StringTable::Entries(language);
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), entries.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t tab = lines[i].find('\t');
        ASSERT_NE(tab, std::string::npos);
        EXPECT_EQ(lines[i].find('\t', tab + 1), std::string::npos) << lines[i];
        EXPECT_EQ(lines[i].substr(0, tab), std::to_string(entries[i].id));
        EXPECT_EQ(Unescaped(lines[i].substr(tab + 1)), entries[i].text);
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, StringsCommand, ::testing::Values("en", "ja"));

TEST_F(Cli, HelpOfEachCommandExitsZero) {
    for (const char* command :
         {"ports", "search", "info", "dump", "save-steps", "load-steps", "monitor", "strings"}) {
        EXPECT_EQ(Run({command, "--help"}, false), 0) << command;
        EXPECT_NE(out.str().find("Exit status:"), std::string::npos) << command;
    }
    EXPECT_EQ(Run({"--help"}, false), 0);
    EXPECT_NE(out.str().find("load-steps"), std::string::npos);
}

}  // namespace
}  // namespace tavro::cli::test
