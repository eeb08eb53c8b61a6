#pragma once

#include <string>
#include <vector>

#include "cli/CliPlatform.h"

namespace tavro::cli {

// Runs one command line (the arguments after the program name) and returns the exit status.
int RunCli(const std::vector<std::string>& args, CliPlatform& platform);

}  // namespace tavro::cli
