#pragma once

#include <optional>
#include <span>
#include <string>

#include "ui/StringTable.h"

namespace tavro {

// The window program's own options, --help (-h) and --version: what to print instead of
// opening the window, in the user's language; nothing when the window is to open. The
// first of them on the line wins; every other argument is left to the toolkit.
std::optional<std::string> CommandLineText(std::span<const std::string> args, Language language);

}  // namespace tavro
