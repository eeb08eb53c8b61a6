#include "cli/CliOptions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "cli/ExitStatus.h"
#include "link/StringIds.h"

namespace tavro::cli {

namespace {

constexpr std::string_view kProgram = "tavro-cli";

enum OptionBit : unsigned {
    kOptPort = 1U << 0,
    kOptBaud = 1U << 1,
    kOptId = 1U << 2,
    kOptFrom = 1U << 3,
    kOptTo = 1U << 4,
    kOptDetail = 1U << 5,
    kOptJson = 1U << 6,
    kOptYes = 1U << 7,
    kOptSeconds = 1U << 8,
    kOptTrace = 1U << 9,
    kOptHelp = 1U << 10,
    kOptQuick = 1U << 11,
    kOptIds = 1U << 12,
    kOptPassive = 1U << 13,
    kOptForce = 1U << 14,
    kOptStep = 1U << 15,
    kOptCycles = 1U << 16,
    kOptSettle = 1U << 17,
    kOptReport = 1U << 18,
    kOptTraceCsv = 1U << 19,
    kOptStats = 1U << 20,
    kOptCsv = 1U << 21,
};

constexpr unsigned kLink =
    kOptPort | kOptBaud | kOptTrace | kOptTraceCsv | kOptStats | kOptHelp | kOptJson;
// The commands that run on each controller of --ids in turn.
constexpr unsigned kEach = kOptId | kOptIds;

struct OptionSpec {
    std::string_view name;
    OptionBit bit;
    std::string_view value;  // empty: a switch
    std::string_view help;
};

constexpr OptionSpec kOptions[] = {
    {"port", kOptPort, "PATH",
     "serial device (default: the port the configuration tool opened last)"},
    {"baud", kOptBaud, "N", "line speed: 2400, 9600, 19200 (default), 38400 or 57600"},
    {"id", kOptId, "N", "controller ID, 1..255 (default 1)"},
    {"from", kOptFrom, "N", "first ID of the search, 1..255 (default 1)"},
    {"to", kOptTo, "N",
     "search: last ID, 1..255 (default: the first); repeat: the other step, 1..15"},
    {"quick", kOptQuick, "", "ask each ID once with a time-out from the line speed"},
    {"detail", kOptDetail, "", "the Detail Parameter Setup file: all step cells and parameters"},
    {"ids", kOptIds, "LIST",
     "run on each of these IDs in turn over one port, such as 1-5,8; one result line per ID"},
    {"json", kOptJson, "", "print JSON results, one object per line"},
    {"yes", kOptYes, "", "answer Yes where the window would ask (348, 354), write a restore"},
    {"passive", kOptPassive, "",
     "only read commands on the line (no OE, MD, SW): the controller stays in monitor mode"},
    {"force", kOptForce, "", "restore a backup taken from another product"},
    {"step", kOptStep, "N", "repeat: the step whose arrivals are measured, 1..15"},
    {"cycles", kOptCycles, "K", "repeat: how many cycles, 1..10000"},
    {"settle-ms", kOptSettle, "MS", "repeat: settle time after INP, 0..10000 ms (default 100)"},
    {"report", kOptReport, "FILE.pdf",
     "repeat: the report; the CSV of every arrival goes beside it"},
    {"seconds", kOptSeconds, "N", "stop after N seconds, 1..86400 (default: at Ctrl-C)"},
    {"csv", kOptCsv, "FILE",
     "also record every sample to FILE as the chart window does (FILE.part until the end)"},
    {"trace", kOptTrace, "", "every frame sent and received, with milliseconds, on stderr"},
    {"trace-csv", kOptTraceCsv, "FILE",
     "the communication log as CSV: every frame, its status, retries and latency"},
    {"stats", kOptStats, "", "a stats line at the end: commands, resends, time-outs, latency"},
    {"help", kOptHelp, "", "this help"},
};

struct CommandSpec {
    Command command;
    std::string_view name;
    std::string_view args;  // positional arguments as the usage line shows them
    int minArgs;
    int maxArgs;
    unsigned options;
    std::string_view summary;
    std::string_view details;
};

constexpr CommandSpec kCommands[] = {
    {Command::kPorts, "ports", "", 0, 0, kOptTrace | kOptHelp | kOptJson,
     "list the serial ports the configuration tool would offer",
     "One line per port: device path, a tab, the description (may be empty)."},
    {Command::kSearch, "search", "", 0, 0, kLink | kOptFrom | kOptTo | kOptQuick,
     "probe controller IDs with \"VE\" and print those that answered",
     "One ID per line. An ID that does not answer costs four tries, about 4 seconds.\n"
     "With --quick an ID is asked once and waits only as long as an answer takes at the\n"
     "line speed; an ID that answers is asked again with the ordinary time-out, and the\n"
     "silent ones once more at the end.\n"
     "No answer at all: message 261 and exit status 4."},
    {Command::kInfo, "info", "", 0, 0, kLink | kEach | kOptPassive,
     "connect and print version, model, control-signal type, ID, speed and delay", ""},
    {Command::kDump, "dump", "", 0, 0, kLink | kEach | kOptPassive,
     "read the detail parameters and print every parameter read",
     "One line per parameter g/p read from the controller, with its value."},
    {Command::kSaveSteps, "save-steps", "FILE", 1, 1,
     kLink | kEach | kOptDetail | kOptYes | kOptPassive,
     "read the step data and write a step-data file",
     "Without --detail the file is the Step Data Setup page's (step cells 0 to 8); with it,\n"
     "the Detail Parameter Setup dialog's. An existing file is replaced only with --yes.\n"
     "With --ids, \"{id}\" in FILE is replaced by each controller's ID."},
    {Command::kLoadSteps, "load-steps", "FILE", 1, 1, kLink | kEach | kOptDetail | kOptYes,
     "check a step-data file as the window does, then write it to the controller",
     "A file that fails the checks (message 310 or 312) is rejected before anything is\n"
     "written; only values that differ from the controller's are sent. With --detail a\n"
     "file that changes the controller ID needs --yes."},
    {Command::kMonitor, "monitor", "", 0, 0,
     kLink | kOptId | kOptSeconds | kOptPassive | kOptCsv | kOptYes,
     "print the monitor's status bits and values, one line per change",
     "Values read \"-\" until the actuator has returned to its origin, as in the window.\n"
     "With --csv every sample also goes to FILE in the chart window's format: it grows as\n"
     "FILE.part, flushed every second, and is renamed to FILE at the end. An existing FILE\n"
     "is replaced only with --yes."},
    {Command::kStrings, "strings", "[en|ja]", 0, 1, kOptTrace | kOptHelp | kOptJson,
     "print the string table, one ID<TAB>text line per entry",
     "Backslash, tab, carriage return and line feed are written \\\\, \\t, \\r and \\n.\n"
     "Without a language, the one the window would use."},
    {Command::kBackup, "backup", "FILE.json", 1, 1, kLink | kEach | kOptYes | kOptPassive,
     "read every parameter of the controller and write them to a JSON backup",
     "The detail upload's parameters, the ID, the line speed and the minimum delay, with the\n"
     "controller's version and product. An existing file is replaced only with --yes.\n"
     "With --ids, \"{id}\" in FILE is replaced by each controller's ID."},
    {Command::kRepeat, "repeat", "", 0, 0,
     kOptPort | kOptBaud | kOptTrace | kOptTraceCsv | kOptStats | kOptHelp | kOptId | kOptStep |
         kOptTo | kOptCycles | kOptSettle | kOptReport | kOptYes,
     "run the repeatability measurement and write its report",
     "--step, --cycles and --report are needed. Each cycle moves to --step from the origin,\n"
     "or with --to between the two steps, and records where the table is once INP is on and\n"
     "the settle time has passed. A return to origin comes first when none was made.\n"
     "Prints one line per step with the measured and the rated repeatability and PASS or\n"
     "FAIL; writes FILE.pdf (in the build with Qt) and FILE.csv beside it, replacing\n"
     "existing files only with --yes. An alarm stops the run: exit status 7."},
    {Command::kRestore, "restore", "FILE.json", 1, 1, kLink | kEach | kOptYes | kOptForce,
     "print what differs from a backup, and with --yes write it",
     "Only the values that differ are written. A backup of another product or control-signal\n"
     "type is refused unless --force is given. With --ids, \"{id}\" in FILE is replaced by\n"
     "each controller's ID."},
};

struct ExitSpec {
    int status;
    std::string_view meaning;
};

constexpr ExitSpec kExitStatuses[] = {
    {kExitOk, "success"},
    {kExitIoError, "a file could not be read or written"},
    {kExitUsage, "usage error, or a question that needs --yes was not answered"},
    {kExitPort, "the port cannot be opened, or it went away"},
    {kExitNoResponse, "no response from the controller (306), or search found none (261)"},
    {kExitUnsupported, "unsupported controller (353)"},
    {kExitFileRejected, "step-data file or backup rejected (310, 312, 511, another product)"},
    {kExitAlarm, "the controller answered NG (its alarm record was read)"},
    {kExitInterrupted, "interrupted (Ctrl-C, SIGTERM)"},
};

// With --ids the exit status is the largest of the IDs' statuses.

constexpr int kBauds[] = {2400, 9600, 19200, 38400, 57600};
constexpr int kMinId = 1;
constexpr int kMaxId = 255;
constexpr int kMaxSeconds = 86400;
constexpr std::string_view kIdPlaceholder = "{id}";
constexpr int kLastStep = 15;
constexpr int kMaxCycles = 10000;
constexpr int kMaxSettleMs = 10000;

const CommandSpec* FindCommand(std::string_view name) {
    for (const auto& c : kCommands) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

const CommandSpec* SpecOf(Command command) {
    for (const auto& c : kCommands) {
        if (c.command == command) {
            return &c;
        }
    }
    return nullptr;
}

const OptionSpec* FindOption(std::string_view name) {
    for (const auto& o : kOptions) {
        if (o.name == name) {
            return &o;
        }
    }
    return nullptr;
}

// A whole decimal number within [min, max]; nothing before or after it.
std::optional<int> IntIn(std::string_view text, int min, int max) {
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end || v < min || v > max) {
        return std::nullopt;
    }
    return v;
}

// Stores one option's value; an error text when it is not usable.
std::string Apply(const OptionSpec& o, std::string_view value, CliOptions& out,
                  const StringTable& strings) {
    const auto range = [&](int min, int max, int& field) -> std::string {
        const auto v = IntIn(value, min, max);
        if (!v) {
            return strings.Format(ids::IDS_CLI_WHOLE_NUMBER, o.name, min, max, value);
        }
        field = *v;
        return {};
    };
    switch (o.bit) {
        case kOptPort:
            if (value.empty()) {
                return strings.Format(ids::IDS_CLI_DEVICE_PATH, o.name);
            }
            out.port = std::string(value);
            return {};
        case kOptBaud: {
            const auto v = IntIn(value, kBauds[0], kBauds[std::size(kBauds) - 1]);
            for (int b : kBauds) {
                if (v && *v == b) {
                    out.baud = b;
                    return {};
                }
            }
            return strings.Format(ids::IDS_CLI_LINE_SPEED, o.name, value);
        }
        case kOptId:
            return range(kMinId, kMaxId, out.id);
        case kOptFrom:
            return range(kMinId, kMaxId, out.from);
        case kOptTo:
            return range(kMinId, kMaxId, out.to);
        case kOptSeconds:
            return range(1, kMaxSeconds, out.seconds);
        case kOptDetail:
            out.detail = true;
            return {};
        case kOptJson:
            out.json = true;
            return {};
        case kOptYes:
            out.yes = true;
            return {};
        case kOptTrace:
            out.trace = true;
            return {};
        case kOptHelp:
            out.help = true;
            return {};
        case kOptQuick:
            out.quick = true;
            return {};
        case kOptIds:
            if (auto ids = ParseIdList(value)) {
                out.ids = std::move(*ids);
                return {};
            }
            return strings.Format(ids::IDS_CLI_ID_LIST, value);
        case kOptPassive:
            out.passive = true;
            return {};
        case kOptCsv:
            if (value.empty()) {
                return strings.Format(ids::IDS_CLI_VALUE_WANTED, o.name);
            }
            out.csv = std::string(value);
            return {};
        case kOptForce:
            out.force = true;
            return {};
        case kOptStep: {
            const auto v = IntIn(value, 1, kLastStep);
            if (!v) {
                return strings.Format(ids::IDS_CLI_REPEAT_STEP, o.name, value);
            }
            out.step = *v;
            return {};
        }
        case kOptCycles: {
            const auto v = IntIn(value, 1, kMaxCycles);
            if (!v) {
                return strings.Format(ids::IDS_CLI_REPEAT_CYCLES, value);
            }
            out.cycles = *v;
            return {};
        }
        case kOptSettle: {
            const auto v = IntIn(value, 0, kMaxSettleMs);
            if (!v) {
                return strings.Format(ids::IDS_CLI_REPEAT_SETTLE, value);
            }
            out.settleMs = *v;
            return {};
        }
        case kOptReport:
            if (value.empty()) {
                return strings.Format(ids::IDS_CLI_VALUE_WANTED, o.name);
            }
            out.file = std::string(value);
            return {};
        case kOptTraceCsv:
            if (value.empty()) {
                return strings.Format(ids::IDS_CLI_FILE_NAME, o.name);
            }
            out.traceCsv = std::string(value);
            return {};
        case kOptStats:
            out.stats = true;
            return {};
    }
    return {};
}

std::string UsageLine(const CommandSpec& c) {
    std::string line = std::string(kProgram) + " " + std::string(c.name);
    if (!c.args.empty()) {
        line += " " + std::string(c.args);
    }
    for (const auto& o : kOptions) {
        if ((c.options & o.bit) != 0 && o.bit != kOptHelp) {
            line += " [--" + std::string(o.name);
            if (!o.value.empty()) {
                line += " " + std::string(o.value);
            }
            line += "]";
        }
    }
    return line;
}

std::string OptionLines(unsigned options) {
    std::string text;
    for (const auto& o : kOptions) {
        if ((options & o.bit) == 0) {
            continue;
        }
        std::string left = "  --" + std::string(o.name);
        if (!o.value.empty()) {
            left += " " + std::string(o.value);
        }
        constexpr std::size_t kColumn = 18;
        left.resize(left.size() < kColumn ? kColumn : left.size() + 1, ' ');
        text += left + std::string(o.help) + "\n";
    }
    return text;
}

std::string ExitLines() {
    std::string text = "Exit status:\n";
    for (const auto& e : kExitStatuses) {
        std::string code = "  " + std::to_string(e.status);
        code.resize(7, ' ');
        text += code + std::string(e.meaning) + "\n";
    }
    return text;
}

}  // namespace

std::optional<std::vector<int>> ParseIdList(std::string_view text) {
    std::vector<int> ids;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string_view item = text.substr(pos, comma - pos);
        const std::size_t dash = item.find('-');
        const auto first = IntIn(item.substr(0, dash), kMinId, kMaxId);
        const auto last =
            dash == std::string_view::npos ? first : IntIn(item.substr(dash + 1), kMinId, kMaxId);
        if (!first || !last || *first > *last) {
            return std::nullopt;
        }
        for (int id = *first; id <= *last; ++id) {
            if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
                ids.push_back(id);
            }
        }
        pos = comma + 1;
    }
    return ids;
}

