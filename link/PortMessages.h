#pragma once

#include <vector>

#include "link/LinkHost.h"
#include "link/Transport.h"

namespace tavro {

// A message by string ID with its arguments, for a host to format in the user's language.
struct LinkMessage {
    int stringId = 0;
    std::vector<MessageArg> args;
};

// Why a port could not be opened, and what to do about it.
LinkMessage OpenFailureMessage(const OpenError& error);

// The command that lowers an adapter's latency timer to 1 ms until it is plugged in again.
std::string LowerLatencyCommand(const std::string& latencyFile);

}  // namespace tavro
