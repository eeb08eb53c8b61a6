// Backups, several controllers on one line, JSON results and passive reads.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/Backup.h"
#include "cli/ExitStatus.h"
#include "sim/FaultPlan.h"
#include "tests/cli/CliFixture.h"
#include "tests/cli/JsonReader.h"

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

std::string Replaced(std::string text, const std::string& find, const std::string& replace) {
    const std::size_t at = text.find(find);
    EXPECT_NE(at, std::string::npos) << find;
    if (at != std::string::npos) {
        text.replace(at, find.size(), replace);
    }
    return text;
}

// A controller whose memory is nothing like its factory defaults: servo constants, PID gains,
// steps off the pages' grids, reversed areas, another ID, delay and output functions.
ControllerOptions Tuned(int id = 1) {
    ControllerOptions o;
    o.id = id;
    o.minDelayMs = 2.5;
    for (int p = 1; p <= 12; ++p) {
        o.presets.push_back({1, p, 100.0F + 0.25F * static_cast<float>(p)});
        o.presets.push_back({2, p - 1, -50.0F + 1.5F * static_cast<float>(p)});
    }
    o.presets.push_back({1, 13, 12.5F});
    o.presets.push_back({2, 12, 33.3F});
    o.presets.push_back({2, 56, 0.0042F});
    o.presets.push_back({0, 6, 3.0F});
    o.presets.push_back({0, 11, 125.0F});
    o.presets.push_back({0, 19, 2.5F});
    o.presets.push_back({3, 0, 1234.5F});
    o.presets.push_back({3, 5, 32783.0F});
    o.presets.push_back({4, 7, 75.0F});
    o.presets.push_back({5, 11, 9000.0F});
    o.presets.push_back({5, 12, 1000.0F});
    o.presets.push_back({17, 15, 4.0F});
    return o;
}

// Whether any request on the line had one of these codes, or was an alarm reset.
bool SentAnyOf(const sim::SimBus& bus, std::initializer_list<const char*> codes) {
    const auto requests = bus.Requests();
    return std::any_of(requests.begin(), requests.end(), [&codes](const sim::LineRecord& r) {
        return r.command == "RE 0" || std::find(codes.begin(), codes.end(), r.code) != codes.end();
    });
}

std::size_t CountCommand(const sim::SimBus& bus, const std::string& command, int id) {
    const auto requests = bus.Requests({}, id);
    return static_cast<std::size_t>(
        std::count_if(requests.begin(), requests.end(),
                      [&command](const sim::LineRecord& r) { return r.command == command; }));
}

class Line : public CliFixture {
  protected:
    // Every parameter a backup file holds, as the file holds it.
    std::vector<BackupParameter> BackedUp(const std::string& name) {
        const auto read = ParseBackup(files.Read(name), StringTable(Language::kEnglish));
        EXPECT_TRUE(read.backup.has_value()) << read.reason;
        return read.backup ? read.backup->parameters : std::vector<BackupParameter>{};
    }
};

TEST_F(Line, BackupHoldsEveryParameterTheDetailUploadReadsWithTheControllersIdentity) {
    ControllerOptions o = Tuned();
    o.series = sim::kSeriesF;
    o.stroke = 50;
    sim::SimController& ctl = AddController(o);
    ASSERT_EQ(Run({"backup", files.File("b.json")}), 0) << err.str();
    EXPECT_NE(err.str().find("349: Save complete."), std::string::npos) << err.str();

    const auto json = ParseJson(files.Read("b.json"));
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ(json->Find("format")->text, "tavro-controller-backup");
    EXPECT_EQ(json->Find("formatVersion")->number, 1.0);
    EXPECT_EQ(json->Find("tool")->text.rfind("tavro-cli ", 0), 0U);
    EXPECT_NE(json->Find("date")->text.find('T'), std::string::npos);
    const JsonValue* c = json->Find("controller");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Find("product")->text, "KRM3F-50");
    EXPECT_EQ(c->Find("version")->text, "2.60");
    EXPECT_EQ(c->Find("series")->number, 1.0);
    EXPECT_EQ(c->Find("controlSignalType")->number, 1.0);

    const auto parameters = BackedUp("b.json");
    // The detail upload's 88 + 15 x 15 + 18 reads, and the ID, the line speed and the delay.
    EXPECT_EQ(parameters.size(), 88U + 225U + 18U + 3U);
    for (const BackupParameter& p : parameters) {
        EXPECT_EQ(p.value, ctl.Parameter(p.group, p.parameter)) << p.group << "/" << p.parameter;
    }
    EXPECT_NE(files.Read("b.json").find(
                  "{\"group\": 3, \"parameter\": 0, \"value\": 1234.5, \"caption\": \"Step 1: "
                  "Target position\"}"),
              std::string::npos);
    EXPECT_NE(files.Read("b.json").find("\"caption\": \"Group 2: Derivative time (Td) of STO\""),
              std::string::npos);
    EXPECT_TRUE(Writes().empty()) << "a backup only reads";
}

