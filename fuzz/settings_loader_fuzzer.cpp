// Arbitrary bytes as set.ini: the start-up load never crashes, hangs or runs
// away with memory, and what it loaded saves and reloads to the same profiles.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ini/ini_document.h"
#include "profile/settings_check.h"
#include "profile/settings_file.h"

namespace {

tarsil::MainLayout fuzzLayout() {
  tarsil::MainLayout layout;
  for (int s = 1; s <= tarsil::kLastStoredSlot; ++s) {
    tarsil::KeySlot& slot = layout.slots.slot(s);
    slot.vk = s + 7;  // 8..128: covers letters, digits and the keypad
    slot.caption = u"K" + tarsil::ini::formatInt(slot.vk);
  }
  layout.media = {{u"Play/Pause", 179}, {u"Refresh", 168}};
  return layout;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarsil::MainLayout layout = fuzzLayout();
  const tarsil::ini::IniDocument file =
      tarsil::ini::IniDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  tarsil::ProfileSet loaded;
  tarsil::loadSettings(loaded, layout, file);
  // The check runs the same loader and must hold up as well.
  (void)tarsil::checkSettings(file, layout);
  if (!tarsil::isProfileNumber(loaded.activeProfile)) __builtin_trap();

  tarsil::ini::IniDocument saved;
  for (int p = 1; p <= tarsil::kProfileCount; ++p)
    tarsil::SaveProfile(loaded, layout.slots, saved, p);
  saved.setInt(u"TYPE", u"type", loaded.activeProfile);
  tarsil::ProfileSet reloaded;
  tarsil::loadSettings(reloaded, layout, tarsil::ini::IniDocument::parse(saved.serialize()));
  for (int p = 0; p < tarsil::kProfileCount; ++p) {
    const tarsil::ProfileData& a = loaded.stores[static_cast<std::size_t>(p)];
    const tarsil::ProfileData& b = reloaded.stores[static_cast<std::size_t>(p)];
    if (a.keys != b.keys || a.macroSteps != b.macroSteps || a.assigned != b.assigned) {
      __builtin_trap();
    }
  }
  return 0;
}
