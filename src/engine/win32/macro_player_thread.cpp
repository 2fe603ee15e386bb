#include "engine/win32/macro_player_thread.h"

#include <mmsystem.h>

#include "engine/key_rendering.h"
#include "engine/win32/key_injection.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace tarsil {

namespace {

void sendPlayerStrokes(void*, const KeyStroke* strokes, std::size_t count) {
  sendKeyStrokes(strokes, count, kPlayerStrokeMark);
}

PlayerTime sentAt(void*);

constexpr StrokeOutput kOutput{sendPlayerStrokes, nullptr, sentAt};

}  // namespace

MacroPlayerThread::~MacroPlayerThread() { shutdown(); }

PlayerTime MacroPlayerThread::clock() noexcept {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<std::int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const std::int64_t ticks = counter.QuadPart;
  return ticks / frequency * 1'000'000 + ticks % frequency * 1'000'000 / frequency;
}

namespace {
PlayerTime sentAt(void*) { return MacroPlayerThread::clock(); }
}  // namespace

bool MacroPlayerThread::start() {
  if (thread_ != nullptr) return true;
  // A high-resolution timer wakes within a fraction of a millisecond; where
  // the system has none, the ordinary kind does with the system timer's
  // period lowered to 1 ms while the thread runs.
  timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                  TIMER_ALL_ACCESS);
  highResolution_ = timer_ != nullptr;
  if (timer_ == nullptr) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    lowerPeriod_ = timer_ != nullptr && timeBeginPeriod(1) == TIMERR_NOERROR;
  }
  wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (timer_ != nullptr && wake_ != nullptr) {
    thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
  }
  if (thread_ == nullptr) {
    shutdown();
    return false;
  }
  // Steps are due to the millisecond: the thread sleeps nearly always, and
  // wakes ahead of ordinary work when it is time.
  SetThreadPriority(thread_, THREAD_PRIORITY_HIGHEST);
  return true;
}

void MacroPlayerThread::shutdown() noexcept {
  if (thread_ != nullptr) {
    post({CommandKind::kQuit, {}, clock(), {}});
    // The thread only sends what it still holds; should the system keep it
    // longer, the process does not wait with it.
    WaitForSingleObject(thread_, 2000);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  for (HANDLE* handle : {&wake_, &timer_}) {
    if (*handle != nullptr) CloseHandle(*handle);
    *handle = nullptr;
  }
  if (lowerPeriod_) timeEndPeriod(1);
  lowerPeriod_ = false;
}

void MacroPlayerThread::post(const Command& command) noexcept {
  if (thread_ == nullptr) return;
  // A full queue is noted by the queue: the thread then stops everything.
  queue_.push(command);
  SetEvent(wake_);
}

void MacroPlayerThread::press(const MacroTrigger& trigger) noexcept {
  post({CommandKind::kPress, trigger, clock(), {}});
}

void MacroPlayerThread::release(KeyCode key) noexcept {
  MacroTrigger trigger;
  trigger.key = key;
  post({CommandKind::kRelease, trigger, clock(), {}});
}

void MacroPlayerThread::setLibrary(std::shared_ptr<const MacroLibrary> library) {
  {
    const std::lock_guard<std::mutex> lock(libraryMutex_);
    nextLibrary_ = std::move(library);
  }
  post({CommandKind::kLibrary, {}, clock(), {}});
}

void MacroPlayerThread::stopAll(const KeySet* keep) noexcept {
  if (keep == nullptr) {
    post({CommandKind::kStop, {}, clock(), {}});
  } else {
    post({CommandKind::kStopKeeping, {}, clock(), *keep});
  }
}

DWORD WINAPI MacroPlayerThread::threadMain(void* self) {
  static_cast<MacroPlayerThread*>(self)->loop();
  return 0;
}

void MacroPlayerThread::loop() noexcept {
  const HANDLE waits[] = {wake_, timer_};
  for (;;) {
    while (const std::optional<Command> command = queue_.pop()) {
      switch (command->kind) {
        case CommandKind::kPress:
          player_.press(command->trigger, command->at, kOutput);
          break;
        case CommandKind::kRelease:
          player_.release(command->trigger.key, command->at, kOutput);
          break;
        case CommandKind::kStop:
          player_.stopAll(kOutput);
          break;
        case CommandKind::kStopKeeping:
          player_.stopAll(kOutput, &command->keep);
          break;
        case CommandKind::kLibrary: {
          std::shared_ptr<const MacroLibrary> library;
          {
            const std::lock_guard<std::mutex> lock(libraryMutex_);
            library = nextLibrary_;
          }
          player_.setLibrary(std::move(library), kOutput);
          break;
        }
        case CommandKind::kQuit:
          player_.stopAll(kOutput);
          return;
      }
    }
    // A release that never arrived would leave a macro repeating: when the
    // queue ran over, everything stops.
    if (queue_.overflowed()) player_.stopAll(kOutput);

    const std::optional<PlayerTime> next = player_.run(clock(), kOutput);
    if (next) {
      const PlayerTime wait = *next - clock();
      if (wait <= 0) continue;
      LARGE_INTEGER due;
      due.QuadPart = -wait * 10;  // relative, in 100 ns
      SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
    } else {
      CancelWaitableTimer(timer_);
    }
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  }
}

void playMacroAction(MacroPlayerThread& player, const KeyAction& action, bool up,
                     std::int32_t activeProfile) noexcept {
  if (action.kind != KeyActionKind::kPlayMacro) return;
  if (up) {
    player.release(action.trigger);
    return;
  }
  const bool numLockOn = isNumLockOn(static_cast<std::int16_t>(GetKeyState(VK_NUMLOCK)));
  player.press({activeProfile, action.value, action.trigger, numLockOn});
}

}  // namespace tarsil
