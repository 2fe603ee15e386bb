#include "ui/skin/window_outline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarsil {
namespace {

// A mask drawn as text, top row first: '.' white, '#' black, 'e' 0xFEFFFF.
struct TextMask {
  TextMask(std::vector<std::string> rows, int bytesPerPixel, bool topDown) {
    image.width = static_cast<std::int32_t>(rows[0].size());
    image.height = static_cast<std::int32_t>(rows.size());
    image.bytesPerPixel = bytesPerPixel;
    image.topDown = topDown;
    image.stride = (image.width * bytesPerPixel + 3) / 4 * 4;  // rows padded as in a file
    bytes.assign(static_cast<std::size_t>(image.stride * image.height), 0x55);
    for (std::int32_t y = 0; y < image.height; ++y) {
      const std::int32_t stored = topDown ? y : image.height - 1 - y;
      for (std::int32_t x = 0; x < image.width; ++x) {
        std::uint8_t* p =
            &bytes[static_cast<std::size_t>(stored * image.stride + x * bytesPerPixel)];
        const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
        p[0] = c == '#' ? 0 : 0xFF;  // blue
        p[1] = c == '#' ? 0 : 0xFF;
        p[2] = c == '.' ? 0xFF : c == 'e' ? 0xFE : 0;  // red
      }
    }
    image.bits = bytes.data();
  }
  std::vector<std::uint8_t> bytes;
  MaskImage image;
};

TEST(WindowOutline, KeepsEveryPixelButPureWhiteAsBandedRuns) {
  const std::vector<std::string> rows = {
      ".##..",  //
      "#####",  //
      "#####",  //
      "e#.#.",  // 0xFEFFFF is no white
  };
  const std::vector<SlotRect> expected = {{1, 0, 3, 1}, {0, 1, 5, 3}, {0, 3, 2, 4}, {3, 3, 4, 4}};
  for (const int bytesPerPixel : {3, 4}) {
    for (const bool topDown : {false, true}) {
      const TextMask mask(rows, bytesPerPixel, topDown);
      EXPECT_EQ(outlineRects(mask.image), expected) << bytesPerPixel << " " << topDown;
    }
  }
}

TEST(WindowOutline, AnAllWhiteOrUnreadableMaskHasNoOutline) {
  EXPECT_TRUE(outlineRects(TextMask({"...", "..."}, 3, false).image).empty());
  EXPECT_TRUE(outlineRects(MaskImage{}).empty());
}

}  // namespace
}  // namespace tarsil
