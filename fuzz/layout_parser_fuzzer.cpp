// Arbitrary bytes as "Main.ini" and "Composite.ini": parsing never crashes,
// and every slot the main window could hit-test has a well-formed rectangle.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ini/ini_document.h"
#include "layout/layout_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tarsil::ini::IniDocument file =
      tarsil::ini::IniDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  const tarsil::MainLayout layout = tarsil::readMainLayout(file);
  for (const tarsil::KeySlot& slot : layout.slots) (void)slot.rect().contains(0, 0);
  const tarsil::DialogLayout dialog = tarsil::readDialogLayout(file);
  for (const tarsil::KeySlot& entry : dialog) (void)entry.rect().contains(0, 0);
  return 0;
}
