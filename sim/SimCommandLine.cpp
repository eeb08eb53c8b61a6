#include "sim/SimCommandLine.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "link/Numbers.h"
#include "sim/SimController.h"

namespace tavro::sim {

namespace {

enum OptionId {
    kOptId = 1000,
    kOptVersion,
    kOptSeries,
    kOptStroke,
    kOptType,
    kOptBaud,
    kOptByteTiming,
    kOptDelay,
    kOptState,
    kOptFault,
    kOptPosition,
    kOptWorkpiece,
    kOptSet,
    kOptAnySpeed,
    kOptControl,
    kOptDraws,
    kOptScatter,
    kOptQuiet,
    kOptVerbose,
    kOptHelp,
};

constexpr option kLongOptions[] = {
    {"id", required_argument, nullptr, kOptId},
    {"version", required_argument, nullptr, kOptVersion},
    {"series", required_argument, nullptr, kOptSeries},
    {"stroke", required_argument, nullptr, kOptStroke},
    {"type", required_argument, nullptr, kOptType},
    {"baud", required_argument, nullptr, kOptBaud},
    {"byte-timing", no_argument, nullptr, kOptByteTiming},
    {"delay", required_argument, nullptr, kOptDelay},
    {"state", required_argument, nullptr, kOptState},
    {"fault", required_argument, nullptr, kOptFault},
    {"position", required_argument, nullptr, kOptPosition},
    {"workpiece", required_argument, nullptr, kOptWorkpiece},
    {"set", required_argument, nullptr, kOptSet},
    {"any-speed", no_argument, nullptr, kOptAnySpeed},
    {"control", no_argument, nullptr, kOptControl},
    {"draws", required_argument, nullptr, kOptDraws},
    {"scatter-um", required_argument, nullptr, kOptScatter},
    {"quiet", no_argument, nullptr, kOptQuiet},
    {"verbose", no_argument, nullptr, kOptVerbose},
    {"help", no_argument, nullptr, kOptHelp},
    {nullptr, 0, nullptr, 0},
};

// A way to name a series on the command line.
struct SeriesName {
    std::string_view name;
    int series;
};

constexpr SeriesName kSeriesNames[] = {
    {"1", kSeriesF},
    {"F", kSeriesF},
    {"f", kSeriesF},
    {"2", kSeriesStandard},
    {"standard", kSeriesStandard},
    {"3", kSeriesM},
    {"M", kSeriesM},
    {"m", kSeriesM},
};

constexpr int kStrokes[] = {10, 20, 30, 50};
constexpr double kMinDelay = 0.1;
constexpr double kMaxDelay = 10.2;
constexpr double kMaxScatterUm = 1000.0;

bool Integer(std::string_view text, int lo, int hi, int& out) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int v = Atoi(text);
    if (v < lo || v > hi) {
        return false;
    }
    out = v;
    return true;
}

bool Decimal(std::string_view text, double lo, double hi, double& out) {
    bool digits = false;
    bool point = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    const double v = Atof(text);
    if (!digits || text.size() > 16 || v < lo || v > hi) {
        return false;
    }
    out = v;
    return true;
}

// "G/P=VALUE": a parameter inside the groups and a finite decimal value, signed or not.
bool Preset(std::string_view text, PresetParameter& out) {
    const auto slash = text.find('/');
    const auto equals = text.find('=');
    if (slash == std::string_view::npos || equals == std::string_view::npos || equals < slash) {
        return false;
    }
    int g = 0;
    int p = 0;
    double v = 0.0;
    std::string_view value = text.substr(equals + 1);
    const bool negative = !value.empty() && value.front() == '-';
    if (negative) {
        value.remove_prefix(1);
    }
    if (!Integer(text.substr(0, slash), 0, ParameterImage::kJogAliasGroup, g) ||
        !Integer(text.substr(slash + 1, equals - slash - 1), 0, 56, p) ||
        !ParameterBank::IsValid(g, p) || !Decimal(value, 0.0, 1.0e9, v)) {
        return false;
    }
    out = {g, p, static_cast<float>(negative ? -v : v)};
    return true;
}

bool VersionText(std::string_view text) {
    double ignored = 0.0;
    return Decimal(text, 0.0, 99.0, ignored);
}

}  // namespace

std::string StateFileFor(const std::string& base, std::size_t index) {
    if (base.empty() || index == 0) {
        return base;
    }
    return base + "." + std::to_string(index + 1);
}

