#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarsil {

// --profile next: the profile after the active one.
inline constexpr std::int32_t kNextProfileOption = 0;

struct StartOptions {
  // Translate as if the keyboard were attached: for keyboards of this family
  // that report another vendor ID, and for tests where no such device exists.
  bool alwaysOn = false;
  // Start in the tray: the main window stays hidden until the user opens it
  // (what a start at sign-in wants).
  bool tray = false;
  // --profile N: the profile to make active, 1..3, or kNextProfileOption
  // for "next". A running program switches to it and stays as it is, so a
  // shortcut can switch profiles without showing the window.
  std::optional<std::int32_t> profile;
  // Words the program does not know, in the order given; they never stop it.
  std::vector<std::u16string> unknown;
};

// Reads the command line as Windows hands it over (everything after the
// program's name). Words are separated by blanks; quotes group a word.
StartOptions parseStartOptions(std::u16string_view commandLine);

// What to tell the user about the words the program did not know: which
// they were, that it starts as usual, and every option it knows with its
// meaning. Empty when every word was known.
std::u16string unknownOptionsNotice(const StartOptions& options);

}  // namespace tarsil
