#pragma once

#include <string>
#include <string_view>

// Byte <-> UTF-16 conversions of the INI engine. Internal to src/ini.
namespace tarsil::ini::detail {

// Appends the UTF-16LE bytes of `text`. Lone surrogates are kept as they
// are, so a file that holds them round-trips unchanged.
void appendUtf16Le(std::u16string_view text, std::string& bytes);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);
// Only for text that passed isValidUtf8; appends to `text`.
void decodeUtf8(std::string_view bytes, std::u16string& text);
// Appends the UTF-8 of `text`; false at a lone surrogate, which UTF-8 cannot hold.
bool encodeUtf8(std::u16string_view text, std::string& bytes);

}  // namespace tarsil::ini::detail
