#pragma once

#include <string>

namespace tavro {

// $XDG_CONFIG_HOME/Zelm, else ~/.config/Zelm, else ./Zelm: where the connection settings
// and the PID defaults live.
std::string DefaultSettingsDir();

// Creates the folder and its parents when missing; false when that fails.
bool EnsureDirectory(const std::string& path, unsigned mode = 0755);

}  // namespace tavro
