// Window Probe: what a user sees of the running program, read from outside
// it through the Windows API, for the main window's end-to-end test. It
// runs on the same Wine desktop as the program and prints one line.
//
//   window_probe.exe window TITLE        x y width height shown|hidden|iconic, or missing
//   window_probe.exe region TITLE MASK   "same" when the window's region is the
//                                        mask's non-white pixels, else where not
//   window_probe.exe pixels TITLE X Y W H PICTURE
//                                        "match" when the screen inside the window's
//                                        rectangle (X,Y,W,H) shows PICTURE's pixels
//                                        at the same place, else how many differ
//   window_probe.exe tooltip TITLE       the text of the window's visible tooltip
//   window_probe.exe text TITLE          the texts of a top-level window's controls
//   window_probe.exe tray                x y of the newest tray icon
//   window_probe.exe tray-tip            the text of the taskbar's visible tooltip (the
//                                        tip of the tray icon under the pointer)
//   window_probe.exe menu-item N COUNT   x y of the centre of item N (from 0) of
//                                        the open popup menu of COUNT items, or missing
//   window_probe.exe item TITLE ID       the text of the window's control ID
//   window_probe.exe edit TITLE          the text of the window's first edit control
//   window_probe.exe rows TITLE          how many rows the window's step list (1131) has
//   window_probe.exe combo TITLE ID      the entries of the window's combo box ID
//   window_probe.exe outline-bench MASK  time of one region per pixel against the
//                                        program's banded runs, for the same mask
//   window_probe.exe terminate TITLE     ends the window's process with TerminateProcess,
//                                        as a crash or the task manager would: "ended"

#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/skin/window_outline.h"

namespace {

HWND topLevel(const wchar_t* title) { return FindWindowW(nullptr, title); }

struct Picture {
  HBITMAP bitmap = nullptr;
  DIBSECTION section{};
  bool load(const wchar_t* path) {
    bitmap = static_cast<HBITMAP>(
        LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    return bitmap != nullptr && GetObjectW(bitmap, sizeof(section), &section) == sizeof(section);
  }
  // 0xRRGGBB at (x, y), top row 0.
  COLORREF at(int x, int y) const {
    const BITMAP& b = section.dsBm;
    const int row = section.dsBmih.biHeight < 0 ? y : b.bmHeight - 1 - y;
    const auto* p = static_cast<const unsigned char*>(b.bmBits) + row * b.bmWidthBytes +
                    x * (b.bmBitsPixel / 8);
    return RGB(p[2], p[1], p[0]);
  }
  int width() const { return section.dsBm.bmWidth; }
  int height() const { return section.dsBm.bmHeight; }
};

int window(const wchar_t* title) {
  const HWND found = topLevel(title);
  if (found == nullptr) {
    std::printf("missing\n");
    return 0;
  }
  RECT r{};
  GetWindowRect(found, &r);
  const char* state = IsIconic(found) ? "iconic" : IsWindowVisible(found) ? "shown" : "hidden";
  std::printf("%ld %ld %ld %ld %s\n", r.left, r.top, r.right - r.left, r.bottom - r.top, state);
  return 0;
}

int region(const wchar_t* title, const wchar_t* maskPath) {
  const HWND found = topLevel(title);
  Picture mask;
  if (found == nullptr || !mask.load(maskPath)) {
    std::printf("no window or no mask\n");
    return 1;
  }
  const HRGN shape = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(found, shape) == ERROR) {
    std::printf("no region\n");
    return 0;
  }
  RECT r{};
  GetWindowRect(found, &r);
  if (r.right - r.left != mask.width() || r.bottom - r.top != mask.height()) {
    std::printf("size %ldx%ld, mask %dx%d\n", r.right - r.left, r.bottom - r.top, mask.width(),
                mask.height());
    return 0;
  }
  for (int y = 0; y < mask.height(); ++y) {
    for (int x = 0; x < mask.width(); ++x) {
      const bool inside = PtInRegion(shape, x, y) != FALSE;
      if (inside != (mask.at(x, y) != RGB(255, 255, 255))) {
        std::printf("differs at %d,%d\n", x, y);
        return 0;
      }
    }
  }
  std::printf("same\n");
  return 0;
}

int pixels(const wchar_t* title, int x, int y, int w, int h, const wchar_t* picturePath) {
  const HWND found = topLevel(title);
  Picture picture;
  if (found == nullptr || !picture.load(picturePath)) {
    std::printf("no window or no picture\n");
    return 1;
  }
  RECT r{};
  GetWindowRect(found, &r);
  const HDC screen = GetDC(nullptr);
  int differ = 0;
  for (int py = y; py < y + h; ++py) {
    for (int px = x; px < x + w; ++px) {
      if (GetPixel(screen, r.left + px, r.top + py) != picture.at(px, py)) ++differ;
    }
  }
  ReleaseDC(nullptr, screen);
  if (differ == 0) {
    std::printf("match\n");
  } else {
    std::printf("%d of %d differ\n", differ, w * h);
  }
  return 0;
}

struct TooltipSearch {
  DWORD process;
  std::wstring text;
};

BOOL CALLBACK findTooltip(HWND candidate, LPARAM data) {
  auto* search = reinterpret_cast<TooltipSearch*>(data);
  wchar_t className[64] = {};
  GetClassNameW(candidate, className, 64);
  DWORD process = 0;
  GetWindowThreadProcessId(candidate, &process);
  if (process != search->process || std::wstring(className) != L"tooltips_class32") return TRUE;
  wchar_t text[512] = {};
  SendMessageW(candidate, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  search->text = text;
  return IsWindowVisible(candidate) ? FALSE : TRUE;
}

void printUtf8(const std::wstring& text) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), length, nullptr, nullptr);
  std::printf("%s\n", narrow.c_str());
}

