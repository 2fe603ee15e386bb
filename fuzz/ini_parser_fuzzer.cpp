// Arbitrary bytes through the INI engine: parse, look up, write, serialize,
// read back. Any crash, hang or broken invariant is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_document.h"

namespace {

using tarsil::ini::IniDocument;

void check(bool condition) {
  if (!condition) std::abort();
}

// Section names as the input spells them: ASCII text between '[' and ']' on a line.
std::vector<std::u16string> sectionNamesIn(std::string_view bytes) {
  std::vector<std::u16string> names;
  for (std::size_t open = bytes.find('['); open != std::string_view::npos && names.size() < 8;
       open = bytes.find('[', open + 1)) {
    const std::size_t close = bytes.find_first_of("]\r\n", open + 1);
    if (close == std::string_view::npos || bytes[close] != ']') continue;
    names.push_back(tarsil::ini::widen(bytes.substr(open + 1, close - open - 1)));
  }
  return names;
}

// A value that reads back as written: letters only, so no blanks to trim,
// no quotes to take off and no line break.
std::u16string valueFrom(std::string_view bytes) {
  std::u16string value;
  for (std::size_t i = 0; i < bytes.size() && i < 24; ++i) {
    value.push_back(static_cast<char16_t>(u'a' + static_cast<unsigned char>(bytes[i]) % 26));
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::parse(bytes);
  // Read and written unchanged, a file keeps every byte (but the odd last
  // byte of UTF-16, which holds no character).
  const bool oddUtf16 = bytes.substr(0, 2) == "\xFF\xFE" && size % 2 == 1;
  check(oddUtf16 || doc.encodeFile() == bytes);

  std::vector<std::u16string> sections = sectionNamesIn(bytes);
  sections.push_back(u"Profile1");
  for (const std::u16string& section : sections) {
    // Every key a section lists must be found under its name.
    for (const std::u16string& key : doc.keysOf(section)) {
      check(doc.find(section, key).has_value());
      (void)doc.getInt(section, key, -1);
    }
  }
  (void)doc.getInt(u"TYPE", u"type", 1);
  (void)doc.getString(u"Profile1", u"MacroKey0", u"fallback  ");

  const std::u16string value = valueFrom(bytes);
  const std::u16string& target = sections[size % sections.size()];
  if (size % 7 == 3) doc.clearSection(target);
  doc.setString(target, u"FuzzKey", value);
  doc.setInt(u"Profile1", u"IndexPic65", static_cast<std::int32_t>(size));
  // A name that is no single line changes the file's structure, so only a
  // plain one must read back exactly.
  const bool plainTarget = target.find_first_of(u"\r\n") == std::u16string::npos;
  if (plainTarget) check(doc.find(target, u"fuzzkey") == value);
  check(doc.getInt(u"PROFILE1", u"indexpic65", -1) == static_cast<std::int32_t>(size));

  const std::string written = doc.serialize();
  const IniDocument reread = IniDocument::parse(written);
  check(reread.serialize() == written);
  if (plainTarget) check(reread.find(target, u"FuzzKey") == value);
  check(reread.getInt(u"Profile1", u"IndexPic65", -1) == static_cast<std::int32_t>(size));
  // Bytes of an unknown code page may read as UTF-8 once the writes took
  // away the bytes that were not: then names read otherwise, but stay bytes.
  if (!doc.holdsUndecodedBytes()) {
    for (const std::u16string& section : sections)
      check(reread.keysOf(section) == doc.keysOf(section));
  }
  return 0;
}
