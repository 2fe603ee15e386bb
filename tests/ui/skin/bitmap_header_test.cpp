#include "ui/skin/bitmap_header.h"

#include <gtest/gtest.h>

#include <string>

#include "bitmap_files.h"

namespace tarsil {
namespace {

using testing::bitmapFile;
using testing::putLittleEndian;

BitmapCheck check(const std::string& file, std::uint64_t size) {
  return checkBitmapHeader({reinterpret_cast<const std::uint8_t*>(file.data()), file.size()}, size);
}
BitmapCheck check(const std::string& file) { return check(file, file.size()); }

TEST(BitmapHeader, ASoundFileGivesWhereItsRowsAre) {
  const BitmapCheck wide = check(bitmapFile({"#.#", "..."}, 24, true));
  EXPECT_EQ(wide.problem, "");
  EXPECT_EQ(wide.facts.width, 3);
  EXPECT_EQ(wide.facts.height, 2);
  EXPECT_TRUE(wide.facts.topDown);
  EXPECT_EQ(wide.facts.pixelsAt, 54u);
  EXPECT_EQ(wide.facts.rowBytes, 12u);  // 9 bytes, padded to four
  const BitmapCheck mono = check(bitmapFile({"#.#.#.#.#"}, 1));
  EXPECT_EQ(mono.problem, "");
  EXPECT_EQ(mono.facts.pixelsAt, 62u);
  EXPECT_EQ(mono.facts.rowBytes, 4u);
}

// Each would crash the system's loader or cost it the memory it claims.
TEST(BitmapHeader, DamagedFilesAreRefusedByWhatIsWrong) {
  const std::string sound = bitmapFile(std::vector<std::string>(20, std::string(100, '#')), 24);
  EXPECT_EQ(check(sound.substr(0, 1000)).problem,
            "is cut short: its 100 x 20 pixels need 6000 bytes from byte 54, but the file ends "
            "at byte 1000");
  EXPECT_EQ(check(sound.substr(0, 30)).problem,
            "is cut short: its headers need 54 bytes, but the file has 30");
  EXPECT_EQ(check(sound.substr(0, 20)).problem,
            "is cut short: 20 bytes are too few for a bitmap's headers");
  std::string distant = sound;
  putLittleEndian(distant, 10, 0x7FFFFFF0, 4);
  EXPECT_EQ(check(distant).problem,
            "is cut short: its 100 x 20 pixels need 6000 bytes from byte 2147483632, but the "
            "file ends at byte 6054");
  std::string huge = sound.substr(0, 54);
  putLittleEndian(huge, 18, 20000, 4);
  putLittleEndian(huge, 22, 20000, 4);
  EXPECT_EQ(check(huge).problem,
            "is 20000 x 20000 pixels; a picture of the skin has 1 to 8192 pixels a side");

  const auto refusedFor = [&](std::size_t at, std::uint32_t value, int width) {
    std::string bad = sound;
    putLittleEndian(bad, at, value, width);
    return check(bad).problem;
  };
  EXPECT_EQ(refusedFor(0, 'P' | 'K' << 8, 2), "is no bitmap: it does not start with \"BM\"");
  EXPECT_EQ(refusedFor(14, 64, 4), "has an information header of 64 bytes, a size no bitmap's has");
  EXPECT_EQ(refusedFor(28, 7, 2), "has 7 bits a pixel, a depth no bitmap has");
  EXPECT_EQ(refusedFor(30, 1, 4),
            "is compressed, which the program does not read: save it uncompressed");
  EXPECT_EQ(refusedFor(10, 20, 4),
            "has its pixels at byte 20, inside its headers, which end at byte 54");
  EXPECT_EQ(refusedFor(22, 0x80000000u, 4),
            "is 100 x -2147483648 pixels; a picture of the skin has 1 to 8192 pixels a side");
  std::string manyColours = bitmapFile({"#"}, 8);
  putLittleEndian(manyColours, 46, 300, 4);
  EXPECT_EQ(check(manyColours).problem,
            "names 300 colours, more than pixels of 8 bits can choose from");
  // The size on disk counts, not the bytes looked at.
  EXPECT_NE(check(sound, 100).problem, "");
}

TEST(BitmapHeader, AFileOnDiskIsCheckedByItsSizeThere) {
  EXPECT_EQ(checkBitmapFile("/nowhere/mask.bmp").problem, "is missing");
}

}  // namespace
}  // namespace tarsil
