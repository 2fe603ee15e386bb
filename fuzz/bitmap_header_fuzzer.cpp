// Arbitrary bytes as a skin picture: the header check reads nothing past
// them, and a picture it passes has every row within the file, as the
// outline of a mask, which reads every row, shows under the sanitizers.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "ui/skin/bitmap_header.h"
#include "ui/skin/window_outline.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tarsil::BitmapCheck check =
      tarsil::checkBitmapHeader({data, std::min(size, tarsil::kBitmapHeadBytes)}, size);
  if (!check.problem.empty()) return 0;
  const tarsil::BitmapFacts& facts = check.facts;
  if (facts.pixelsAt + facts.rowBytes * static_cast<std::uint64_t>(facts.height) > size) {
    __builtin_trap();
  }
  if (!tarsil::isMaskDepth(facts.bitsPerPixel)) return 0;
  tarsil::MaskImage mask;
  mask.bits = data + facts.pixelsAt;
  mask.width = facts.width;
  mask.height = facts.height;
  mask.stride = static_cast<std::ptrdiff_t>(facts.rowBytes);
  mask.bitsPerPixel = facts.bitsPerPixel;
  mask.topDown = facts.topDown;
  mask.palette = {data, static_cast<std::size_t>(facts.pixelsAt)};  // any bytes will do
  (void)tarsil::outlineRects(mask);
  return 0;
}
