#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/key_set.h"
#include "engine/key_stroke.h"
#include "engine/stroke_batch.h"
#include "profile/macro_library.h"

namespace tarsil {

// Microseconds on a monotonic clock.
using PlayerTime = std::int64_t;

// Where the player's strokes go. The platform marks them as the player's,
// so that they come back through translation untranslated and are decided
// by KeyTranslator::playerStroke.
struct StrokeOutput {
  void (*send)(void* context, const KeyStroke* strokes, std::size_t count) = nullptr;
  void* context = nullptr;
  // The time once strokes handed to `send` have gone out, where sending
  // takes a while (Windows returns from SendInput only when the keyboard
  // hooks have seen the strokes): the next step's delay counts from then,
  // so a slow send never brings two steps closer. Null: sending takes no
  // time, and the delay counts from the time run() was given.
  PlayerTime (*sentAt)(void* context) = nullptr;
};

// A key whose meaning is "play macro `macro` of profile `profile`".
struct MacroTrigger {
  std::int32_t profile = 0;
  std::int32_t macro = 0;
  KeyCode key = 0;
  // NumLock at the trigger's press: keypad codes of the whole playback are
  // rendered by it, as a chord renders its codes by the state at the press.
  bool numLockOn = true;
};

// Decides what a macro with its own timing sends and when: given the clock,
// the trigger key's presses and releases and the stops, it sends the steps
// and says when it next has something to do. It never waits and never
// reads a clock; the platform calls it with the time and sleeps in between.
//
// Playback, per trigger key:
// - sequence once: a press plays the steps once. A press while that pass
//   still plays is ignored, so a combo is never cut off and restarted.
// - repeat while held: passes follow one another until the trigger's
//   release, which stops at once.
// - toggle: a press starts repeating, the next press stops.
// Step k goes out delay(k) after step k-1 really went out (after the press
// for step 0; see StrokeOutput::sentAt), so steps never come closer together
// than their delays, whatever the platform's wake-ups and sends cost. A pass that would take less
// than kMinPassTime starts the next no sooner than that after its own start, so a macro without
// delays cannot flood the input.
//
// No key left down: at the end of every pass, and whenever a playback stops
// (release, second press, stop, a new library, a second macro of the same
// key), every key the playback holds is released. A key several playbacks
// hold goes up when the last lets go. Chords are not played here: they stay
// translation-table entries.
//
// Fixed storage: at most kMaxPlaybacks keys play at once, and events, stops
// and runs allocate nothing.
class MacroPlayer {
 public:
  static constexpr std::size_t kMaxPlaybacks = 8;
  static constexpr PlayerTime kMinPassTime = 10'000;

  // The macros to play from now on. Whatever plays stops first: the macros
  // it plays may be gone or changed.
  void setLibrary(std::shared_ptr<const MacroLibrary> library, const StrokeOutput& output) noexcept;

  // The trigger key went down, or came up.
  void press(const MacroTrigger& trigger, PlayerTime now, const StrokeOutput& output) noexcept;
  void release(KeyCode key, PlayerTime now, const StrokeOutput& output) noexcept;

  // Stops every playback and releases what they hold, except keys in
  // `keep` (holdIndexOf indices: keys the user still holds once no hook is
  // left to keep the player's releases from them).
  void stopAll(const StrokeOutput& output, const KeySet* keep = nullptr) noexcept;

  // Sends every step due at `now`. Returns when the next one is due, or
  // nothing while no playback waits for a step.
  std::optional<PlayerTime> run(PlayerTime now, const StrokeOutput& output) noexcept;

  std::size_t playingCount() const noexcept;
  // The keys the player holds down now (KeySet::indexOf of the sent key).
  bool holds(std::size_t keyIndex) const noexcept { return holders_[keyIndex] != 0; }

 private:
  struct Playback {
    bool active = false;
    KeyCode trigger = 0;
    std::int32_t profile = 0;
    std::int32_t index = 0;
    const TimedMacro* macro = nullptr;
    bool numLockOn = true;
    std::size_t next = 0;      // the step that goes out next
    PlayerTime due = 0;        // when it goes out
    PlayerTime passStart = 0;  // when the current pass's first step was due
    KeySet held;               // what this playback holds down
  };

  Playback* find(KeyCode trigger) noexcept;
  // A pass begins: its first step waits its delay, and not before `earliest`.
  void start(Playback& playback, PlayerTime now, PlayerTime earliest) noexcept;
  void sendStep(Playback& playback, const TimedStep& step, StrokeBatch& batch) noexcept;
  void releaseHeld(Playback& playback, const KeySet* keep, StrokeBatch& batch) noexcept;
  void stop(Playback& playback, StrokeBatch& batch) noexcept;
  // The pass is over: what it holds goes up, and a repeating playback
  // schedules its next pass; one that plays once ends.
  void endPass(Playback& playback, PlayerTime now, StrokeBatch& batch) noexcept;

  std::shared_ptr<const MacroLibrary> library_;
  std::array<Playback, kMaxPlaybacks> playbacks_{};
  std::array<std::uint8_t, KeySet::kSize> holders_{};  // playbacks holding each key
};

}  // namespace tarsil
