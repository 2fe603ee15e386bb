// The pictures as the skinned windows load them: a damaged file is refused
// before the system reads it, and a mask of any depth a mask may have gives
// the window its outline.
#include "ui/skin/win32/skin_pictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_files.h"
#include "support/temp_folder.h"

namespace {

using tarsil::testing::bitmapFile;
using tarsil::testing::putLittleEndian;
using tarsil::testing::TempFolder;

class SkinPictures : public ::testing::Test {
 protected:
  SkinPictures() { std::filesystem::create_directory(folder / "skin"); }
  std::wstring load(const std::string& maskFile, const std::string& pictureFile) {
    TempFolder::write(folder / "skin" / "mask.bmp", maskFile);
    TempFolder::write(folder / "skin" / "picture.bmp", pictureFile);
    mask.DeleteObject();
    picture.DeleteObject();
    const std::pair<const wchar_t*, CBitmap*> files[] = {{L"mask.bmp", &mask},
                                                         {L"picture.bmp", &picture}};
    return loadSkinPictures(folder.path(), files);
  }

  TempFolder folder;
  CBitmap mask;
  CBitmap picture;
};

TEST_F(SkinPictures, DamagedPicturesAreRefusedByNameWithoutReachingTheSystem) {
  const std::string sound = bitmapFile(std::vector<std::string>(20, std::string(100, '#')), 24);
  std::string distant = sound;
  putLittleEndian(distant, 10, 0x7FFFFFF0, 4);
  std::string huge = sound.substr(0, 54);
  putLittleEndian(huge, 18, 20000, 4);
  putLittleEndian(huge, 22, 20000, 4);
  for (const std::string& damaged :
       {sound.substr(0, 1000), sound.substr(0, 30), distant, huge, std::string()}) {
    const std::wstring said = load(sound, damaged);
    EXPECT_NE(said.find((folder / "skin" / "picture.bmp").wstring() + L" is "), std::wstring::npos)
        << damaged.size();
    EXPECT_FALSE(picture);
  }
  EXPECT_EQ(load(sound, sound), L"");
}

TEST_F(SkinPictures, MasksOfOneAndEightBitsGiveTheOutlineAndSixteenBitsAreRefused) {
  const std::vector<std::string> rows = {"..##.....#", "##########", "#........."};
  for (const int bits : {1, 8}) {
    ASSERT_EQ(load(bitmapFile(rows, bits), bitmapFile(rows, 24)), L"") << bits;
    const HRGN outline = createOutlineRegion(mask);
    ASSERT_NE(outline, nullptr);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(PtInRegion(outline, x, y) != FALSE, rows[y][x] != '.')
            << bits << ": " << x << "," << y;
      }
    }
    DeleteObject(outline);
  }
  EXPECT_NE(load(bitmapFile(rows, 16), bitmapFile(rows, 24)).find(L"pixels of 16 bits"),
            std::wstring::npos);
}

}  // namespace
