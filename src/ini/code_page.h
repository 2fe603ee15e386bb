#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace tarsil::ini {

// A byte of an 8-bit file that the code page in use does not turn into a
// character stays as it is: U+DC80..U+DCFF (lone surrogates, which no text
// holds) stand for the bytes 0x80..0xFF. Written to an 8-bit file they are
// those bytes again; they are never written as text.
constexpr char16_t undecodedByte(unsigned char byte) {
  return static_cast<char16_t>(0xDC00 + byte);
}
constexpr bool isUndecodedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }
// Whether `text` holds such a byte: one of those units that is no second
// half of a surrogate pair.
bool holdsUndecodedBytes(std::u16string_view text);

// The 8-bit code page of a file without BOM. ASCII is itself in every one
// the program accepts. Decoding never fails, and whatever it gives encodes
// back to the very bytes it came from, so a file read and written unchanged
// keeps every byte.
class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual std::string name() const = 0;

  // Appends the text of `bytes`. A byte that starts no character, or whose
  // character would not encode back to the same bytes, becomes undecodedByte.
  void decode(std::string_view bytes, std::u16string& text) const;
  // Appends the bytes of `text`; false when a character has no bytes here
  // (`bytes` then holds a part).
  bool encode(std::u16string_view text, std::string& bytes) const;

  // Whether every ASCII byte is its own character here, both ways: the
  // lines, names and '=' of an INI file must not depend on the code page.
  bool keepsAscii() const;

 protected:
  // The character that starts `bytes` (one code unit or a surrogate pair,
  // into `character`) and its length in bytes; 0 when none starts there.
  virtual std::size_t decodeCharacter(std::string_view bytes, std::u16string& character) const = 0;
  // The bytes of one character (a code unit or a surrogate pair); false
  // when the code page has none for it.
  virtual bool encodeCharacter(std::u16string_view character, std::string& bytes) const = 0;
};

using CodePagePtr = std::shared_ptr<const CodePage>;

// No code page: ASCII is text, every other byte stays undecoded.
CodePagePtr unknownCodePage();

// The code page of files without BOM on this system: on Windows the ANSI
// code page, as the system's own profile functions read such files;
// elsewhere there is none, and unknownCodePage() keeps every byte.
CodePagePtr systemCodePage();

// A code page by name: "GBK", "CP1252", "SHIFT_JIS", ... (iconv's names) off
// Windows, a code page number ("936", "cp936", "windows-1252") on Windows.
// nullptr, with `error` set, for a name the system does not know or a code
// page in which ASCII is not itself.
CodePagePtr findCodePage(std::string_view name, std::string& error);

}  // namespace tarsil::ini
