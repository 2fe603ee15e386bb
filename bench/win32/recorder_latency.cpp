// Under Wine, by hand, on a display (an Xvfb will do): the key settings
// dialog recording a macro while key events arrive at a steady rate through
// its capture hook (SendInput, as typing would). Prints how long each step
// took to appear as a row of the step list, and how long the dialog took to
// answer a message meanwhile (median, 99th percentile, maximum).
//
//   wine recorder_latency.exe STAGE_FOLDER [EVENTS [PER_SECOND [post]]]
//
// EVENTS defaults to 1000 (each becomes one step: keys are pressed and
// released in turn), PER_SECOND to 100. With "post", the events are posted
// to the dialog as its capture hook posts them, which leaves the system's
// input path out of the figures.
#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ini/ini_file.h"
#include "layout/layout_file.h"
#include "resource.h"
#include "ui/settings/win32/capture_hook.h"
#include "ui/settings/win32/key_settings_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Figures {
  double median = 0;
  double p99 = 0;
  double max = 0;
};

Figures figuresOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values[values.size() * 99 / 100], values.back()};
}

struct Run {
  int events = 1000;
  int perSecond = 100;
  bool post = false;
  std::vector<Clock::time_point> sent;
  std::vector<Clock::time_point> shown;
  std::vector<double> responses;
  std::vector<double> sends;  // how long SendInput (or the post) took
  int rows = 0;
  bool started = false;
};

void sendKey(int index, HWND postTo) {
  // A, B, C, ... each pressed then released: every event is a step.
  const auto vk = static_cast<WORD>('A' + (index / 2) % 26);
  if (postTo != nullptr) {
    KBDLLHOOKSTRUCT event{};
    event.vkCode = vk;
    event.scanCode = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    event.flags = index % 2 == 0 ? 0 : LLKHF_UP;
    event.time = GetTickCount();
    PostMessageW(
        postTo, WM_MACRO_KEY,
        packKeyMessage(index % 2 == 0 ? tarsil::KeyMessage::kKeyDown : tarsil::KeyMessage::kKeyUp,
                       event.time),
        packKeyEvent(event));
    return;
  }
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = index % 2 == 0 ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof(input));
}

// Asks the step list for its row count, as another program would; the time
// it takes is the dialog's response time.
void poll(HWND list, Run& run) {
  const auto asked = Clock::now();
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 600000, &count)) return;
  const auto answered = Clock::now();
  run.responses.push_back(millisecondsBetween(asked, answered));
  while (run.rows < static_cast<int>(count) && run.rows < run.events) {
    run.shown[static_cast<std::size_t>(run.rows++)] = answered;
  }
}

void drive(Run& run) {
  HWND dialog = nullptr;
  for (int i = 0; i < 500 && dialog == nullptr; ++i) {
    dialog = FindWindowW(nullptr, L"Key Settings");
    if (dialog == nullptr) Sleep(10);
  }
  if (dialog == nullptr) return;
  const HWND list = GetDlgItem(dialog, IDC_STEP_LIST);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_ADD_MACRO, BN_CLICKED), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RECORD, BN_CLICKED), 0);
  run.started = true;
  run.sent.resize(static_cast<std::size_t>(run.events));
  run.shown.resize(static_cast<std::size_t>(run.events));
  const auto start = Clock::now();
  const auto interval = std::chrono::microseconds(1000000 / run.perSecond);
  for (int i = 0; i < run.events; ++i) {
    const auto due = start + interval * i;
    while (Clock::now() < due) {
      poll(list, run);
      Sleep(1);
    }
    const auto sent = Clock::now();
    run.sent[static_cast<std::size_t>(i)] = sent;
    sendKey(i, run.post ? dialog : nullptr);
    run.sends.push_back(millisecondsBetween(sent, Clock::now()));
  }
  // The rest shows, or does not within a bound.
  const auto deadline = Clock::now() + std::chrono::seconds(180);
  while (run.rows < run.events && Clock::now() < deadline) {
    poll(list, run);
    Sleep(1);
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: recorder_latency.exe STAGE_FOLDER [EVENTS [PER_SECOND]]\n");
    return 2;
  }
  Run run;
  if (argc > 2) run.events = std::max(2, _wtoi(argv[2]));
  if (argc > 3) run.perSecond = std::clamp(_wtoi(argv[3]), 1, 1000);
  run.post = argc > 4 && std::wstring(argv[4]) == L"post";
  const INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  const std::filesystem::path stage = argv[1];
  const tarsil::MainLayout layout =
      tarsil::readMainLayout(tarsil::ini::readIniFile(stage / L"Main.ini").document);
  KeySettingsDialog dialog(nullptr, stage, layout.media);
  if (!dialog.loadProblem().empty()) {
    std::fwprintf(stderr, L"%ls\n", dialog.loadProblem().c_str());
    return 1;
  }
  // NumLock on for this thread, so that recording starts without its notice.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_NUMLOCK] |= 1;
  SetKeyboardState(keys);

  std::thread driver(drive, std::ref(run));
  tarsil::TranslationTable working;
  dialog.run({0, {}, tarsil::KindMacroEditor, 0, {}}, working);
  driver.join();
  if (!run.started) {
    std::fprintf(stderr, "the dialog did not open\n");
    return 1;
  }

  std::vector<double> latencies;
  for (int i = 0; i < run.rows; ++i) {
    const auto k = static_cast<std::size_t>(i);
    latencies.push_back(millisecondsBetween(run.sent[k], run.shown[k]));
  }
  const Figures row = figuresOf(latencies);
  const Figures response = figuresOf(run.responses);
  const Figures send = figuresOf(run.sends);
  std::printf("%d key events at %d a second: %d of %d rows shown\n", run.events, run.perSecond,
              run.rows, run.events);
  std::printf("key to row: median %.1f ms, 99th percentile %.1f ms, max %.1f ms\n", row.median,
              row.p99, row.max);
  std::printf(
      "dialog answers a message: median %.2f ms, 99th percentile %.2f ms, max %.1f ms (%zu "
      "asked)\n",
      response.median, response.p99, response.max, run.responses.size());
  std::printf("sending an event returns: median %.2f ms, 99th percentile %.2f ms, max %.1f ms\n",
              send.median, send.p99, send.max);
  return 0;
}
