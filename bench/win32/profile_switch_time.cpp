// How long a profile takes to follow the program in front: from the change
// of the foreground window to the new profile's tables in force for the
// keyboard hook, through the program's own watch (ForegroundWatch), the
// rules' decision (AutoProfile) and the switch (SwitchProfile), all on this
// thread as in the program. Run by hand inside a Wine desktop (or on
// Windows):
//
//   profile_switch_time.exe [ROUNDS]
//
// It starts two copies of itself under two names, each showing a window,
// makes "switch_a.exe" bring profile 2 and every other program profile 1,
// and brings the two windows to the front in turn, at random moments. Prints the median and
// the 99th percentile of the time to the tables in force, and of the part
// this thread spends on one change (the program's path, the decision and the
// switch), which is what holds up key events while the hook waits.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "profile/auto_profile.h"
#include "profile/profile_operations.h"
#include "ui/main/win32/foreground_watch.h"

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

constexpr wchar_t kWindowTitle[] = L"profile switch window ";

int showWindow(const wchar_t* name) {
  const std::wstring title = std::wstring(kWindowTitle) + name;
  const HWND window = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      100, 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
  MSG message;
  while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

struct Measure {
  tarsil::ProfileSet profiles;
  tarsil::AutoProfile chooser;
  std::optional<Clock::time_point> switched;
  std::vector<double> work;
};

class KeepChanges final : public tarsil::SavePrompt {
 public:
  bool confirmSaveChanges() override { return true; }
};

struct Percentiles {
  double median, p99, max;
};
Percentiles percentiles(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const auto at = [&](double q) {
    return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
  };
  return {at(0.5), at(0.99), values.back()};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--window") return showWindow(argv[2]);
  const int rounds = argc > 1 ? std::max(10, _wtoi(argv[1])) : 200;

  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  HWND windows[2] = {};
  PROCESS_INFORMATION children[2] = {};
  const wchar_t* names[2] = {L"a", L"b"};
  for (int i = 0; i < 2; ++i) {
    const std::filesystem::path copy = folder / (std::wstring(L"switch_") + names[i] + L".exe");
    CopyFileW(self, copy.c_str(), FALSE);
    std::wstring line = L"\"" + copy.wstring() + L"\" --window " + names[i];
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &children[i])) {
      std::fprintf(stderr, "cannot start %ls\n", copy.c_str());
      return 1;
    }
    const std::wstring title = std::wstring(kWindowTitle) + names[i];
    for (int wait = 0; wait < 100 && windows[i] == nullptr; ++wait) {
      Sleep(50);
      windows[i] = FindWindowW(nullptr, title.c_str());
    }
    if (windows[i] == nullptr) {
      std::fprintf(stderr, "no window from %ls\n", copy.c_str());
      return 1;
    }
  }

  // Window b is in front to begin with: a's rule and the fallback then take
  // turns, each round a switch.
  SetForegroundWindow(windows[1]);
  Sleep(200);
  Measure measure;
  measure.profiles.programRules = {{{u"switch_a.exe", 2}}, 1};
  ForegroundWatch watch;
  static Measure* current = &measure;
  watch.start(
      [](void*, const tarsil::ForegroundProgram& program) {
        // What the main window does with a change, up to the tables in force.
        const Clock::time_point start = Clock::now();
        if (const auto change = current->chooser.foregroundChanged(
                current->profiles.programRules, program, current->profiles.activeProfile)) {
          KeepChanges keep;
          tarsil::SwitchProfile(current->profiles, change->profile, keep);
          current->switched = Clock::now();
          current->work.push_back(milliseconds(*current->switched - start));
        }
      },
      nullptr);

  std::vector<double> latency;
  std::srand(GetTickCount());
  for (int round = 0; round < rounds; ++round) {
    const HWND target = windows[round % 2];
    // Changes come at any moment, not in step with anything of the watch's.
    Sleep(static_cast<DWORD>(std::rand() % 60));
    measure.switched.reset();
    const Clock::time_point changed = Clock::now();
    SetForegroundWindow(target);
    MSG message;
    const Clock::time_point deadline = changed + std::chrono::seconds(2);
    while (!measure.switched && Clock::now() < deadline) {
      if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
      } else {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
      }
    }
    if (!measure.switched) {
      std::fprintf(stderr, "round %d: no switch within 2 s\n", round);
      continue;
    }
    latency.push_back(milliseconds(*measure.switched - changed));
  }
  watch.stop();
  for (const PROCESS_INFORMATION& child : children) {
    TerminateProcess(child.hProcess, 0);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
  }
  if (latency.empty()) return 1;
  const Percentiles total = percentiles(latency);
  const Percentiles work = percentiles(measure.work);
  std::printf(
      "foreground change to the new tables in force (%zu switches): median %.2f ms, p99 %.2f ms, "
      "max %.2f ms\n",
      latency.size(), total.median, total.p99, total.max);
  std::printf(
      "of which this thread works (path, decision, switch): median %.3f ms, p99 %.3f ms, max %.3f "
      "ms\n",
      work.median, work.p99, work.max);
  return 0;
}
