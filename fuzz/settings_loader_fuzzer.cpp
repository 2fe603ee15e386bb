// Arbitrary bytes as set.ini: the start-up load and the check that runs the
// same loader never crash, hang or run away with memory. (What a save
// writes reading back the same is settings_roundtrip_fuzzer's.)
#include <cstddef>
#include <cstdint>

#include "fuzz_settings.h"
#include "profile/settings_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarsil::MainLayout layout = fuzzLayout();
  const FuzzSettings input = loadFuzzInput(data, size, layout);
  (void)tarsil::checkSettings(input.file, layout);
  if (!tarsil::isProfileNumber(input.loaded.activeProfile)) __builtin_trap();
  return 0;
}
