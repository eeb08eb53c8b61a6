#pragma once

#include <string>

#include "link/PortList.h"
#include "link/Transport.h"
#include "ui/StringTable.h"

namespace tavro::ui {

// What the COM list says about a port, in the table's language; empty when nothing is known.
std::string PortDescription(const PortInfo& port, const StringTable& strings);

// Why a port could not be opened and what to do, in the table's language; shown after 231.
std::string PortOpenReason(const OpenError& error, const StringTable& strings);

}  // namespace tavro::ui