std::string FileForId(const std::string& file, int id) {
    std::string out = file;
    const std::string number = std::to_string(id);
    for (std::size_t at = out.find(kIdPlaceholder); at != std::string::npos;
         at = out.find(kIdPlaceholder, at + number.size())) {
        out.replace(at, kIdPlaceholder.size(), number);
    }
    return out;
}

std::string_view CommandName(Command command) {
    const CommandSpec* c = SpecOf(command);
    return c != nullptr ? c->name : std::string_view();
}

bool UsesPort(Command command) {
    const CommandSpec* c = SpecOf(command);
    return c != nullptr && (c->options & kOptPort) != 0;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const StringTable& strings) {
    ParsedCommandLine result;
    CliOptions& out = result.options;
    std::vector<std::string> positional;
    unsigned given = 0;
    bool optionsEnd = false;
    const CommandSpec* command = nullptr;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!optionsEnd && arg == "--") {
            optionsEnd = true;
            continue;
        }
        if (!optionsEnd && (arg == "-h")) {
            out.help = true;
            given |= kOptHelp;
            continue;
        }
        if (!optionsEnd && arg.size() > 2 && arg.substr(0, 2) == "--") {
            const std::size_t eq = arg.find('=');
            const std::string_view name = arg.substr(2, eq == std::string_view::npos ? eq : eq - 2);
            const OptionSpec* o = FindOption(name);
            if (o == nullptr) {
                result.error = strings.Format(ids::IDS_CLI_UNKNOWN_OPTION, arg);
                return result;
            }
            std::string_view value;
            if (o->value.empty()) {
                if (eq != std::string_view::npos) {
                    result.error = strings.Format(ids::IDS_CLI_NO_VALUE_TAKEN, name);
                    return result;
                }
            } else if (eq != std::string_view::npos) {
                value = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                result.error = strings.Format(ids::IDS_CLI_VALUE_WANTED, name);
                return result;
            }
            if (std::string error = Apply(*o, value, out, strings); !error.empty()) {
                result.error = error;
                return result;
            }
            given |= o->bit;
            continue;
        }
        if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
            result.error = strings.Format(ids::IDS_CLI_UNKNOWN_OPTION, arg);
            return result;
        }
        if (command == nullptr) {
            command = FindCommand(arg);
            if (command == nullptr) {
                result.error = strings.Format(ids::IDS_CLI_UNKNOWN_COMMAND, arg);
                return result;
            }
            out.command = command->command;
            continue;
        }
        positional.emplace_back(arg);
    }

    if (command == nullptr) {
        if (!out.help) {
            result.error = std::string(strings.Text(ids::IDS_CLI_NO_COMMAND));
        }
        return result;
    }
    if (out.help) {
        return result;
    }
    for (const auto& o : kOptions) {
        if ((given & o.bit) != 0 && (command->options & o.bit) == 0) {
            result.error = strings.Format(ids::IDS_CLI_OPTION_NOT_HERE, o.name, command->name);
            return result;
        }
    }
    const int count = static_cast<int>(positional.size());
    if (count < command->minArgs || count > command->maxArgs) {
        result.error =
            count < command->minArgs
                ? strings.Format(ids::IDS_CLI_ARGUMENT_WANTED, command->name, command->args)
                : strings.Format(ids::IDS_CLI_EXTRA_ARGUMENT,
                                 positional[static_cast<std::size_t>(command->maxArgs)]);
        return result;
    }
    if ((given & kOptId) != 0 && (given & kOptIds) != 0) {
        result.error = std::string(strings.Text(ids::IDS_CLI_ID_AND_IDS));
        return result;
    }
    const bool writesFiles =
        command->command == Command::kSaveSteps || command->command == Command::kBackup;
    if (writesFiles && out.ids.size() > 1 && count == 1 &&
        positional[0].find(kIdPlaceholder) == std::string::npos) {
        result.error = strings.Format(ids::IDS_CLI_FILE_PER_ID, command->name);
        return result;
    }
    if (command->command == Command::kRepeat) {
        if ((given & kOptStep) == 0 || (given & kOptCycles) == 0 || (given & kOptReport) == 0) {
            result.error = strings.Format(ids::IDS_CLI_ARGUMENT_WANTED, command->name,
                                          "--step N --cycles K --report FILE.pdf");
            return result;
        }
        if ((given & kOptTo) != 0) {
            if (out.to > kLastStep) {
                result.error =
                    strings.Format(ids::IDS_CLI_REPEAT_STEP, "to", std::to_string(out.to));
                return result;
            }
            out.otherStep = out.to;
        }
        return result;
    }
    if ((given & kOptFrom) != 0 && (given & kOptTo) == 0) {
        out.to = out.from;
    }
    if (out.from > out.to) {
        result.error = std::string(strings.Text(ids::IDS_CLI_RANGE_BACKWARDS));
        return result;
    }
    if (command->command == Command::kStrings && count == 1) {
        if (positional[0] == "en") {
            out.language = Language::kEnglish;
        } else if (positional[0] == "ja") {
            out.language = Language::kJapanese;
        } else {
            result.error =
                strings.Format(ids::IDS_CLI_ONE_OF_TWO, command->name, "en", "ja", positional[0]);
            return result;
        }
    } else if (count == 1) {
        out.file = positional[0];
    }
    return result;
}

std::string HelpText(Command command) {
    const CommandSpec* c = SpecOf(command);
    if (c == nullptr) {
        std::string text = "Usage: " + std::string(kProgram) + " COMMAND [OPTION]...\n" +
                           "The Tavro Motor controller link without a window.\n\nCommands:\n";
        for (const auto& command : kCommands) {
            std::string left = "  " + std::string(command.name);
            left.resize(14, ' ');
            text += left + std::string(command.summary) + "\n";
        }
        text += "\nOptions:\n" + OptionLines(~0U) + "\n" + "'" + std::string(kProgram) +
                " COMMAND --help' shows what applies to COMMAND.\n" +
                "Messages the window would show are printed on stderr with their number.\n\n" +
                ExitLines();
        return text;
    }
    std::string summary(c->summary);
    summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
    std::string text = "Usage: " + UsageLine(*c) + "\n" + summary + ".\n";
    if (!c->details.empty()) {
        text += std::string(c->details) + "\n";
    }
    text += "\nOptions:\n" + OptionLines(c->options) + "\n" + ExitLines();
    return text;
}

}  // namespace tavro::cli
