#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarsil::ini {

// The bytes of a file as they were encoded on disk. A document written back
// keeps UTF-16LE; any other document is written as plain ASCII when every
// character is ASCII, else as UTF-16LE with a BOM, so that every wide name
// survives a round trip and Windows' own profile functions read it the same way.
enum class Encoding { kEightBit, kUtf16Le };
// encoding() tells how the document was read (kEightBit for a new one);
// serialize() picks the bytes as described above.

// One INI file in memory, with the semantics of Windows' private-profile
// functions (GetPrivateProfileStringW/IntW, WritePrivateProfileStringW,
// WritePrivateProfileSectionW), except that string values are read whole.
//
// Lookups and writes are O(1) on average (names are indexed), so loading or
// saving a whole settings file is linear in its size.
class IniDocument {
 public:
  IniDocument();
  ~IniDocument();
  IniDocument(const IniDocument&);
  IniDocument& operator=(const IniDocument&);
  IniDocument(IniDocument&&) noexcept;
  IniDocument& operator=(IniDocument&&) noexcept;

  // Decodes arbitrary bytes: FF FE starts UTF-16LE; anything else is UTF-8
  // when the whole file is valid UTF-8, else the 8-bit code page (Latin-1 off
  // Windows, ANSI on Windows). A UTF-8 BOM is no BOM: its bytes belong to the
  // first line, as they do for Windows. Lines end at CR LF, LF or a lone CR.
  static IniDocument parse(std::string_view bytes);
  // The whole file, CRLF line ends, in the encoding described at `Encoding`.
  std::string serialize() const;
  Encoding encoding() const;

  // The value of the first key of that name in the first section of that name
  // (names compared without regard to case), trimmed, one pair of matching
  // outer quotes removed. nullopt when the section or key does not exist.
  std::optional<std::u16string> find(std::u16string_view section, std::u16string_view key) const;
  // GetPrivateProfileStringW, whole value: `fallback`, less its trailing
  // spaces (as Windows strips them), when missing.
  std::u16string getString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view fallback = {}) const;
  // GetPrivateProfileIntW: `fallback` when missing or empty, else ParseProfileIntValue.
  std::int32_t getInt(std::u16string_view section, std::u16string_view key,
                      std::int32_t fallback) const;
  bool hasSection(std::u16string_view section) const;
  // Keys of the first section of that name, in file order (first of each name only).
  std::vector<std::u16string> keysOf(std::u16string_view section) const;

  // WritePrivateProfileStringW: replaces the first such key's value in place,
  // or appends the key after the last non-blank line of its section, or a new
  // section at the end. Names are trimmed like the names in the file. A name or
  // value the file cannot hold as one line (a line break, '=' in a key) is
  // written as Windows writes it, and the document then reads as the file will.
  void setString(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void setInt(std::u16string_view section, std::u16string_view key, std::int32_t value);
  // WritePrivateProfileSectionW with an empty list: the header stays, every
  // line of the section goes (of every section of that name). A missing
  // section is not created.
  void clearSection(std::u16string_view section);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The integer read of _wtoi (the macro step fields, the layout's numbers):
// leading white space skipped, optional sign, decimal digits up to the first
// other character, saturated at the 32-bit limits as the C runtime does
// ("4294967361" reads as 2147483647); no digits gives 0. "0x1F" reads as 0.
std::int32_t parseProfileInt(std::u16string_view text);

// The integer read of GetPrivateProfileIntW: as parseProfileInt, but after
// the sign a lower-case "0x", "0o" or "0b" selects base 16, 8 or 2 ("0x1F" is
// 31), every character up to ' ' counts as leading blank, and digits past the
// 32-bit range wrap ("4294967297" is 1), as the system's reader does.
std::int32_t parseProfileIntValue(std::u16string_view text);

// "%d" for a 32-bit integer, as wide text.
std::u16string formatInt(std::int32_t value);

// ASCII-only convenience for the many fixed key names ("Profile1", "Key65").
std::u16string widen(std::string_view ascii);

}  // namespace tarsil::ini
