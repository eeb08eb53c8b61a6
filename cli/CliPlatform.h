#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "link/EventLoop.h"
#include "link/LinkContext.h"
#include "link/PortList.h"
#include "monitor/RepeatReport.h"
#include "ui/StringTable.h"

namespace tavro::cli {

// Runs the loop until `done` is true or `timeoutMs` have passed; returns done().
using RunUntil = std::function<bool(const std::function<bool()>& done, std::int64_t timeoutMs)>;

// What a command runs on: the program gives the poll() loop, the serial ports and the
// process's streams; a test gives virtual time and a simulated line.
struct CliPlatform {
    EventLoop& loop;
    RunUntil runUntil;
    std::ostream& out;
    std::ostream& err;
    Language language = Language::kEnglish;
    // The configuration tool's settings folder: PID.ini and the port it opened last are
    // read from it; nothing is ever written there.
    std::string settingsDir;
    // Empty: serial devices.
    PortOpener openPort;
    PortScanConfig scan;
    // True once the user asked to stop (SIGINT, SIGTERM); may be empty.
    std::function<bool()> interrupted;
    // Told of every numbered message printed, for the JSON results; may be empty.
    std::function<void(int stringId, const std::string& text)> onMessage;
    // The repeatability report's PDF writer, in the build with Qt; without it only the CSV.
    RepeatReportPrinter* reportPrinter = nullptr;
};

}  // namespace tavro::cli