// The line of a restore: as fast or as slow as the controller's own speed.
struct RestoreLine {
    const char* name;
    int baud;
    bool byteTiming;
};

constexpr RestoreLine kRestoreLines[] = {
    {"Instant", 19200, false},
    {"At9600", 9600, true},
    {"At57600", 57600, true},
};

class Restore : public Line, public ::testing::WithParamInterface<RestoreLine> {
  protected:
    Restore() { bus.SetByteTiming(GetParam().byteTiming); }
    int RunOnLine(std::vector<std::string> args) {
        args.insert(args.end(), {"--baud", std::to_string(GetParam().baud)});
        return Run(args);
    }
};

TEST_P(Restore, OfAFreshControllerGivesBackItsMemoryAndThenFindsNothingToWrite) {
    ControllerOptions o = Tuned();
    o.baud = GetParam().baud;
    sim::SimController& ctl = AddController(o);
    ASSERT_EQ(RunOnLine({"backup", files.File("b.json")}), 0) << err.str();
    const auto parameters = BackedUp("b.json");
    ASSERT_FALSE(parameters.empty());

    ctl.FactoryReset();  // a fresh controller of the same product
    bus.ClearLog();
    EXPECT_EQ(RunOnLine({"restore", files.File("b.json")}), kExitUsage)
        << "the difference is shown, nothing written without --yes";
    EXPECT_NE(out.str().find("g/p\tfield\tcontroller\tbackup\n"), std::string::npos);
    EXPECT_NE(out.str().find("1/1\tGroup 1: Servo constant 1\t20\t100.25\n"), std::string::npos)
        << out.str();
    EXPECT_NE(err.str().find("give --yes to write these"), std::string::npos) << err.str();
    EXPECT_TRUE(Writes().empty());

    ASSERT_EQ(RunOnLine({"restore", files.File("b.json"), "--yes"}), 0) << err.str();
    for (const BackupParameter& p : parameters) {
        EXPECT_EQ(ctl.StoredParameter(p.group, p.parameter), p.value)
            << p.group << "/" << p.parameter;
    }
    if (GetParam().baud != 19200) {
        EXPECT_NE(err.str().find("switched off and on again"), std::string::npos)
            << "the factory speed was put back to the backup's";
    }

    bus.ClearLog();
    ASSERT_EQ(RunOnLine({"restore", files.File("b.json"), "--yes"}), 0) << err.str();
    EXPECT_NE(err.str().find("347: No data has been sent"), std::string::npos) << err.str();
    EXPECT_TRUE(Writes().empty()) << "change nothing, write nothing";
}

