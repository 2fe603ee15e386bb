#include "ui/skin/win32/skin_pictures.h"

#include <cstddef>
#include <vector>

#include "framework/win32/gdi.h"
#include "framework/win32/wide_text.h"
#include "ini/ini_file.h"
#include "ui/skin/window_outline.h"

std::wstring loadSkinPictures(const std::filesystem::path& programFolder,
                              std::span<const std::pair<const wchar_t*, CBitmap*>> pictures) {
  SIZE expected{};
  for (const auto& [name, bitmap] : pictures) {
    const std::filesystem::path path = programFolder / L"skin" / name;
    if (!bitmap->LoadFromFile(path)) {
      return L"The picture " + path.wstring() +
             L" is missing or is no bitmap, so the window cannot be shown.\n\n"
             L"Reinstall the program to restore its skin folder.";
    }
    const SIZE size = bitmap->GetSize();
    if (bitmap == pictures.front().second) expected = size;
    if (size.cx != expected.cx || size.cy != expected.cy || size.cx <= 0 || size.cy <= 0) {
      return L"The picture " + path.wstring() + L" is " + std::to_wstring(size.cx) + L" x " +
             std::to_wstring(size.cy) + L" pixels, but its window's mask is " +
             std::to_wstring(expected.cx) + L" x " + std::to_wstring(expected.cy) +
             L": the pictures of a window all have one size.";
    }
  }
  return {};
}

std::wstring loadSkinnedDialog(const std::filesystem::path& programFolder,
                               std::span<const wchar_t* const> names, std::span<CBitmap> pictures,
                               const wchar_t* layoutName, const wchar_t* dialogName,
                               tarsil::ini::IniDocument& layout) {
  std::vector<std::pair<const wchar_t*, CBitmap*>> files;
  for (std::size_t i = 0; i < names.size() && i < pictures.size(); ++i) {
    files.emplace_back(names[i], &pictures[i]);
  }
  std::wstring problem = loadSkinPictures(programFolder, files);
  const std::filesystem::path layoutPath = programFolder / layoutName;
  tarsil::ini::ReadResult read = tarsil::ini::readIniFile(layoutPath);
  if (!read.status.ok()) {
    problem = wideFromUtf8(read.status.error);
  } else if (!read.exists) {
    problem = std::wstring(L"The layout of the ") + dialogName + L" " + layoutPath.wstring() +
              L" is missing.\n\nReinstall the program to restore it.";
  }
  layout = std::move(read.document);
  return problem;
}

HRGN createOutlineRegion(const CBitmap& mask) {
  DIBSECTION section{};
  if (!mask.GetSection(section)) return nullptr;
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

void copyPictureArea(HDC target, HBITMAP picture, int left, int top, int width, int height) {
  if (width <= 0 || height <= 0 || picture == nullptr) return;
  MemoryDC source(target);
  SelectedObject selected(source.get(), picture);
  BitBlt(target, left, top, width, height, source.get(), left, top, SRCCOPY);
}
