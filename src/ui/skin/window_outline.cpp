#include "ui/skin/window_outline.h"

#include <algorithm>

namespace tarsil {

namespace {

bool isWhite(const std::uint8_t* pixel) {
  return pixel[0] == 0xFF && pixel[1] == 0xFF && pixel[2] == 0xFF;
}

const std::uint8_t* rowOf(const MaskImage& mask, std::int32_t y) {
  const std::int32_t stored = mask.topDown ? y : mask.height - 1 - y;
  return mask.bits + stored * mask.stride;
}

// The runs of non-white pixels of one row, as [left, right) pairs.
void rowRuns(const MaskImage& mask, std::int32_t y, std::vector<std::int32_t>& runs) {
  runs.clear();
  const std::uint8_t* pixel = rowOf(mask, y);
  const int step = mask.bytesPerPixel;
  std::int32_t x = 0;
  while (x < mask.width) {
    while (x < mask.width && isWhite(pixel + x * step)) ++x;
    if (x == mask.width) break;
    const std::int32_t left = x;
    while (x < mask.width && !isWhite(pixel + x * step)) ++x;
    runs.push_back(left);
    runs.push_back(x);
  }
}

}  // namespace

std::vector<SlotRect> outlineRects(const MaskImage& mask) {
  std::vector<SlotRect> rects;
  if (mask.bits == nullptr || mask.width <= 0 || mask.height <= 0 ||
      (mask.bytesPerPixel != 3 && mask.bytesPerPixel != 4)) {
    return rects;
  }
  std::vector<std::int32_t> band;  // the runs of the rows the last rectangles cover
  std::vector<std::int32_t> runs;
  std::size_t bandStart = 0;  // first rectangle of the current band
  for (std::int32_t y = 0; y < mask.height; ++y) {
    rowRuns(mask, y, runs);
    if (y > 0 && runs == band) {
      for (std::size_t i = bandStart; i < rects.size(); ++i) rects[i].bottom = y + 1;
      continue;
    }
    band.swap(runs);
    bandStart = rects.size();
    for (std::size_t i = 0; i < band.size(); i += 2) {
      rects.push_back({band[i], y, band[i + 1], y + 1});
    }
  }
  return rects;
}

}  // namespace tarsil
