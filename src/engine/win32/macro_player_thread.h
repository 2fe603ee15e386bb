#pragma once

#include <windows.h>

#include <memory>
#include <mutex>

#include "engine/handoff_queue.h"
#include "engine/macro_player.h"

namespace tarsil {

// Plays timed macros on a thread of its own, so the keyboard hook never
// waits: the hook hands a trigger's press and release over through a queue
// that takes no lock and wakes the thread with an event, and the thread
// sleeps on a high-resolution waitable timer until the next step is due.
// The decisions are MacroPlayer's; this class only keeps its clock, wakes
// it and sends what it decides, marked as the player's (kPlayerStrokeMark).
//
// The keys the user holds are the translation hook's to know: the player's
// strokes come back through it, where KeyTranslator::playerStroke holds back
// the release of a key the user or a chord still holds. Only once the hook
// is gone is there nobody to do so; a stop then carries the keys the user
// held at that moment (KeyTranslator::userHeldKeys), taken on the hook's own
// thread, so the player needs no view of the hook's state.
//
// Every member but the thread's own loop is called on one thread, the one
// that owns the hook.
class MacroPlayerThread {
 public:
  MacroPlayerThread() = default;
  MacroPlayerThread(const MacroPlayerThread&) = delete;
  MacroPlayerThread& operator=(const MacroPlayerThread&) = delete;
  // Stops what plays and waits for the thread.
  ~MacroPlayerThread();

  // Starts the thread; false when the system refuses, and timed macros then
  // play nothing.
  bool start();

  // From the hook: never waits, never allocates.
  void press(const MacroTrigger& trigger) noexcept;
  void release(KeyCode key) noexcept;

  // The macros to play from now on; whatever plays stops first.
  void setLibrary(std::shared_ptr<const MacroLibrary> library);
  // Stops every playback. `keep`: the keys the user holds, when no hook is
  // left to keep the player's releases from them.
  void stopAll(const KeySet* keep = nullptr) noexcept;
  // Stops what plays and ends the thread, waiting for it a moment at most.
  void shutdown() noexcept;

  // Whether the timer is the high-resolution kind (the system's default
  // tick otherwise, with the system timer's period lowered while the thread
  // runs).
  bool highResolution() const { return highResolution_; }

  // The performance counter in microseconds: the player's clock.
  static PlayerTime clock() noexcept;

 private:
  enum class CommandKind : std::uint8_t { kPress, kRelease, kStop, kStopKeeping, kLibrary, kQuit };
  struct Command {
    CommandKind kind = CommandKind::kStop;
    MacroTrigger trigger;
    PlayerTime at = 0;  // when it was handed over
    KeySet keep;
  };

  static DWORD WINAPI threadMain(void* self);
  void loop() noexcept;
  void post(const Command& command) noexcept;

  HandoffQueue<Command, 256> queue_;
  std::mutex libraryMutex_;  // held only to swap the pointer below
  std::shared_ptr<const MacroLibrary> nextLibrary_;
  MacroPlayer player_;  // the thread's own
  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;
  HANDLE timer_ = nullptr;
  bool highResolution_ = false;
  bool lowerPeriod_ = false;
};

// The press and the release of a key whose action is kPlayMacro, as the
// hook's action handler passes them: the macro of `activeProfile`, keypad
// codes rendered by NumLock as it is at the press.
void playMacroAction(MacroPlayerThread& player, const KeyAction& action, bool up,
                     std::int32_t activeProfile) noexcept;

}  // namespace tarsil
