#include "ui/main/win32/main_skin.h"

#include <utility>

#include "ui/skin/win32/skin_pictures.h"

std::wstring MainSkin::load(const std::filesystem::path& folder) {
  // The mask first: it sets the size every other picture must have.
  const std::pair<const wchar_t*, CBitmap*> files[] = {{L"main_mask.bmp", &mask_},
                                                       {L"main_normal.bmp", &pictures_[0]},
                                                       {L"main_over.bmp", &pictures_[1]},
                                                       {L"main_down.bmp", &pictures_[2]}};
  return loadSkinPictures(folder, files);
}

HRGN MainSkin::createOutline() const { return createOutlineRegion(mask_); }

void SkinPainter::copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) {
  copyPictureArea(target_, skin_.picture(picture), area.left, area.top, area.right - area.left,
                  area.bottom - area.top);
}
