#include "ui/skin/win32/skin_pictures.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "framework/win32/gdi.h"
#include "framework/win32/wide_text.h"
#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "ui/skin/bitmap_header.h"
#include "ui/skin/window_outline.h"

namespace {

std::wstring cannotBeShown(const std::filesystem::path& path, const std::string& problem) {
  return L"The picture " + path.wstring() + L" " + std::wstring(problem.begin(), problem.end()) +
         L", so the window cannot be shown.\n\nReinstall the program to restore its skin folder.";
}

}  // namespace

std::wstring loadSkinPictures(const std::filesystem::path& programFolder,
                              std::span<const std::pair<const wchar_t*, CBitmap*>> pictures) {
  SIZE expected{};
  for (const auto& [name, bitmap] : pictures) {
    const std::filesystem::path path = programFolder / L"skin" / name;
    // The system's loader trusts the headers: a damaged file would crash it
    // or cost it all the memory the headers claim.
    const tarsil::BitmapCheck check = tarsil::checkBitmapFile(path);
    if (!check.problem.empty()) return cannotBeShown(path, check.problem);
    if (bitmap == pictures.front().second && !tarsil::isMaskDepth(check.facts.bitsPerPixel)) {
      return cannotBeShown(path, "has pixels of " + std::to_string(check.facts.bitsPerPixel) +
                                     " bits, in which the window's outline cannot be read: a "
                                     "mask has 1, 4, 8, 24 or 32 bits a pixel");
    }
    if (!bitmap->LoadFromFile(path)) return cannotBeShown(path, "is no bitmap the system reads");
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
  tarsil::ini::ReadResult read = tarsil::ini::readIniFile(layoutPath, tarsil::layoutReadOptions());
  if (!read.status.ok()) {
    problem = wideFromUtf8(read.status.error) + L".";
  } else if (!read.exists) {
    problem = std::wstring(L"The layout of the ") + dialogName + L" " + layoutPath.wstring() +
              L" is missing.\n\nReinstall the program to restore it.";
  } else if (read.utf16WithoutByteOrderMark) {
    problem = wideFromUtf8(read.status.notes.front());
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
  image.bitsPerPixel = section.dsBm.bmBitsPixel;
  // Rows of a device-independent bitmap are padded to four bytes.
  image.stride = (static_cast<std::ptrdiff_t>(image.width) * image.bitsPerPixel + 31) / 32 * 4;
  image.topDown = section.dsBmih.biHeight < 0;
  std::array<RGBQUAD, 256> palette{};
  if (image.bitsPerPixel <= 8) {
    MemoryDC dc(nullptr);
    SelectedObject selected(dc.get(), mask.handle());
    const UINT entries = GetDIBColorTable(dc.get(), 0, 256, palette.data());
    image.palette =
        std::span(reinterpret_cast<const std::uint8_t*>(palette.data()), entries * sizeof(RGBQUAD));
  }
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
