#pragma once

#include <functional>

#include "cli/CliOptions.h"
#include "cli/CliPlatform.h"

namespace tavro::cli {

// One command on one controller: what RunCli dispatches to.
using CommandRun = std::function<int(CliPlatform& platform, const CliOptions& options)>;

// --json: the command's members wrapped into one object on one line, with the ID it ran on,
// its exit status and the numbered messages it printed.
int RunWithJson(CliPlatform& platform, const CliOptions& options, const CommandRun& run);

// --ids: the command on each ID in turn over one open port, each controller a connection of
// its own that ends in monitor mode; one result line (or JSON line) per ID, and messages on
// stderr marked with their ID. A failing ID does not stop the others; an interrupt does. The
// exit status is the largest of the IDs'.
int RunForEachId(CliPlatform& platform, const CliOptions& options, const CommandRun& run);

}  // namespace tavro::cli
