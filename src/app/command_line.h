#pragma once

#include <string>
#include <string_view>

namespace tarsil {

struct StartOptions {
  // Translate as if the keyboard were attached: for keyboards of this family
  // that report another vendor ID, and for tests where no such device exists.
  bool alwaysOn = false;
  // Words the program does not know, for a message; they never stop it.
  std::u16string unknown;
};

// Reads the command line as Windows hands it over (everything after the
// program's name). Words are separated by blanks; quotes group a word.
StartOptions parseStartOptions(std::u16string_view commandLine);

}  // namespace tarsil