int tooltipOf(HWND owner) {
  if (owner == nullptr) return 1;
  TooltipSearch search{};
  GetWindowThreadProcessId(owner, &search.process);
  EnumWindows(findTooltip, reinterpret_cast<LPARAM>(&search));
  printUtf8(search.text);
  return 0;
}

int tooltip(const wchar_t* title) { return tooltipOf(topLevel(title)); }

BOOL CALLBACK collectText(HWND child, LPARAM data) {
  auto* texts = reinterpret_cast<std::wstring*>(data);
  wchar_t text[512] = {};
  GetWindowTextW(child, text, 512);
  // An icon control's text is the icon's resource number, marked by 0xFFFF.
  if (text[0] != 0 && text[0] != 0xFFFF) {
    *texts += (texts->empty() ? L"" : L" | ") + std::wstring(text);
  }
  return TRUE;
}

int text(const wchar_t* title) {
  const HWND found = topLevel(title);
  if (found == nullptr) {
    std::printf("missing\n");
    return 0;
  }
  std::wstring texts;
  EnumChildWindows(found, collectText, reinterpret_cast<LPARAM>(&texts));
  printUtf8(texts);
  return 0;
}

// Wine's taskbar draws its tray icons itself, newest rightmost, in cells of
// the small icon's size plus a margin; there is no window to find per icon.
int tray() {
  const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (taskbar == nullptr) {
    std::printf("missing\n");
    return 0;
  }
  RECT r{};
  GetWindowRect(taskbar, &r);
  const int cell = GetSystemMetrics(SM_CXSMICON) + 4;
  std::printf("%ld %ld\n", r.right - cell / 2, (r.top + r.bottom) / 2);
  return 0;
}

// Items are clicked rather than typed: keys reach a menu only once the
// desktop has had a click, and a program started for the tray has none. A
// menu's handle means nothing outside its process, so the item is found by
// its share of the menu window's height.
int menuItem(int index, int count) {
  const HWND menu = FindWindowW(L"#32768", nullptr);
  RECT r{};
  if (menu == nullptr || !IsWindowVisible(menu) || count <= 0 || !GetWindowRect(menu, &r)) {
    std::printf("missing\n");
    return 0;
  }
  std::printf("%ld %ld\n", (r.left + r.right) / 2,
              r.top + (r.bottom - r.top) * (2 * index + 1) / (2 * count));
  return 0;
}

int itemText(const wchar_t* title, int id) {
  wchar_t text[512] = {};
  GetDlgItemTextW(topLevel(title), id, text, 512);
  printUtf8(text);
  return 0;
}

