#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/StringIds.h"
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
    kBackup,
    kRestore,
    kRepeat,
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
    std::string csv;  // monitor: the samples also go to this CSV file
    // --ids: the controllers to run the command on, one after the other over one port;
    // empty: the one of --id.
    std::vector<int> ids;
    bool passive = false;  // only read commands on the line
    bool force = false;    // restore a backup of another product
    // repeat: the measured step, the other one (0: from the origin), cycles, settle time; the
    // report's path is `file`.
    int step = 0;
    int otherStep = 0;
    int cycles = 0;
    int settleMs = 100;
    std::string traceCsv;  // --trace-csv: where the communication log goes; empty: nowhere
    bool stats = false;    // --stats: the log's summary line at the end
    std::optional<Language> language;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error;  // empty when the line is usable; in the language of `strings`
};

// The arguments after the program name. Every value is checked here, so a command never
// sees one it cannot use.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args,
                                   const StringTable& strings = StringTable(Language::kEnglish));

// The overview (Command::kNone) or one command's help, exit statuses included.
std::string HelpText(Command command);

std::string_view CommandName(Command command);

// Whether the command talks to a controller (and so takes --port, --baud, --trace).
bool UsesPort(Command command);

// "1-5,8": IDs 1 to 255, in the order given, each once; nullopt when the text is not such a
// list.
std::optional<std::vector<int>> ParseIdList(std::string_view text);

// FILE with "{id}" replaced by the ID.
std::string FileForId(const std::string& file, int id);

}  // namespace tavro::cli
