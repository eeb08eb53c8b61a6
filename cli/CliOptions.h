#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/StringTable.h"

namespace tavro::cli {

enum class Command {
    kNone,
    kPorts,
    kSearch,
    kInfo,
    kDump,
    kSaveSteps,
    kLoadSteps,
    kMonitor,
    kStrings,
};

// The line speeds the controller knows, and the factory default.
inline constexpr int kDefaultBaud = 19200;
inline constexpr int kDefaultId = 1;

// A command line as the tool understood it.
struct CliOptions {
    Command command = Command::kNone;
    bool help = false;
    bool trace = false;
    std::string port;  // empty: the port the window used last
    int baud = kDefaultBaud;
    int id = kDefaultId;
    int from = kDefaultId;
    int to = kDefaultId;
    bool quick = false;  // search: each ID once with a short time-out
    std::string file;
    bool detail = false;
    bool json = false;
    bool yes = false;
    int seconds = 0;  // 0: until interrupted
    std::optional<Language> language;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error;  // empty when the line is usable
};

// The arguments after the program name. Every value is checked here, so a command never
// sees one it cannot use.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The overview (Command::kNone) or one command's help, exit statuses included.
std::string HelpText(Command command);

std::string_view CommandName(Command command);

// Whether the command talks to a controller (and so takes --port, --baud, --trace).
bool UsesPort(Command command);

}  // namespace tavro::cli