int editText(const wchar_t* title) {
  const HWND edit = FindWindowExW(topLevel(title), nullptr, L"Edit", nullptr);
  wchar_t text[4096] = {};
  // WM_GETTEXT, not GetWindowText: another process's control keeps its text itself.
  if (edit != nullptr) SendMessageW(edit, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
  printUtf8(text);
  return 0;
}

int rows(const wchar_t* title) {
  const HWND list = GetDlgItem(topLevel(title), 1131);
  std::printf("%ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
  return 0;
}

int combo(const wchar_t* title, int id) {
  const HWND box = GetDlgItem(topLevel(title), id);
  const auto count = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
  std::wstring entries;
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries += (entries.empty() ? L"" : L" ") + std::wstring(text);
  }
  printUtf8(entries);
  return 0;
}

int outlineBench(const wchar_t* maskPath) {
  Picture mask;
  if (!mask.load(maskPath)) return 1;
  using Clock = std::chrono::steady_clock;
  const auto perPixelStart = Clock::now();
  const HRGN perPixel = CreateRectRgn(0, 0, mask.width(), mask.height());
  for (int x = 0; x <= mask.width(); ++x) {
    for (int y = 0; y <= mask.height(); ++y) {
      if (x < mask.width() && y < mask.height() && mask.at(x, y) == RGB(255, 255, 255)) {
        const HRGN dot = CreateRectRgn(x, y, x + 1, y + 1);
        CombineRgn(perPixel, perPixel, dot, RGN_XOR);
        DeleteObject(dot);
      }
    }
  }
  const double perPixelMs =
      std::chrono::duration<double, std::milli>(Clock::now() - perPixelStart).count();

  const auto runsStart = Clock::now();
  tarsil::MaskImage image;
  image.bits = static_cast<const std::uint8_t*>(mask.section.dsBm.bmBits);
  image.width = mask.width();
  image.height = mask.height();
  image.stride = mask.section.dsBm.bmWidthBytes;
  image.bitsPerPixel = mask.section.dsBm.bmBitsPixel;
  image.topDown = mask.section.dsBmih.biHeight < 0;
  const std::vector<tarsil::SlotRect> rects = tarsil::outlineRects(image);
  std::vector<std::byte> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATA*>(data.data());
  header->rdh = {sizeof(RGNDATAHEADER),
                 RDH_RECTANGLES,
                 static_cast<DWORD>(rects.size()),
                 static_cast<DWORD>(rects.size() * sizeof(RECT)),
                 {0, 0, mask.width(), mask.height()}};
  auto* out = reinterpret_cast<RECT*>(header->Buffer);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    out[i] = {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom};
  }
  const HRGN banded = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), header);
  const double runsMs = std::chrono::duration<double, std::milli>(Clock::now() - runsStart).count();
  std::printf("per pixel %.2f ms, banded runs %.3f ms (%zu rectangles), %.0f times faster, %s\n",
              perPixelMs, runsMs, rects.size(), perPixelMs / runsMs,
              EqualRgn(perPixel, banded) ? "same region" : "REGIONS DIFFER");
  return 0;
}

int terminate(const wchar_t* title) {
  DWORD process = 0;
  const HWND found = topLevel(title);
  if (found == nullptr || GetWindowThreadProcessId(found, &process) == 0) {
    std::printf("missing\n");
    return 0;
  }
  const HANDLE handle = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
  const bool ended = handle != nullptr && TerminateProcess(handle, 1) &&
                     WaitForSingleObject(handle, 10000) == WAIT_OBJECT_0;
  if (handle != nullptr) CloseHandle(handle);
  std::printf(ended ? "ended\n" : "not ended\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"window" && argc == 3) return window(argv[2]);
  if (command == L"region" && argc == 4) return region(argv[2], argv[3]);
  if (command == L"pixels" && argc == 8) {
    return pixels(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), _wtoi(argv[6]), argv[7]);
  }
  if (command == L"tooltip" && argc == 3) return tooltip(argv[2]);
  if (command == L"text" && argc == 3) return text(argv[2]);
  if (command == L"tray" && argc == 2) return tray();
  if (command == L"tray-tip" && argc == 2) return tooltipOf(FindWindowW(L"Shell_TrayWnd", nullptr));
  if (command == L"menu-item" && argc == 4) return menuItem(_wtoi(argv[2]), _wtoi(argv[3]));
  if (command == L"item" && argc == 4) return itemText(argv[2], _wtoi(argv[3]));
  if (command == L"rows" && argc == 3) return rows(argv[2]);
  if (command == L"edit" && argc == 3) return editText(argv[2]);
  if (command == L"combo" && argc == 4) return combo(argv[2], _wtoi(argv[3]));
  if (command == L"outline-bench" && argc == 3) return outlineBench(argv[2]);
  if (command == L"terminate" && argc == 3) return terminate(argv[2]);
  std::fprintf(stderr, "usage: see the comment at the top of window_probe.cpp\n");
  return 2;
}
