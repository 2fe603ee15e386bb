// Arbitrary bytes as set.ini: the start-up load and the check that runs the
// same loader never crash, hang or run away with memory. (What a save
// writes reading back the same is settings_roundtrip_fuzzer's.)
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_layout.h"
#include "ini/ini_document.h"
#include "profile/settings_check.h"
#include "profile/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarsil::MainLayout layout = fuzzLayout();
  const tarsil::ini::IniDocument file =
      tarsil::ini::IniDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  tarsil::ProfileSet loaded;
  tarsil::loadSettings(loaded, layout, file);
  (void)tarsil::checkSettings(file, layout);
  if (!tarsil::isProfileNumber(loaded.activeProfile)) __builtin_trap();
  return 0;
}
