// Under Wine, by hand: the main window's drawing on a real window. Prints the
// time of building the outline region from the shipped mask and of one hover
// update with its drawing and tooltip text, as the window does them.
//
//   wine main_window_bench.exe STAGE_FOLDER
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "framework/win32/gdi.h"
#include "ini/ini_file.h"
#include "profile/settings_file.h"
#include "ui/main/keyboard_view.h"
#include "ui/main/win32/key_tooltip.h"
#include "ui/main/win32/main_skin.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class WindowCanvas : public tarsil::SkinCanvas {
 public:
  WindowCanvas(HWND window, const MainSkin& skin) : window_(window), skin_(skin) {}
  void copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) override {
    WindowDC dc(window_);
    SkinPainter(skin_, dc.get()).copyPicture(picture, area);
  }

 private:
  HWND window_;
  const MainSkin& skin_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: main_window_bench.exe STAGE_FOLDER\n");
    return 2;
  }
  const std::filesystem::path stage = argv[1];
  MainSkin skin;
  if (!skin.load(stage).empty()) return 1;
  const tarsil::MainLayout layout =
      tarsil::readMainLayout(tarsil::ini::readIniFile(stage / L"Main.ini").document);
  tarsil::ProfileSet profiles;
  tarsil::loadSettings(profiles, layout, tarsil::ini::IniDocument());
  profiles.working.assigned = {0, 56, 103};

  const SIZE size = skin.size();
  const HWND window =
      CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, size.cx, size.cy,
                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  KeyTooltip tooltip;
  tooltip.create(window);

  const auto outlineStart = Clock::now();
  SetWindowRgn(window, skin.createOutline(), TRUE);
  const double outlineMs = millisecondsSince(outlineStart);

  tarsil::KeyboardView view(layout.slots);
  WindowCanvas canvas(window, skin);
  const tarsil::SlotRect a = layout.slots.slot(57).rect();
  const tarsil::SlotRect f = layout.slots.slot(60).rect();
  std::vector<double> perDraw;
  std::vector<double> perUpdate;
  for (int i = 0; i < 2000; ++i) {
    const tarsil::SlotRect& at = i % 2 == 0 ? a : f;
    auto start = Clock::now();
    if (const auto text = view.hover(canvas, at.left + 1, at.top + 1, profiles)) {
      tooltip.setText(std::wstring(text->begin(), text->end()));
    }
    perDraw.push_back(millisecondsSince(start));
    start = Clock::now();
    {
      WindowDC dc(window);
      SkinPainter painter(skin, dc.get());
      if (const auto text = view.hover(painter, at.left + 1, at.top + 1, profiles)) {
        tooltip.setText(std::wstring(text->begin(), text->end()));
      }
    }
    perUpdate.push_back(millisecondsSince(start));
  }
  std::sort(perDraw.begin(), perDraw.end());
  std::sort(perUpdate.begin(), perUpdate.end());
  std::printf("outline region of the shipped mask: %.3f ms\n", outlineMs);
  std::printf("hover update, a device context per draw: median %.3f ms, 99th percentile %.3f ms\n",
              perDraw[perDraw.size() / 2], perDraw[perDraw.size() * 99 / 100]);
  std::printf("hover update, one device context: median %.3f ms, 99th percentile %.3f ms\n",
              perUpdate[perUpdate.size() / 2], perUpdate[perUpdate.size() * 99 / 100]);
  DestroyWindow(window);
  return 0;
}
