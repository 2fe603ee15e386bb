#include "framework/win32/bitmap.h"

bool CBitmap::LoadFromFile(const std::filesystem::path& path) {
  bitmap_.reset(static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
  return static_cast<bool>(bitmap_);
}

SIZE CBitmap::GetSize() const {
  BITMAP info{};
  if (!bitmap_ || GetObjectW(bitmap_.get(), sizeof(info), &info) == 0) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

bool CBitmap::GetSection(DIBSECTION& section) const {
  return bitmap_ && GetObjectW(bitmap_.get(), sizeof(section), &section) == sizeof(section) &&
         section.dsBm.bmBits != nullptr;
}
