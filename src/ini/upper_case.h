#pragma once

#include <string>
#include <string_view>

namespace tarsil::ini {

// Text in the upper case Windows compares names by (ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic and full-width Latin letters; every other
// character stays as it is).
std::u16string upperCase(std::u16string_view text);

}  // namespace tarsil::ini
