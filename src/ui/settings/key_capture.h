#pragma once

#include <array>
#include <cstdint>

#include "layout/key_code.h"

namespace tarsil {

// What the settings dialog's capture hook shares with the dialog. The hook
// is a free function, so this lives once per process.
struct CaptureShared {
  KeyCode capturedKey = 0;      // the last key captured for the single-key kind
  std::int32_t dialogMode = 0;  // the kind the dialog shows; 4 is the macro editor
};

// The low-level hook's event kinds.
enum class KeyMessage : std::uint8_t { kKeyDown, kKeyUp, kSysKeyDown, kSysKeyUp, kOther };

constexpr bool isPress(KeyMessage message) {
  return message == KeyMessage::kKeyDown || message == KeyMessage::kSysKeyDown;
}
constexpr bool isRelease(KeyMessage message) {
  return message == KeyMessage::kKeyUp || message == KeyMessage::kSysKeyUp;
}

// The argument a key's name is asked by: the scan code in bits 16..23 and
// the event's flag byte in bits 24..31, so a release (key-up bit) is
// negative. Right Shift, reported with the extended bit, is asked as the
// plain right Shift it is.
std::int32_t keyNameCode(std::uint32_t scanCode, std::uint32_t flags);

// The code a captured key is stored under. The keypad's Enter becomes 108,
// so it can be told from the main Enter; keypad keys pressed with NumLock
// off (navigation codes without the extended bit, flags exactly 0) become
// their keypad digits. With any other flag the code stays.
KeyCode captureCode(std::uint32_t vkCode, std::uint32_t flags);
// The same for a recorded step, whose release (flags 0x80) is normalised
// like its press.
KeyCode recordCode(std::uint32_t vkCode, std::uint32_t flags);

// What the capture hook does with one event: it swallows every key event;
// a press also becomes the captured key, named in the dialog in the
// single-key kind; presses and releases are recorded in the macro kinds.
struct CaptureDecision {
  bool swallow = false;
  bool nameCapturedKey = false;  // show the captured key's name in the dialog
  bool recordStep = false;       // hand the event to the recorder
};
// `fromPlayer`: a stroke of the macro player (marked as its own). It is no
// key of the user's: it is neither captured nor recorded, and it goes on,
// so that the player's releases reach the system while the dialog runs.
CaptureDecision decideCapture(CaptureShared& shared, KeyMessage message, std::uint32_t vkCode,
                              std::uint32_t flags, bool fromPlayer = false) noexcept;

// One macro step as the recorder appends it.
struct RecordedStep {
  std::int32_t keyNameCode = 0;
  KeyCode vk = 0;
  bool down = false;
  std::int32_t delayMs = 0;  // since the step recorded before it; 0 for the first
};

// The hook's event, as the recorder takes it: `time` is the event's own time
// stamp in milliseconds (it wraps after 49.7 days).
struct RecordedEvent {
  KeyMessage message = KeyMessage::kOther;
  std::uint32_t vkCode = 0;
  std::uint32_t scanCode = 0;
  std::uint32_t flags = 0;
  std::uint32_t time = 0;
};

// Turns the hook's events into macro steps: each key's first press and its
// release, the keyboard's auto-repeat presses dropped, each with the time
// since the step before it. Fixed storage: it runs for every key event
// while recording.
class StepRecorder {
 public:
  // A new recording: no key counts as held, and its first step waits for
  // nothing.
  void start() noexcept {
    held_.fill(0);
    timed_ = false;
  }
  // The step for an event, or false when it is dropped (an auto-repeat, or a
  // press of a code outside 1..254).
  bool record(const RecordedEvent& event, RecordedStep& step) noexcept;

 private:
  std::array<std::uint8_t, 256> held_{};  // 1: pressed, release not yet seen
  std::uint32_t lastTime_ = 0;            // of the last step recorded
  bool timed_ = false;                    // a step was recorded since start
};

}  // namespace tarsil
