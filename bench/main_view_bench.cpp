// The main window's decisions on the shipped skin: the outline from the
// mask (once at start) and one hover update (at every resting pointer),
// without the drawing itself, which the Windows build measures under Wine.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "ini/ini_file.h"
#include "profile/settings_file.h"
#include "ui/main/keyboard_view.h"
#include "ui/skin/window_outline.h"

namespace {

using namespace tarsil;

const std::filesystem::path kSource = TARSIL_SOURCE_DIR;

// The shipped mask, a 24-bit bottom-up .bmp, read as the window reads its
// DIB section.
struct ShippedMask {
  ShippedMask() {
    std::ifstream file(kSource / "assets" / "skin" / "main_mask.bmp", std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    std::uint32_t offset = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::memcpy(&offset, bytes.data() + 10, 4);
    std::memcpy(&width, bytes.data() + 18, 4);
    std::memcpy(&height, bytes.data() + 22, 4);
    image.bits = reinterpret_cast<const std::uint8_t*>(bytes.data() + offset);
    image.width = width;
    image.height = height < 0 ? -height : height;
    image.topDown = height < 0;
    image.bitsPerPixel = 24;
    image.stride = (width * 3 + 3) / 4 * 4;
  }
  std::vector<char> bytes;
  MaskImage image;
};

void BM_OutlineOfTheShippedMask(benchmark::State& state) {
  const ShippedMask mask;
  for (auto _ : state) benchmark::DoNotOptimize(outlineRects(mask.image));
  state.counters["rectangles"] = static_cast<double>(outlineRects(mask.image).size());
}
BENCHMARK(BM_OutlineOfTheShippedMask)->Unit(benchmark::kMicrosecond);

class NoCanvas : public SkinCanvas {
 public:
  void copyPicture(SlotState, const SlotRect& area) override { benchmark::DoNotOptimize(area); }
};

// The pointer resting alternately on two keys: the hit test, the indicator,
// two slot draws, the assigned keys and the tooltip text.
void BM_HoverBetweenTwoKeys(benchmark::State& state) {
  const MainLayout layout =
      readMainLayout(ini::readIniFile(kSource / "assets" / "Main.ini").document);
  ProfileSet profiles;
  loadSettings(profiles, layout, ini::readIniFile(kSource / "examples" / "set.ini").document);
  KeyboardView view(layout.slots);
  NoCanvas canvas;
  const SlotRect a = layout.slots.slot(57).rect();
  const SlotRect numpadEnter = layout.slots.slot(104).rect();
  bool flip = false;
  for (auto _ : state) {
    const SlotRect& at = (flip = !flip) ? a : numpadEnter;
    benchmark::DoNotOptimize(view.hover(canvas, at.left + 1, at.top + 1, profiles));
  }
}
BENCHMARK(BM_HoverBetweenTwoKeys);

}  // namespace
