#pragma once

// String-table IDs of the texts the link shows or hands to its host.
namespace tavro::ids {

inline constexpr int IDS_FACTORY_DEFAULT_ID = 268;  // "%d (Factory default value)"
inline constexpr int IDS_NO_RESPONSE = 306;         // "No response from the controller...."
inline constexpr int IDS_CONTROLLER_CHANGED = 343;  // "There have possibly been changes..."
inline constexpr int IDS_UPDATE_COMPLETE = 345;     // "Update complete."
inline constexpr int IDS_RESET_REQUIRED = 346;      // "Configuration change complete...."
inline constexpr int IDS_UNSUPPORTED = 353;         // "Unsupported controller is connected."
inline constexpr int IDS_ORIGIN_TIMEOUT = 706;      // ""Return to origin Position" operation..."
inline constexpr int IDS_STEP_TIMEOUT = 707;        // ""Step Data Operation" cannot be..."
inline constexpr int IDS_NO_VALUE = 732;            // "-"
inline constexpr int IDS_SPEED_CHANGED = 1140;      // "To validate the change of the ..."

// The serial port on Linux: why it cannot be opened, its loss and its return, its latency.
inline constexpr int IDS_PORT_NOT_FOUND = 2400;            // "The port %s does not exist."
inline constexpr int IDS_PORT_NOT_A_TERMINAL = 2401;       // "%s is not a serial port."
inline constexpr int IDS_PORT_SPEED = 2402;                // "The speed %d bit/s is not ..."
inline constexpr int IDS_PORT_SETUP = 2403;                // "%s could not be set up (%s)."
inline constexpr int IDS_PORT_PERMISSION = 2404;           // "...group \"%s\"...command..."
inline constexpr int IDS_PORT_PERMISSION_NO_GROUP = 2405;  // "Permission ... administrator"
inline constexpr int IDS_PORT_HELD = 2406;                 // "%s is in use by ...: %s (process %d)"
inline constexpr int IDS_PORT_HELD_BY_PROBER_USB = 2407;   // ModemManager, with a udev rule
inline constexpr int IDS_PORT_HELD_BY_PROBER = 2408;       // ModemManager, on-board port
inline constexpr int IDS_PORT_IN_USE = 2409;               // "%s is in use by another program."
inline constexpr int IDS_NO_PORT = 2410;                   // "No serial port is available."
inline constexpr int IDS_PORT_DISCONNECTED = 2411;         // "The serial port was disconnected...."
inline constexpr int IDS_PORT_BACK = 2412;     // "The serial port %s is connected again..."
inline constexpr int IDS_LATENCY_HINT = 2413;  // "%s holds received bytes ... %d ms ..."

// The communication log: its window, its summary and the CLI's --trace-csv.
inline constexpr int IDS_CLI_FILE_NAME = 2100;     // "--%s wants a file name"
inline constexpr int IDS_COMMLOG_MENU = 2101;      // "Communication log(&L)..."
inline constexpr int IDS_COMMLOG_TITLE = 2102;     // "Communication log"
inline constexpr int IDS_COMMLOG_COL_TIME = 2103;  // columns 2103..2109
inline constexpr int IDS_COMMLOG_COL_DIRECTION = 2104;
inline constexpr int IDS_COMMLOG_COL_ID = 2105;
inline constexpr int IDS_COMMLOG_COL_COMMAND = 2106;
inline constexpr int IDS_COMMLOG_COL_DATA = 2107;
inline constexpr int IDS_COMMLOG_COL_STATUS = 2108;
inline constexpr int IDS_COMMLOG_COL_LATENCY = 2109;
inline constexpr int IDS_COMMLOG_COMMAND_FILTER = 2110;  // "Command:"
inline constexpr int IDS_COMMLOG_ALL_COMMANDS = 2111;    // "All"
inline constexpr int IDS_COMMLOG_PROBLEM_FILTER = 2112;  // "Problem:"
inline constexpr int IDS_COMMLOG_PROBLEM_FIRST = 2113;   // 2113..2119 in LineProblem order
inline constexpr int IDS_COMMLOG_PAUSE = 2120;
inline constexpr int IDS_COMMLOG_COPY = 2121;
inline constexpr int IDS_COMMLOG_SAVE_TEXT = 2122;
inline constexpr int IDS_COMMLOG_SAVE_CSV = 2123;
inline constexpr int IDS_COMMLOG_CLEAR = 2124;
inline constexpr int IDS_COMMLOG_TEXT_FILTER = 2125;  // "Text File (*.txt) | *.txt||"
inline constexpr int IDS_COMMLOG_CSV_FILTER = 2126;   // "CSV File (*.csv) | *.csv||"
inline constexpr int IDS_COMMLOG_SAVE_FAILED = 2127;  // "The log could not be saved to %s."
inline constexpr int IDS_COMMLOG_SUMMARY = 2130;      // "Commands %d, resends %d, ..."
inline constexpr int IDS_COMMLOG_HINT_SILENCE = 2131;
inline constexpr int IDS_COMMLOG_HINT_CHECKSUM = 2132;  // "Checksum errors in %d replies..."
inline constexpr int IDS_COMMLOG_HINT_LATENCY = 2133;   // "Replies come %s ms after ..."
inline constexpr int IDS_COMMLOG_STATUS_FIRST = 2140;   // 2140..2146: LineStatus kOk..kNoise
inline constexpr int IDS_COMMLOG_OUTCOME_FIRST = 2150;  // 2150..2157: kAnswered..kHeldBack
inline constexpr int IDS_COMMLOG_TIMEOUT = 2160;
inline constexpr int IDS_COMMLOG_POLL_TIMEOUT = 2161;
inline constexpr int IDS_COMMLOG_PORT_LOST = 2162;
inline constexpr int IDS_COMMLOG_RESEND = 2163;     // "resend %d"
inline constexpr int IDS_COMMLOG_SEPARATOR = 2164;  // ", " between a status and its outcome

}  // namespace tavro::ids
