#pragma once

#include <filesystem>
#include <string>

#include "session/user_files.h"

namespace tarsil {

// What the environment says of a Linux program's places: $XDG_CONFIG_HOME,
// $HOME, $XDG_RUNTIME_DIR, and the running executable (from /proc, else
// `argv0`). Files named on the command line (`settings`, `layout`; empty
// when not) are taken as they are.
UserPlaces placesFromEnvironment(const std::string& settings, const std::string& layout,
                                 const char* argv0);

}  // namespace tarsil
