#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "session/keyboard_session.h"

namespace tarsil {

// What a program that keeps its settings in the user's configuration folder
// (the daemon, and tarsilctl where it defaults to the daemon's file) knows
// when it looks for its files.
struct UserPlaces {
  std::optional<std::filesystem::path> settings;  // named on the command line
  std::optional<std::filesystem::path> layout;    // named on the command line
  std::optional<std::string> xdgConfigHome;       // $XDG_CONFIG_HOME
  std::optional<std::string> home;                // $HOME
  std::optional<std::string> xdgRuntimeDir;       // $XDG_RUNTIME_DIR
  std::filesystem::path executable;               // the running program
};

// $XDG_CONFIG_HOME/tarsil, or ~/.config/tarsil when that is unset, empty or
// relative (the base directory rules ignore a relative one). Nothing when
// neither variable helps.
std::optional<std::filesystem::path> userConfigFolder(const UserPlaces& places);

// $XDG_RUNTIME_DIR/tarsil: the user's own folder for what lives as long as
// the session (the lock that keeps a second daemon from starting). Nothing
// when the variable is unset, empty or relative: no other folder is known
// to be the user's alone and cleared at logout.
std::optional<std::filesystem::path> userRuntimeFolder(const UserPlaces& places);

// Where an installed program's shipped "Main.ini" may lie: the share folder
// of its prefix (/usr/bin/tarsild: /usr/share/tarsil), then its own folder
// (a build tree).
std::vector<std::filesystem::path> shippedLayouts(const std::filesystem::path& executable);

// The folder of what the window program ships beside its layout: the skin
// folder, "Composite.ini" and the icons. The installed share folder when it
// holds a skin, else the program's own folder when that does (a build tree),
// else the share folder, so that what is missing is named where an
// installation keeps it.
std::filesystem::path shippedDataFolder(const std::filesystem::path& executable);

// The settings: as named, else set.ini in the configuration folder. The
// layout: as named, else the "Main.ini" beside the settings if there is one,
// else the shipped one. Nothing, with the reason for people, when there is
// no configuration folder to default to or no layout anywhere.
std::optional<SessionFiles> userSessionFiles(const UserPlaces& places, std::string& error);

}  // namespace tarsil
