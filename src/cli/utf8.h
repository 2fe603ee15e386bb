#pragma once

#include <string>
#include <string_view>

namespace tarsil::cli {

// UTF-16 (as the core keeps names) to UTF-8 for the terminal and JSON. A
// byte of an 8-bit file that is no text without its code page shows as
// "\xC4"; any other lone surrogate becomes U+FFFD rather than invalid output.
std::string toUtf8(std::u16string_view text);

}  // namespace tarsil::cli
