#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ControllerOptions.h"
#include "sim/FaultPlan.h"

namespace tavro::sim {

// Everything tavro-sim is told on its command line.
struct SimProgramOptions {
    std::vector<ControllerOptions> controllers;  // one per ID, in the order given
    int baud = 19200;
    bool byteTiming = false;
    bool anySpeed = false;  // answer whatever speed the client set on the port
    bool control = false;   // read control commands from standard input
    int verbosity = 1;      // 0 quiet, 1 normal, 2 every frame on standard error
    std::vector<Fault> faults;
    std::uint64_t draws = 1;  // where the chance faults' random draws start
};

enum class CommandLineResult { kRun, kHelp, kError };

// getopt_long over argv; on kError `error` says what is wrong in one line.
CommandLineResult ParseCommandLine(int argc, char* const argv[], SimProgramOptions& options,
                                   std::string& error);

std::string HelpText();

// One line of the --control input.
struct ControlCommand {
    enum class Kind {
        kNone,
        kAlarm,
        kClear,
        kInputs,
        kWorkpiece,
        kRestart,
        kStatus,
        kMemory,
        kFaults,
        kQuit,
        kInvalid
    };
    Kind kind = Kind::kNone;
    int value = 0;      // alarm code or input bits
    double mm = -1.0;   // work piece position; negative: none
    int id = 0;         // the controller addressed; 0: every controller
    std::string error;  // kInvalid: what is wrong
};

// Blank lines and lines starting with "#" are kNone.
ControlCommand ParseControlLine(std::string_view line);

// The state file of the controller at `index` (0-based) when several share one --state.
std::string StateFileFor(const std::string& base, std::size_t index);

}  // namespace tavro::sim
