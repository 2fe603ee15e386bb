// How exactly the macro player keeps a macro's delays on Windows, and what
// it costs while a toggle macro repeats. The player runs on its own thread
// as in the program; its strokes are stamped where they reach the input
// stream, in a low-level hook of this program that swallows them so nothing
// reaches a window.
//
//   macro_timing.exe [STEPS] [SECONDS]
//
// 1. A sequence of STEPS steps (default 200), with delays of 1 to 60 ms as
//    a recording has them: per step, the gap to the step before minus its
//    delay (the error), as minimum, median, 99th percentile and maximum.
// 2. A toggle macro of four steps 20 ms apart repeating for SECONDS
//    (default 5): the process's CPU time over that time, as a share of one
//    core, and the strokes sent.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/win32/key_injection.h"
#include "engine/win32/macro_player_thread.h"
#include "precise_clock.h"
#include "timed_macros.h"

namespace tarsil {
namespace {

std::vector<double> stamps;  // ms, per marked stroke

LRESULT CALLBACK stamp(int code, WPARAM, LPARAM lParam) {
  const auto* record = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && record->dwExtraInfo == kPlayerStrokeMark)
    stamps.push_back(preciseNowMs());
  return 1;
}

// Serves the hook until `count` strokes were stamped or `limitMs` passed.
void serve(std::size_t count, double limitMs) {
  const double end = preciseNowMs() + limitMs;
  MSG message;
  while (stamps.size() < count && preciseNowMs() < end) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    // Looks every millisecond: waiting until input came, this program saw
    // no stroke at all for 100 s under Wine 8 here (the program's own
    // GetMessage loop serves its hook as it should).
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

double cpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ms = [](FILETIME t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

int run(int steps, int seconds) {
  const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, stamp, GetModuleHandleW(nullptr), 0);
  MacroPlayerThread player;
  if (hook == nullptr || !player.start()) {
    std::fprintf(stderr, "the hook or the player thread could not be set up\n");
    return 1;
  }
  auto library = std::make_shared<MacroLibrary>();
  const TimedMacro sequence = bench::pacedSequence(steps);
  library->profiles[0] = {sequence, bench::steadyToggle()};
  player.setLibrary(library);
  std::printf("timer: %s\n", player.highResolution() ? "high resolution" : "ordinary");

  player.press({1, 0, VK_F13, true});
  serve(static_cast<std::size_t>(steps), 120000);
  std::vector<double> errors;
  for (std::size_t k = 1; k < stamps.size(); ++k) {
    errors.push_back(stamps[k] - stamps[k - 1] - sequence.steps[k].delayMs);
  }
  bench::printGapErrors(errors);

  stamps.clear();
  const double cpuBefore = cpuMs();
  const double wallBefore = preciseNowMs();
  player.press({1, 1, VK_F14, true});
  serve(SIZE_MAX, seconds * 1000.0);
  player.press({1, 1, VK_F14, true});  // the toggle's second press
  const double cpu = cpuMs() - cpuBefore;
  const double wall = preciseNowMs() - wallBefore;
  bench::printToggleCost(wall, stamps.size(), cpu);
  player.shutdown();
  UnhookWindowsHookEx(hook);
  return 0;
}

}  // namespace
}  // namespace tarsil

int main(int argc, char** argv) {
  const int steps = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  return tarsil::run(steps, seconds);
}