CommandLineResult ParseCommandLine(int argc, char* const argv[], SimProgramOptions& options,
                                   std::string& error) {
    ControllerOptions common;
    std::vector<int> ids;
    options = SimProgramOptions{};
    // getopt keeps its place in libc; 0 makes it start over for every parse.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int opt = getopt_long(argc, argv, "", kLongOptions, nullptr);
        if (opt == -1) {
            break;
        }
        const std::string_view arg = optarg != nullptr ? optarg : "";
        auto bad = [&](const char* what) {
            error = std::string("bad ") + what + " \"" + std::string(arg) + "\"";
            return CommandLineResult::kError;
        };
        switch (opt) {
            case kOptId: {
                std::string_view rest = arg;
                for (;;) {
                    const std::string_view item = rest.substr(0, rest.find(','));
                    int id = 0;
                    if (!Integer(item, 1, 255, id)) {
                        return bad("--id");
                    }
                    ids.push_back(id);
                    if (item.size() == rest.size()) {
                        break;
                    }
                    rest = rest.substr(item.size() + 1);
                }
                break;
            }
            case kOptVersion:
                if (arg == "none") {
                    common.knowsVersion = false;
                    break;
                }
                if (!VersionText(arg)) {
                    return bad("--version");
                }
                common.version = std::string(arg);
                break;
            case kOptSeries: {
                const auto it = std::find_if(std::begin(kSeriesNames), std::end(kSeriesNames),
                                             [&](const SeriesName& s) { return s.name == arg; });
                if (it == std::end(kSeriesNames)) {
                    return bad("--series");
                }
                common.series = it->series;
                break;
            }
            case kOptStroke:
                if (!Integer(arg, 10, 50, common.stroke) ||
                    std::find(std::begin(kStrokes), std::end(kStrokes), common.stroke) ==
                        std::end(kStrokes)) {
                    return bad("--stroke");
                }
                break;
            case kOptType:
                if (!Integer(arg, kTypeUnset, kTypePulse, common.controlType)) {
                    return bad("--type");
                }
                break;
            case kOptBaud:
                if (!Integer(arg, 1, 1000000, options.baud) || CodeOfBaud(options.baud) == 0) {
                    return bad("--baud");
                }
                break;
            case kOptByteTiming:
                options.byteTiming = true;
                break;
            case kOptDelay:
                if (!Decimal(arg, kMinDelay, kMaxDelay, common.minDelayMs)) {
                    return bad("--delay");
                }
                break;
            case kOptState:
                if (arg.empty()) {
                    return bad("--state");
                }
                common.stateFile = std::string(arg);
                break;
            case kOptFault: {
                std::string why;
                const auto fault = ParseFault(arg, why);
                if (!fault) {
                    error = "--fault: " + why;
                    return CommandLineResult::kError;
                }
                options.faults.push_back(*fault);
                break;
            }
            case kOptPosition:
                if (!Decimal(arg, 0.0, 50.0, common.startPositionMm)) {
                    return bad("--position");
                }
                break;
            case kOptWorkpiece:
                if (!Decimal(arg, 0.0, 50.0, common.workpieceMm)) {
                    return bad("--workpiece");
                }
                break;
            case kOptSet: {
                PresetParameter preset;
                if (!Preset(arg, preset)) {
                    return bad("--set");
                }
                common.presets.push_back(preset);
                break;
            }
            case kOptAnySpeed:
                options.anySpeed = true;
                break;
            case kOptControl:
                options.control = true;
                break;
            case kOptDraws: {
                int start = 0;
                if (!Integer(arg, 0, 999999999, start)) {
                    error = "--draws needs a number";
                    return CommandLineResult::kError;
                }
                options.draws = static_cast<std::uint64_t>(start);
                break;
            }
            case kOptScatter:
                if (!Decimal(arg, 0.0, kMaxScatterUm, common.scatterUm)) {
                    return bad("--scatter-um");
                }
                break;
            case kOptQuiet:
                options.verbosity = 0;
                break;
            case kOptVerbose:
                options.verbosity = 2;
                break;
            case kOptHelp:
                return CommandLineResult::kHelp;
            default: {
                const int at = optind - 1 >= 1 && optind - 1 < argc ? optind - 1 : 0;
                error = std::string("unknown or incomplete option \"") + (at > 0 ? argv[at] : "?") +
                        "\"";
                return CommandLineResult::kError;
            }
        }
    }
    if (optind < argc) {
        error = std::string("unexpected argument \"") + argv[optind] + "\"";
        return CommandLineResult::kError;
    }
    if (common.startPositionMm > common.stroke) {
        error = "--position lies beyond the stroke";
        return CommandLineResult::kError;
    }
    if (ids.empty()) {
        ids.push_back(1);
    }
    common.baud = options.baud;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        ControllerOptions c = common;
        c.id = ids[i];
        c.stateFile = StateFileFor(common.stateFile, i);
        // Each controller scatters along its own sequence, the same in every run.
        c.scatterDraws = options.draws + i;
        options.controllers.push_back(c);
    }
    return CommandLineResult::kRun;
}

