#pragma once

// What the command-line tool's exit status says happened; --help and the README list them.
namespace tavro::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitIoError =
    1;                                // a file could not be read or written, or another I/O failure
inline constexpr int kExitUsage = 2;  // bad command line, or a question that needs --yes
inline constexpr int kExitPort = 3;   // the port cannot be opened, or it went away
inline constexpr int kExitNoResponse = 4;     // message 306 (or no controller found by search)
inline constexpr int kExitUnsupported = 5;    // message 353
inline constexpr int kExitFileRejected = 6;   // message 310 or 312
inline constexpr int kExitAlarm = 7;          // the controller answered NG; its alarm was read
inline constexpr int kExitInterrupted = 130;  // SIGINT or SIGTERM

}  // namespace tavro::cli