INSTANTIATE_TEST_SUITE_P(Line, Restore, ::testing::ValuesIn(kRestoreLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Line, RestoreWritesOnlyTheValuesThatDiffer) {
    sim::SimController& ctl = AddController(Tuned());
    ASSERT_EQ(Run({"backup", files.File("b.json")}), 0) << err.str();
    ctl.SetParameter(4, 7, 100.0F);  // one step and one gain changed since
    ctl.SetParameter(2, 30, 7.5F);
    ctl.Store();
    bus.ClearLog();
    ASSERT_EQ(Run({"restore", files.File("b.json"), "--yes"}), 0) << err.str();
    std::vector<std::string> parameterWrites;
    for (const std::string& w : Writes()) {
        if (w != "EU") {
            parameterWrites.push_back(w);
        }
    }
    EXPECT_EQ(parameterWrites, (std::vector<std::string>{"EE 2 30 0.10000", "EE 4 7 75.00000"}));
    EXPECT_EQ(ctl.StoredParameter(4, 7), 75.0F);
}

// Backups a restore refuses before it opens the port.
struct BadBackup {
    std::string name;
    std::string find;  // in a good backup; empty: the text replaces the whole file
    std::string replace;
    int status;
    std::string says;
};

const BadBackup kBadBackups[] = {
    {"Empty", "", "", kExitFileRejected, "it is not JSON (at character 1)"},
    {"Truncated", "\n  ]\n}\n", "\n  ", kExitFileRejected, "it is not JSON"},
    {"Garbage", "", "\x01\xff{[\"", kExitFileRejected, "it is not JSON (at character 1)"},
    {"DeepNesting", "", std::string(5000, '['), kExitFileRejected, "it is not JSON"},
    {"StepDataFile", "", "[Tavro Motor Controller Step Data]\r\n", kExitFileRejected,
     "it is not JSON"},
    {"OtherFormat", "tavro-controller-backup", "tavro-other", kExitFileRejected,
     "names no format version this tool knows"},
    {"NewerVersion", "\"formatVersion\": 1", "\"formatVersion\": 2", kExitFileRejected,
     "names no format version this tool knows"},
    {"NoController", "\"controller\"", "\"controllers\"", kExitFileRejected,
     "its controller section is missing or incomplete"},
    {"ValueAsText", "\"value\": 20,", "\"value\": \"20\",", kExitFileRejected,
     "a parameter entry is not {group, parameter, value}"},
    {"HugeValue", "\"value\": 20,", "\"value\": 1e300,", kExitFileRejected,
     "a parameter entry is not {group, parameter, value}"},
    {"FractionalGroup", "{\"group\": 0, \"parameter\": 0,", "{\"group\": 0.5, \"parameter\": 0,",
     kExitFileRejected, "a parameter entry is not {group, parameter, value}"},
    {"ControlTypeCell", "{\"group\": 0, \"parameter\": 0,", "{\"group\": 0, \"parameter\": 12,",
     kExitFileRejected, "parameter 0/12 is not one a backup holds"},
    {"JogStep", "{\"group\": 0, \"parameter\": 0,", "{\"group\": 18, \"parameter\": 0,",
     kExitFileRejected, "parameter 18/0 is not one a backup holds"},
    {"Twice", "{\"group\": 0, \"parameter\": 1,", "{\"group\": 0, \"parameter\": 0,",
     kExitFileRejected, "parameter 0/0 appears twice"},
};

class RefusedBackup : public Line, public ::testing::WithParamInterface<BadBackup> {};

TEST_P(RefusedBackup, SaysWhyAndLeavesTheLineAlone) {
    const BadBackup& c = GetParam();
    AddController();
    ASSERT_EQ(Run({"backup", files.File("good.json")}), 0) << err.str();
    const std::string good = files.Read("good.json");
    files.Write("bad.json", c.find.empty() ? c.replace : Replaced(good, c.find, c.replace));
    bus.ClearLog();
    EXPECT_EQ(Run({"restore", files.File("bad.json"), "--yes"}), c.status);
    EXPECT_NE(err.str().find(files.File("bad.json") + ": not a backup this tool can read: "),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
    EXPECT_TRUE(bus.Log().empty()) << "refused before the port was opened";
}

INSTANTIATE_TEST_SUITE_P(Line, RefusedBackup, ::testing::ValuesIn(kBadBackups),
                         [](const auto& info) { return info.param.name; });

TEST_F(Line, ABackupLargerThanAnyIsRefusedUnread) {
    AddController();
    files.Write("big.json", std::string(kMaxBackupBytes + 1, ' '));
    EXPECT_EQ(Run({"restore", files.File("big.json")}), kExitFileRejected);
    EXPECT_NE(err.str().find("the backup is larger than"), std::string::npos) << err.str();
    EXPECT_TRUE(bus.Log().empty());
}

// A backup of another product or control-signal type, and what --force does with it.
struct OtherProduct {
    const char* name;
    const char* find;
    const char* replace;
    const char* says;
};

constexpr OtherProduct kOtherProducts[] = {
    {"Series", "\"series\": 2,", "\"series\": 1,", "the backup is of KRM3F-20"},
    {"Stroke", "\"stroke\": 20,", "\"stroke\": 30,", "the backup is of KRM3-30"},
    {"ControlType", "\"controlSignalType\": 1", "\"controlSignalType\": 2",
     "(control-signal type 2), the controller is KRM3-20 (control-signal type 1)"},
};

class ProductMismatch : public Line, public ::testing::WithParamInterface<OtherProduct> {};

TEST_P(ProductMismatch, IsRefusedUnlessForced) {
    sim::SimController& ctl = AddController(Tuned());
    ASSERT_EQ(Run({"backup", files.File("b.json")}), 0) << err.str();
    files.Write("other.json", Replaced(files.Read("b.json"), GetParam().find, GetParam().replace));
    ctl.FactoryReset();
    bus.ClearLog();
    EXPECT_EQ(Run({"restore", files.File("other.json"), "--yes"}), kExitFileRejected);
    EXPECT_NE(err.str().find(GetParam().says), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("give --force"), std::string::npos) << err.str();
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(ctl.TestMode()) << "back in monitor mode";

    ASSERT_EQ(Run({"restore", files.File("other.json"), "--yes", "--force"}), 0) << err.str();
    EXPECT_EQ(ctl.StoredParameter(1, 1), 100.25F);
}

INSTANTIATE_TEST_SUITE_P(Line, ProductMismatch, ::testing::ValuesIn(kOtherProducts),
                         [](const auto& info) { return std::string(info.param.name); });

// --ids with a silent controller in the middle, at the speeds of the line.
struct IdsLine {
    const char* name;
    int baud;
    bool byteTiming;
};

constexpr IdsLine kIdsLines[] = {
    {"Instant", 19200, false},
    {"At9600", 9600, true},
    {"At57600", 57600, true},
};

class SeveralIds : public Line, public ::testing::WithParamInterface<IdsLine> {
  protected:
    SeveralIds() {
        for (int id : {1, 3}) {
            ControllerOptions o;
            o.id = id;
            o.baud = GetParam().baud;
            AddController(o);
        }
        bus.SetByteTiming(GetParam().byteTiming);
    }
    int RunOnLine(std::vector<std::string> args) {
        args.insert(args.end(), {"--baud", std::to_string(GetParam().baud)});
        return Run(args);
    }
    // The result line of each ID: "ID<TAB>status<TAB>summary".
    std::vector<std::string> ResultLines() const {
        std::vector<std::string> found;
        for (const std::string& l : Lines(out.str())) {
            const std::size_t tab = l.find('\t');
            if (tab != std::string::npos && l.size() > tab + 2 &&
                std::isdigit(static_cast<unsigned char>(l[tab + 1])) != 0 &&
                l.find('\t', tab + 1) != std::string::npos) {
                found.push_back(l);
            }
        }
        return found;
    }
};

TEST_P(SeveralIds, InfoGoesOnPastASilentIdAndExitsWithItsStatus) {
    EXPECT_EQ(RunOnLine({"info", "--ids", "1-3"}), kExitNoResponse);
    EXPECT_EQ(ResultLines(), (std::vector<std::string>{
                                 "1\t0\tok",
                                 "2\t4\t306: No response from the controller.",
                                 "3\t0\tok",
                             }))
        << out.str();
    EXPECT_NE(out.str().find("1\tid: 1\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("3\tid: 3\n"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("ID 2: 306: No response from the controller."), std::string::npos)
        << err.str();
    EXPECT_EQ(portOpens, 1) << "one open port for every ID";
    for (std::size_t i = 0; i < bus.ControllerCount(); ++i) {
        EXPECT_FALSE(bus.ControllerAt(i).TestMode()) << "each back in monitor mode";
    }
    // Each controller was told goodbye under its own ID.
    EXPECT_EQ(CountCommand(bus, "MD 0", 1), 1U);
    EXPECT_EQ(CountCommand(bus, "MD 0", 3), 1U);
    EXPECT_EQ(CountCommand(bus, "MD 1", 2), 0U) << "ID 2 never answered the connect";
}

TEST_P(SeveralIds, LoadStepsWritesTheSameFileToEachControllerThatAnswers) {
    ASSERT_EQ(RunOnLine({"save-steps", files.File("s{id}.dat"), "--ids", "1,3"}), 0) << err.str();
    std::string text = files.Read("s1.dat");
    text = Replaced(text, "\r\n1,0.000,1.00,20,", "\r\n1,5000.000,1.50,20,");
    files.Write("line.dat", text);
    bus.ClearLog();
    EXPECT_EQ(RunOnLine({"load-steps", files.File("line.dat"), "--ids", "1-3"}), kExitNoResponse);
    for (int id : {1, 3}) {
        std::vector<std::string> writes;
        for (const auto& r : bus.Requests("", id)) {
            if ((r.code == "EE" && std::count(r.command.begin(), r.command.end(), ' ') == 3) ||
                r.code == "EU") {
                writes.push_back(r.command);
            }
        }
        EXPECT_EQ(writes, (std::vector<std::string>{"EE 3 0 5000.00000", "EE 3 1 1.50000", "EU"}))
            << "ID " << id;
        EXPECT_EQ(bus.Controller(id)->StoredParameter(3, 0), 5000.0F);
    }
}

TEST_P(SeveralIds, RestoreTakesEachControllersOwnBackup) {
    bus.Controller(1)->SetParameter(3, 0, 1000.0F);
    bus.Controller(3)->SetParameter(3, 0, 3000.0F);
    ASSERT_EQ(RunOnLine({"backup", files.File("b{id}.json"), "--ids", "1,3"}), 0) << err.str();
    bus.Controller(1)->SetParameter(3, 0, 0.0F);
    bus.Controller(3)->SetParameter(3, 0, 0.0F);
    EXPECT_EQ(RunOnLine({"restore", files.File("b{id}.json"), "--ids", "1-3", "--yes"}),
              kExitIoError);
    EXPECT_EQ(bus.Controller(1)->StoredParameter(3, 0), 1000.0F);
    EXPECT_EQ(bus.Controller(3)->StoredParameter(3, 0), 3000.0F);
    // The silent ID has no backup: it fails on its file before anything is sent to it.
    EXPECT_NE(out.str().find("2\t1\texit status 1\n"), std::string::npos) << out.str();
    EXPECT_EQ(bus.Requests({}, 2).size(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Line, SeveralIds, ::testing::ValuesIn(kIdsLines),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Line, JsonWithIdsIsOneObjectPerId) {
    for (int id : {1, 3}) {
        ControllerOptions o;
        o.id = id;
        AddController(o);
    }
    EXPECT_EQ(Run({"info", "--ids", "1-3", "--json"}), kExitNoResponse);
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 3U) << out.str();
    const int statuses[] = {0, 4, 0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto json = ParseJson(lines[i]);
        ASSERT_TRUE(json.has_value()) << lines[i];
        EXPECT_EQ(json->Find("id")->number, static_cast<double>(i + 1));
        EXPECT_EQ(json->Find("status")->number, statuses[i]);
    }
    EXPECT_NE(lines[1].find("{\"number\":306,\"text\":\"No response from the controller.\\n"),
              std::string::npos)
        << lines[1];
    EXPECT_NE(lines[2].find("\"model\":\"KRM3-20\""), std::string::npos) << lines[2];
}

// Every command's --json result: one valid object whose status is the exit status.
struct JsonCase {
    const char* name;
    std::vector<std::string> args;
    bool withPort;
    int status;
    const char* member;  // a member the object has
};

const JsonCase kJsonCases[] = {
    {"Ports", {"ports"}, false, 0, "ports"},
    {"Search", {"search", "--to", "2"}, true, 0, "found"},
    {"SearchNone", {"search", "--from", "5", "--to", "5"}, true, 4, "found"},
    {"Info", {"info"}, true, 0, "model"},
    {"InfoSilent", {"info", "--id", "9"}, true, 4, "messages"},
    {"Dump", {"dump"}, true, 0, "parameters"},
    {"SaveSteps", {"save-steps", "FILE"}, true, 0, "file"},
    {"Backup", {"backup", "FILE"}, true, 0, "parameters"},
    {"Monitor", {"monitor", "--seconds", "1"}, true, 0, "messages"},
    {"Strings", {"strings", "ja"}, false, 0, "strings"},
};

class JsonResult : public Line, public ::testing::WithParamInterface<JsonCase> {};

TEST_P(JsonResult, IsOneObjectWithTheExitStatus) {
    AddController();
    std::vector<std::string> args = GetParam().args;
    for (std::string& a : args) {
        if (a == "FILE") {
            a = files.File("out.file");
        }
    }
    args.emplace_back("--json");
    EXPECT_EQ(Run(args, GetParam().withPort), GetParam().status) << err.str();
    const auto lines = Lines(out.str());
    ASSERT_FALSE(lines.empty());
    for (const std::string& l : lines) {
        ASSERT_TRUE(ParseJson(l).has_value()) << l;
    }
    const auto result = ParseJson(lines.back());
    EXPECT_EQ(result->Find("status")->number, GetParam().status);
    EXPECT_NE(result->Find(GetParam().member), nullptr) << lines.back();
}

INSTANTIATE_TEST_SUITE_P(Line, JsonResult, ::testing::ValuesIn(kJsonCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Line, LoadStepsJsonListsWhatWentOut) {
    AddController();
    ASSERT_EQ(Run({"save-steps", files.File("a.dat")}), 0) << err.str();
    files.Write("b.dat", Replaced(files.Read("a.dat"), "\r\n1,0.000,", "\r\n1,5000.000,"));
    ASSERT_EQ(Run({"load-steps", files.File("b.dat"), "--json"}), 0) << err.str();
    const auto json = ParseJson(out.str());
    ASSERT_TRUE(json.has_value()) << out.str();
    EXPECT_NE(out.str().find("\"written\":[{\"group\":3,\"parameter\":0,\"value\":5000}]"),
              std::string::npos)
        << out.str();
}

// What reads only, and sends only reads.
const std::vector<std::string> kPassiveCommands[] = {
    {"info"}, {"dump"}, {"save-steps", "FILE"}, {"backup", "FILE"}, {"monitor", "--seconds", "2"},
};

class Passive : public Line, public ::testing::WithParamInterface<std::vector<std::string>> {
  protected:
    // A machine that runs the controller from its I/O: servo on, a step started by DRIVE.
    sim::SimController& RunningMachine() {
        sim::SimController& ctl = AddController();
        ctl.SetPhysicalInputs(sim::kBitSvon);
        return ctl;
    }
};

TEST_P(Passive, PutsNoOeMdOrSwOnTheLineAndLeavesTheMachineRunning) {
    sim::SimController& ctl = RunningMachine();
    bus.SetByteTiming(true);
    std::vector<std::string> args = GetParam();
    for (std::string& a : args) {
        if (a == "FILE") {
            a = files.File("out.file");
        }
    }
    args.emplace_back("--passive");
    ASSERT_EQ(Run(args), 0) << err.str();
    EXPECT_FALSE(SentAnyOf(bus, {"OE", "MD", "SW"})) << "only reads";
    EXPECT_TRUE(Writes().empty());
    EXPECT_FALSE(bus.Requests("EE").empty() && bus.Requests("MO").empty());
    EXPECT_FALSE(ctl.TestMode()) << "the controller never left monitor mode";
    EXPECT_TRUE(ctl.ServoOn()) << "its own SVON input still holds the servo";
}

INSTANTIATE_TEST_SUITE_P(Line, Passive, ::testing::ValuesIn(kPassiveCommands),
                         [](const auto& info) {
                             std::string name = info.param[0];
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST_F(Line, PassiveAgainstAControllerThatRefusesReadsStopsWithoutWriting) {
    sim::SimController& ctl = AddController();
    ctl.SetPhysicalInputs(sim::kBitSvon);
    Fault ng(FaultKind::kNg);
    ng.code = "EE";
    bus.Faults().Add(ng);
    EXPECT_EQ(Run({"info", "--passive"}), kExitAlarm);
    EXPECT_NE(err.str().find("the controller refused \"EE 0 0\" (NG); with --passive its alarm "
                             "record is not read"),
              std::string::npos)
        << err.str();
    EXPECT_FALSE(SentAnyOf(bus, {"OE", "MD", "SW"}));
    EXPECT_TRUE(ctl.ServoOn());
    EXPECT_LT(elapsedMs, 3000) << "no wait for a reply to what was not sent";
}

TEST_F(Line, WithoutPassiveTheSameCommandStopsTheMachine) {
    sim::SimController& ctl = AddController();
    ctl.SetPhysicalInputs(sim::kBitSvon);
    ASSERT_EQ(Run({"info"}), 0) << err.str();
    EXPECT_FALSE(bus.Requests("OE").empty());
    EXPECT_FALSE(bus.Requests("MD").empty());
}

}  // namespace
}  // namespace tavro::cli::test
