#include "ui/skin/window_outline.h"

#include <algorithm>
#include <array>

namespace tarsil {

namespace {

bool isWhite(const std::uint8_t* colour) {
  return colour[0] == 0xFF && colour[1] == 0xFF && colour[2] == 0xFF;
}

// Whether pixel x of a row is white, by the mask's depth.
class PixelReader {
 public:
  explicit PixelReader(const MaskImage& mask) : mask_(mask) {
    // An indexed mask is read through a table of which indices are white.
    const std::size_t entries = mask.palette.size() / 4;
    for (std::size_t i = 0; i < entries && i < whiteIndex_.size(); ++i) {
      whiteIndex_[i] = isWhite(&mask.palette[i * 4]);
    }
  }
  bool white(const std::uint8_t* row, std::int32_t x) const {
    const auto at = static_cast<std::size_t>(x);
    switch (mask_.bitsPerPixel) {
      case 1:
        return whiteIndex_[(row[at / 8] >> (7 - at % 8)) & 1u];
      case 4:
        return whiteIndex_[(row[at / 2] >> (at % 2 == 0 ? 4 : 0)) & 0xFu];
      case 8:
        return whiteIndex_[row[at]];
      default:
        return isWhite(row + at * static_cast<std::size_t>(mask_.bitsPerPixel / 8));
    }
  }

 private:
  const MaskImage& mask_;
  std::array<bool, 256> whiteIndex_{};
};

const std::uint8_t* rowOf(const MaskImage& mask, std::int32_t y) {
  const std::int32_t stored = mask.topDown ? y : mask.height - 1 - y;
  return mask.bits + stored * mask.stride;
}

// The runs of non-white pixels of one row, as [left, right) pairs.
void rowRuns(const MaskImage& mask, const PixelReader& reader, std::int32_t y,
             std::vector<std::int32_t>& runs) {
  runs.clear();
  const std::uint8_t* row = rowOf(mask, y);
  std::int32_t x = 0;
  while (x < mask.width) {
    while (x < mask.width && reader.white(row, x)) ++x;
    if (x == mask.width) break;
    const std::int32_t left = x;
    while (x < mask.width && !reader.white(row, x)) ++x;
    runs.push_back(left);
    runs.push_back(x);
  }
}

}  // namespace

std::vector<SlotRect> outlineRects(const MaskImage& mask) {
  std::vector<SlotRect> rects;
  if (mask.bits == nullptr || mask.width <= 0 || mask.height <= 0 ||
      !isMaskDepth(mask.bitsPerPixel)) {
    return rects;
  }
  const PixelReader reader(mask);
  std::vector<std::int32_t> band;  // the runs of the rows the last rectangles cover
  std::vector<std::int32_t> runs;
  std::size_t bandStart = 0;  // first rectangle of the current band
  for (std::int32_t y = 0; y < mask.height; ++y) {
    rowRuns(mask, reader, y, runs);
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