ControlCommand ParseControlLine(std::string_view line) {
    using Kind = ControlCommand::Kind;
    // A control command word, what it means and whether a value follows it.
    struct Verb {
        std::string_view name;
        Kind kind;
        bool needsValue;
    };
    static constexpr Verb kVerbs[] = {
        {"alarm", Kind::kAlarm, true},      {"clear", Kind::kClear, false},
        {"inputs", Kind::kInputs, true},    {"workpiece", Kind::kWorkpiece, true},
        {"restart", Kind::kRestart, false}, {"status", Kind::kStatus, false},
        {"memory", Kind::kMemory, false},   {"faults", Kind::kFaults, false},
        {"quit", Kind::kQuit, false},
    };
    constexpr std::size_t kMaxWords = 3;
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    ControlCommand c;
    if (words.empty() || words[0][0] == '#') {
        return c;
    }
    auto invalid = [&c](std::string why) {
        c.kind = Kind::kInvalid;
        c.error = std::move(why);
        return c;
    };
    const auto verb = std::find_if(std::begin(kVerbs), std::end(kVerbs),
                                   [&](const Verb& v) { return v.name == words[0]; });
    if (verb == std::end(kVerbs)) {
        return invalid("unknown command \"" + std::string(words[0].substr(0, 32)) + "\"");
    }
    const std::size_t need = verb->needsValue ? 2 : 1;
    if (words.size() < need || words.size() > need + 1 || words.size() > kMaxWords) {
        return invalid(std::string(verb->name) + ": wrong number of arguments");
    }
    c.kind = verb->kind;
    if (words.size() == need + 1 && !Integer(words[need], 1, 255, c.id)) {
        return invalid("bad ID \"" + std::string(words[need].substr(0, 32)) + "\"");
    }
    if (!verb->needsValue) {
        return c;
    }
    const std::string_view v = words[1];
    if (c.kind == Kind::kAlarm && !Integer(v, 1, 255, c.value)) {
        return invalid("alarm code must be 1..255");
    }
    if (c.kind == Kind::kInputs) {
        const bool hex =
            !v.empty() && v.size() <= 4 && std::all_of(v.begin(), v.end(), [](char ch) {
                return std::isxdigit(static_cast<unsigned char>(ch)) != 0;
            });
        if (!hex) {
            return invalid("inputs are hexadecimal bits, 0..3F");
        }
        c.value = static_cast<int>(std::strtol(std::string(v).c_str(), nullptr, 16));
        if (c.value > 0x3F) {
            return invalid("inputs are hexadecimal bits, 0..3F");
        }
    }
    if (c.kind == Kind::kWorkpiece && v != "none" && !Decimal(v, 0.0, 50.0, c.mm)) {
        return invalid("work piece position must be 0..50 mm or none");
    }
    return c;
}

std::string HelpText() {
    return R"(Usage: tavro-sim [OPTION]...
A simulated Tavro Motor controller on a pseudo-terminal. Prints the terminal's path on
standard output (one line), registers it so that the configuration tool lists it as a
port, and answers requests until it is stopped (Ctrl-C, SIGTERM).

Controllers:
  --id N[,N...]      ID(s) of the controllers on the line, 1..255; repeatable; default 1
  --version TEXT     version the controllers report to "VE" (default 2.60); "none" for
                     a controller that does not know "VE" and answers it with code "NG"
  --series S         actuator series: 1 or F, 2 or standard, 3 or M (default 2)
  --stroke MM        actuator stroke: 10, 20, 30 or 50 (default 20)
  --type T           control-signal type: 0 not set, 1 step data, 2 pulse (default 1)
  --state FILE       non-volatile memory: what "EU" stores survives a restart; with
                     several IDs the second controller uses FILE.2, the third FILE.3, ...
  --position MM      table position at power-on (default mid-stroke)
  --workpiece MM     where pushing steps meet a work piece (default: none)
  --scatter-um UM    a step arrives up to UM micrometres (0..1000) either side of its
                     target, evenly spread, drawn from --draws (default 0: exactly)
  --set G/P=VALUE    parameter G/P holds VALUE from the start, as if written and stored;
                     repeatable; a --state file that holds a memory wins

Line:
  --baud BPS         line speed of the controllers: 2400, 9600, 19200, 38400 or 57600
                     (default 19200); a client at another speed gets no answer
  --any-speed        answer whatever speed the client set on the terminal
  --byte-timing      each character costs 11 bits at the line speed, both ways, and the
                     controller waits its minimum communication delay before replying
  --delay MS         minimum communication delay (parameter 0/24), 0.1..10.2 (default 1.0)
  --fault FAULT       inject a fault, repeatable; FAULT is
                       KIND[:COUNT][,code=XX][,id=N][,skip=N][,every=N][,ms=N][,chance=P]
                     KIND: no-reply, lost-reply, checksum, wrong-id, wrong-code, ng,
                     noise, duplicate (ms: gap to the copy), delay (ms: added delay);
                     COUNT: how many requests to hit (default 1), * for all of them;
                     code, id: only requests with this command code / to this ID;
                     skip: let the first N matching requests pass; every: then hit
                     every N-th one; chance: hit P percent of them at random instead
                     (faults with a chance never hit the same request).
                     Example: --fault no-reply:3,code=VE,id=2
  --draws N          start the random draws of the chance faults and of the arrival
                     scatter from N (default 1)

Program:
  --control          read commands from standard input, one per line:
                       alarm CODE [ID], clear [ID], inputs HEX [ID], workpiece MM|none [ID],
                       restart [ID], status [ID], memory [ID] (every parameter G/P=VALUE
                       of working memory, then "end"), faults (requests and faults so far),
                       quit
  --quiet            print nothing but the terminal's path
  --verbose          log every frame on standard error
  --help             show this help and exit
)";
}

}  // namespace tavro::sim
