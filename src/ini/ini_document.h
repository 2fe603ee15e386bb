#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ini/code_page.h"

namespace tarsil::ini {

// How a file was encoded on disk, and how it is written back:
// - kUtf16Le (it starts FF FE): UTF-16LE, every code unit as it was;
// - kUtf8 (no BOM, valid UTF-8 beyond ASCII): UTF-8;
// - kEightBit (anything else, and a new document): the code page given to
//   parse. A file of ASCII only takes nothing beyond ASCII in any code page.
// A write changes only the lines it writes: every other line keeps its bytes
// and its line end. Only text the file's encoding cannot hold converts the
// file to UTF-16LE with BOM, which holds every wide name and which Windows'
// own profile functions read the same way. Bytes kept undecoded (see
// code_page.h) are never converted: a document that holds them and needs
// UTF-16 cannot be written at all.
enum class Encoding { kEightBit, kUtf8, kUtf16Le };

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
  // when the whole file is valid UTF-8, else `codePage` (null: the system's,
  // see systemCodePage). A UTF-8 BOM is no BOM: its bytes belong to the
  // first line, as they do for Windows. Lines end at CR LF, LF or a lone CR.
  static IniDocument parse(std::string_view bytes, CodePagePtr codePage = nullptr);
  // The whole file in the encoding described at `Encoding`; nullopt when the
  // document holds undecoded bytes and text that only UTF-16 can hold.
  std::optional<std::string> encodeFile() const;
  // encodeFile() for a document known to be writable (tests, new files). A
  // document encodeFile refuses comes out as UTF-16 with its code units as
  // they are.
  std::string serialize() const;
  Encoding encoding() const;
  // Whether some bytes of the file are no text in the code page it was read
  // in, and are kept as they are.
  bool holdsUndecodedBytes() const;
  // The section a UTF-8 byte order mark hides: a file that starts with one
  // and a header on its first line. Windows reads the mark as text, so that
  // header is no header and its keys belong to no section.
  std::optional<std::u16string> sectionHiddenByByteOrderMark() const;

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
  // No line holds anything but white space: an empty file, say.
  bool blank() const;
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

// How many lines `bytes` hold as parse splits them (after a UTF-16 BOM, in
// code units), without decoding them.
std::uint64_t countLines(std::string_view bytes);

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
