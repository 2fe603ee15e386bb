#include "ui/main/win32/foreground_watch.h"

#include "ui/programs/win32/running_programs.h"

namespace {

ForegroundWatch* running = nullptr;

}  // namespace

constexpr UINT kPollMilliseconds = 50;

bool ForegroundWatch::start(Handler handler, void* context) {
  stop();
  handler_ = handler;
  context_ = context;
  last_ = GetForegroundWindow();
  hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, onEvent, 0, 0,
                          WINEVENT_OUTOFCONTEXT);
  if (hook_ == nullptr) return false;
  running = this;
  timer_ = SetTimer(nullptr, 0, kPollMilliseconds, onTimer);
  return true;
}

void ForegroundWatch::stop() {
  if (hook_ != nullptr) UnhookWinEvent(hook_);
  hook_ = nullptr;
  if (timer_ != 0) KillTimer(nullptr, timer_);
  timer_ = 0;
  if (running == this) running = nullptr;
}

void ForegroundWatch::arrived(HWND window) {
  if (window == last_) return;
  last_ = window;
  handler_(context_, programOf(window));
}

tarsil::ForegroundProgram ForegroundWatch::programOf(HWND window) {
  tarsil::ForegroundProgram program;
  DWORD process = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0) return program;
  program.ours = process == GetCurrentProcessId();
  program.path = programPathOf(process);
  return program;
}

void CALLBACK ForegroundWatch::onEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                       LONG, DWORD, DWORD) {
  if (running == nullptr || hook != running->hook_ || event != EVENT_SYSTEM_FOREGROUND ||
      object != OBJID_WINDOW) {
    return;
  }
  // The system reports changes: no need to look for them any more.
  if (running->timer_ != 0) KillTimer(nullptr, running->timer_);
  running->timer_ = 0;
  running->arrived(window);
}

void CALLBACK ForegroundWatch::onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  if (running == nullptr || timer != running->timer_) return;
  // Between two windows the system may have none in front for a moment.
  if (const HWND window = GetForegroundWindow(); window != nullptr) running->arrived(window);
}
