// Arbitrary bytes as set.ini: what the program loads it saves and reads
// back the same, and so does what that save wrote.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_settings.h"

namespace {

// The exit save: the profiles written into the file as it was read, so
// that what the loader does not own (other sections, their bytes, the
// file's encoding) stays as it was.
std::string exitSave(const tarsil::ProfileSet& profiles, const tarsil::MainLayout& layout,
                     tarsil::ini::IniDocument file) {
  for (int p = 1; p <= tarsil::kProfileCount; ++p) {
    tarsil::SaveProfile(profiles, layout.slots, file, p);
  }
  file.setInt(u"TYPE", u"type", profiles.activeProfile);
  return file.serialize();
}

// A byte of an 8-bit file that is no character of its code page, kept as
// it was read.
bool holdsRawBytes(const std::u16string& name) {
  for (const char16_t c : name) {
    if (c >= 0xDC80 && c <= 0xDCFF) return true;
  }
  return false;
}

// `rawNamesMayChange`: a name read as raw bytes may read back as text, as
// when the lines that made the file no UTF-8 were dropped by the save; its
// bytes are the same.
bool sameProfiles(const tarsil::ProfileSet& a, const tarsil::ProfileSet& b,
                  bool rawNamesMayChange) {
  for (std::size_t p = 0; p < tarsil::kProfileCount; ++p) {
    const tarsil::ProfileData& x = a.stores[p];
    const tarsil::ProfileData& y = b.stores[p];
    if (x.macroSteps != y.macroSteps || x.assigned != y.assigned ||
        x.macroTimings != y.macroTimings || x.actions != y.actions) {
      return false;
    }
    for (std::size_t k = 0; k < x.keys.size(); ++k) {
      const tarsil::KeyAssignment& before = x.keys[k];
      const tarsil::KeyAssignment& after = y.keys[k];
      if (before.kind != after.kind || before.macroIndex != after.macroIndex) return false;
      if (before.name != after.name && !(rawNamesMayChange && holdsRawBytes(before.name))) {
        return false;
      }
    }
  }
  return a.activeProfile == b.activeProfile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarsil::MainLayout layout = fuzzLayout();
  const auto [file, loaded] = loadFuzzInput(data, size, layout);
  const tarsil::ini::IniDocument first =
      tarsil::ini::IniDocument::parse(exitSave(loaded, layout, file));
  tarsil::ProfileSet once;
  tarsil::loadSettings(once, layout, first);
  if (!sameProfiles(loaded, once, true)) __builtin_trap();
  tarsil::ProfileSet twice;
  tarsil::loadSettings(twice, layout,
                       tarsil::ini::IniDocument::parse(exitSave(once, layout, first)));
  if (!sameProfiles(once, twice, false)) __builtin_trap();
  return 0;
}
