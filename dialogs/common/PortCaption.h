#pragma once

#include <string>

#include "link/PortList.h"
#include "ui/StringTable.h"

namespace tavro::ui {

// What a person recognises a port by, in the user's language: what the adapter says of
// itself ("FT232R USB UART — FTDI — A50285BI") or what kind of port it is, its USB
// vendor:product, its /dev/serial/by-id name and a latency timer above 1 ms; for a
// simulator, the controllers it simulates. Empty when nothing is known.
std::string PortDescription(const PortInfo& port, const StringTable& strings);

// The port's name followed by its description: an item of the COM selection.
std::string PortCaption(const PortInfo& port, const StringTable& strings);

}  // namespace tavro::ui
