#pragma once

#include <windows.h>

#include "profile/auto_profile.h"

// Tells which program's window comes to the front, for the profiles that
// follow it. The system reports the change (EVENT_SYSTEM_FOREGROUND) on this
// thread, out of context, as a message the thread's loop delivers; never
// inside the keyboard hook. Wine takes the hook but reports nothing, so
// until the system has reported a change once, a timer also looks at the
// foreground window twenty times a second; on Windows the first report
// ends that. One watch runs at a time.
class ForegroundWatch {
 public:
  using Handler = void (*)(void* context, const tarsil::ForegroundProgram& program);

  ForegroundWatch() = default;
  ~ForegroundWatch() { stop(); }
  ForegroundWatch(const ForegroundWatch&) = delete;
  ForegroundWatch& operator=(const ForegroundWatch&) = delete;

  // False when the system would not report foreground changes.
  bool start(Handler handler, void* context);
  void stop();

  // The program of `window`: its path, as far as the system lets it be read
  // (a program that cannot be opened, even for the limited query that works
  // for elevated programs, has none), and whether it is this program.
  static tarsil::ForegroundProgram programOf(HWND window);

 private:
  static void CALLBACK onEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                               LONG child, DWORD thread, DWORD time);
  static void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD);
  // Reports `window` unless it is the one in front already.
  void arrived(HWND window);

  HWINEVENTHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
  HWND last_ = nullptr;
  Handler handler_ = nullptr;
  void* context_ = nullptr;
};
