// Where the program keeps what it would keep in the Windows directory (the encoder parameter file):
// $ORVANE_WINDIR if set, else $XDG_CONFIG_HOME/orvane, else ~/.config/orvane.
#pragma once

#include <string>

namespace orvane::platform {

// The folder, created (with its parents) when missing; throws std::system_error with the reason if that fails.
std::string WindowsDirectory();

}  // namespace orvane::platform
