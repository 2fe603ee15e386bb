// On a display (Xvfb will do), by hand: tarsil's main window, the real one,
// timed where a user waits on it. Prints the time of the outline from the
// shipped mask, and of one hover update: the view's drawing, the tooltip's
// text and the repaint of what changed, until Qt has handed it to the
// display.
//
//   window_hover_time DATA_FOLDER
//
// DATA_FOLDER holds skin/ and Main.ini (the build folder of tarsil). The
// settings are the defaults, from a file in a temporary folder.
#include <QApplication>
#include <QPoint>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "layout/layout_file.h"
#include "ui/main/qt/main_skin.h"
#include "ui/main/qt/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void printPercentiles(const char* what, std::vector<double>& times) {
  std::sort(times.begin(), times.end());
  std::printf("%s: median %.3f ms, 99th percentile %.3f ms (%zu updates)\n", what,
              times[times.size() / 2], times[times.size() * 99 / 100], times.size());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_hover_time DATA_FOLDER\n");
    return 2;
  }
  const std::filesystem::path data = argv[1];
  MainSkin skin;
  if (!skin.load(data / "skin").isEmpty()) return 1;
  const auto outlineStart = Clock::now();
  const QRegion outline = skin.outline();
  const double outlineMs = millisecondsSince(outlineStart);

  const std::filesystem::path settings =
      std::filesystem::temp_directory_path() / "tarsil-hover-time" / "set.ini";
  std::filesystem::create_directories(settings.parent_path());
  std::filesystem::remove(settings);
  MainWindow window(data);
  if (!window.start(tarsil::SessionFiles{data / "Main.ini", settings})) return 1;
  window.show();
  for (int i = 0; i < 50; ++i) QApplication::processEvents();

  // The centres of A and F, in turn: every update draws one key normal and
  // the other in its hover look, and changes the tooltip's text.
  const QPoint a(128, 256);
  const QPoint f(248, 256);
  std::vector<double> perUpdate;
  for (int i = 0; i < 2000; ++i) {
    const auto start = Clock::now();
    window.restAt(i % 2 == 0 ? a : f);
    QApplication::processEvents();
    perUpdate.push_back(millisecondsSince(start));
  }
  std::printf("outline region of the shipped mask: %.3f ms (%d rectangles)\n", outlineMs,
              static_cast<int>(outline.rectCount()));
  printPercentiles("hover update with its repaint", perUpdate);
  window.finish();
  std::filesystem::remove_all(settings.parent_path());
  return 0;
}
