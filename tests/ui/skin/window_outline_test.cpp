#include "ui/skin/window_outline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_files.h"
#include "ui/skin/bitmap_header.h"

namespace tarsil {
namespace {

using testing::bitmapFile;

// The mask a .bmp file holds, found where its checked headers say.
struct FileMask {
  explicit FileMask(std::string bytes) : file(std::move(bytes)) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.data());
    const BitmapCheck check = checkBitmapHeader({data, file.size()}, file.size());
    EXPECT_EQ(check.problem, "");
    image.bits = data + check.facts.pixelsAt;
    image.width = check.facts.width;
    image.height = check.facts.height;
    image.stride = static_cast<std::ptrdiff_t>(check.facts.rowBytes);
    image.bitsPerPixel = check.facts.bitsPerPixel;
    image.topDown = check.facts.topDown;
    image.palette = {data + 54, static_cast<std::size_t>(check.facts.pixelsAt - 54)};
  }
  std::string file;
  MaskImage image;
};

TEST(WindowOutline, KeepsEveryPixelButPureWhiteAsBandedRunsAtEveryDepth) {
  const std::vector<std::string> rows = {
      ".##..",  //
      "#####",  //
      "#####",  //
      "e#.#.",  // 0xFEFFFF is no white
  };
  const std::vector<SlotRect> expected = {{1, 0, 3, 1}, {0, 1, 5, 3}, {0, 3, 2, 4}, {3, 3, 4, 4}};
  for (const int bits : {4, 8, 24, 32}) {
    for (const bool topDown : {false, true}) {
      EXPECT_EQ(outlineRects(FileMask(bitmapFile(rows, bits, topDown)).image), expected)
          << bits << " " << topDown;
    }
  }
  // Black and white only, and wider than a byte of pixels.
  EXPECT_EQ(outlineRects(FileMask(bitmapFile({"..........#", "#.........."}, 1)).image),
            (std::vector<SlotRect>{{10, 0, 11, 1}, {0, 1, 1, 2}}));
}

TEST(WindowOutline, AnAllWhiteOrUnreadableMaskHasNoOutline) {
  EXPECT_TRUE(outlineRects(FileMask(bitmapFile({"...", "..."}, 24)).image).empty());
  EXPECT_TRUE(outlineRects(MaskImage{}).empty());
  FileMask sixteen(bitmapFile({"#"}, 16));
  EXPECT_TRUE(outlineRects(sixteen.image).empty());
}

}  // namespace
}  // namespace tarsil
