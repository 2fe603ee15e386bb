#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "layout/key_slot.h"

namespace tarsil {

// A mask picture in memory as a bitmap file holds it: rows of `stride`
// bytes, pixels of 3 or 4 bytes stored blue, green, red, and the bottom row
// first unless `topDown`.
struct MaskImage {
  const std::uint8_t* bits = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::ptrdiff_t stride = 0;
  int bytesPerPixel = 3;
  bool topDown = false;
};

// The window's outline: every pixel of the mask that is not pure white
// (0xFFFFFF; 0xFEFFFF stays), as rectangles in window coordinates. Each
// rectangle is a run of such pixels along a row; rows with the same runs
// as the row above extend those rectangles downwards. The rectangles come
// top to bottom and left to right, the order a region is built from.
std::vector<SlotRect> outlineRects(const MaskImage& mask);

}  // namespace tarsil
