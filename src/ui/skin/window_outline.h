#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "layout/key_slot.h"

namespace tarsil {

// A mask picture in memory as a bitmap file holds it: rows of `stride`
// bytes, the bottom row first unless `topDown`. Pixels of 24 or 32 bits
// are stored blue, green, red; pixels of 1, 4 or 8 bits are indices into
// `palette`, whose entries are stored blue, green, red, unused.
struct MaskImage {
  const std::uint8_t* bits = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::ptrdiff_t stride = 0;
  int bitsPerPixel = 24;
  std::span<const std::uint8_t> palette;  // 4 bytes an entry
  bool topDown = false;
};

// The depths a mask may have: white is one colour in each of them.
constexpr bool isMaskDepth(int bitsPerPixel) {
  return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 24 ||
         bitsPerPixel == 32;
}

// The window's outline: every pixel of the mask that is not pure white
// (0xFFFFFF; 0xFEFFFF stays, and so does an index past the palette), as
// rectangles in window coordinates. Each
// rectangle is a run of such pixels along a row; rows with the same runs
// as the row above extend those rectangles downwards. The rectangles come
// top to bottom and left to right, the order a region is built from.
std::vector<SlotRect> outlineRects(const MaskImage& mask);

}  // namespace tarsil
