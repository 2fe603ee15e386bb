#include "ui/main/win32/main_skin.h"

#include <utility>
#include <vector>

#include "framework/win32/gdi.h"
#include "ui/main/window_outline.h"

std::wstring MainSkin::load(const std::filesystem::path& folder) {
  // The mask first: it sets the size every other picture must have.
  const std::pair<const wchar_t*, CBitmap*> files[] = {{L"main_mask.bmp", &mask_},
                                                       {L"main_normal.bmp", &pictures_[0]},
                                                       {L"main_over.bmp", &pictures_[1]},
                                                       {L"main_down.bmp", &pictures_[2]}};
  SIZE expected{};
  for (const auto& [name, bitmap] : files) {
    const std::filesystem::path path = folder / L"skin" / name;
    if (!bitmap->LoadFromFile(path)) {
      return L"The picture " + path.wstring() +
             L" is missing or is no bitmap, so the keyboard cannot be shown.\n\n"
             L"Reinstall the program to restore its skin folder.";
    }
    const SIZE size = bitmap->GetSize();
    if (bitmap == &mask_) expected = size;
    if (size.cx != expected.cx || size.cy != expected.cy || size.cx <= 0 || size.cy <= 0) {
      return L"The picture " + path.wstring() + L" is " + std::to_wstring(size.cx) + L" x " +
             std::to_wstring(size.cy) + L" pixels, but the skin's mask is " +
             std::to_wstring(expected.cx) + L" x " + std::to_wstring(expected.cy) +
             L": the pictures of a skin all have one size.";
    }
  }
  return {};
}

HRGN MainSkin::createOutline() const {
  DIBSECTION section{};
  if (!mask_.GetSection(section)) return nullptr;
  tarsil::MaskImage image;
  image.bits = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
  image.width = section.dsBm.bmWidth;
  image.height = section.dsBm.bmHeight;
  image.stride = section.dsBm.bmWidthBytes;
  image.bytesPerPixel = section.dsBm.bmBitsPixel / 8;
  image.topDown = section.dsBmih.biHeight < 0;
  const std::vector<tarsil::SlotRect> rects = tarsil::outlineRects(image);

  // One region from all rectangles at once: combining them one by one costs
  // a region operation each.
  std::vector<std::byte> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* region = reinterpret_cast<RGNDATA*>(data.data());
  region->rdh.dwSize = sizeof(RGNDATAHEADER);
  region->rdh.iType = RDH_RECTANGLES;
  region->rdh.nCount = static_cast<DWORD>(rects.size());
  region->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  region->rdh.rcBound = {0, 0, image.width, image.height};
  auto* out = reinterpret_cast<RECT*>(region->Buffer);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
  }
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}

void SkinPainter::copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  MemoryDC source(target_);
  SelectedObject selected(source.get(), skin_.picture(picture));
  BitBlt(target_, area.left, area.top, width, height, source.get(), area.left, area.top, SRCCOPY);
}
