#pragma once

#include <string>
#include <string_view>

// Byte <-> UTF-16 conversions of the INI engine. Internal to src/ini.
namespace tarsil::ini::detail {

// UTF-16LE code units; an odd last byte is dropped. Lone surrogates are kept
// as they are, so such a file round-trips unchanged.
std::u16string decodeUtf16Le(std::string_view bytes);
std::string encodeUtf16Le(std::u16string_view text);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);
// Only for text that passed IsValidUtf8.
std::u16string decodeUtf8(std::string_view bytes);

// The 8-bit code page of the platform: Latin-1 off Windows, the ANSI code
// page on Windows. Every byte sequence decodes to something.
std::u16string decodeEightBit(std::string_view bytes);

}  // namespace tarsil::ini::detail
