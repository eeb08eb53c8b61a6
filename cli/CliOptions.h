#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/StringTable.h"

namespace tavro::cli {

// String-table IDs of the tool's own messages.
inline constexpr int IDS_CLI_NO_PORT = 1300;
inline constexpr int IDS_CLI_INTERRUPTED = 1301;
inline constexpr int IDS_CLI_NG = 1302;
inline constexpr int IDS_CLI_NG_TO = 1303;
inline constexpr int IDS_CLI_NOT_REPLACED = 1304;
inline constexpr int IDS_CLI_NOT_WRITTEN = 1305;
inline constexpr int IDS_CLI_NOT_WRITTEN_WHY = 1306;
inline constexpr int IDS_CLI_NOT_READ = 1307;
inline constexpr int IDS_CLI_NOT_READ_WHY = 1308;
inline constexpr int IDS_CLI_ID_NOT_SENT = 1309;
inline constexpr int IDS_CLI_TRY_HELP = 1310;
inline constexpr int IDS_CLI_UNKNOWN_OPTION = 1311;
inline constexpr int IDS_CLI_NO_VALUE_TAKEN = 1312;
inline constexpr int IDS_CLI_VALUE_WANTED = 1313;
inline constexpr int IDS_CLI_UNKNOWN_COMMAND = 1314;
inline constexpr int IDS_CLI_NO_COMMAND = 1315;
inline constexpr int IDS_CLI_OPTION_NOT_HERE = 1316;
inline constexpr int IDS_CLI_ARGUMENT_WANTED = 1317;
inline constexpr int IDS_CLI_EXTRA_ARGUMENT = 1318;
inline constexpr int IDS_CLI_RANGE_BACKWARDS = 1319;
inline constexpr int IDS_CLI_ONE_OF_TWO = 1320;
inline constexpr int IDS_CLI_WHOLE_NUMBER = 1321;
inline constexpr int IDS_CLI_DEVICE_PATH = 1322;
inline constexpr int IDS_CLI_LINE_SPEED = 1323;
inline constexpr int IDS_CLI_ID_LIST = 2392;
inline constexpr int IDS_CLI_FILE_PER_ID = 2395;
inline constexpr int IDS_CLI_ID_AND_IDS = 2396;

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
    // --ids: the controllers to run the command on, one after the other over one port;
    // empty: the one of --id.
    std::vector<int> ids;
    bool passive = false;  // only read commands on the line
    bool force = false;    // restore a backup of another product
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
