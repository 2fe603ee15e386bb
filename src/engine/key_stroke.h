#pragma once

#include <cstddef>
#include <cstdint>

#include "profile/key_types.h"

namespace tarsil {

// One synthetic key stroke. The adapter turns it into the platform's input
// record and looks the scan code up itself; `extended` asks for the
// extended-key form of that scan code.
struct KeyStroke {
  std::uint8_t vk = 0;
  bool up = false;
  bool extended = false;

  bool operator==(const KeyStroke&) const = default;
};

// Strokes reach the platform in batches of at most this many, so a short list
// is one batch and a macro of hundreds of codes needs no storage of its own.
inline constexpr std::size_t kStrokeBatchSize = 64;

// What the decision needs from the platform, as plain function pointers: the
// key path must neither allocate nor throw, which rules out std::function.
struct KeyPlatform {
  // The NumLock key's state as the platform reports it (a signed 16-bit value
  // whose low bit is the toggle and high bit "held"). Called at most once per
  // event, and only when a keypad code has to be rendered.
  std::int16_t (*readNumLockState)(void* context) = nullptr;
  // Receives the strokes of one event in order, in one or more batches.
  void (*sendStrokes)(void* context, const KeyStroke* strokes, std::size_t count) = nullptr;
  void* context = nullptr;
  // Receives the first press (`up` false) and the release (`up` true) of a
  // key whose meaning is an action; auto-repeats are not reported. Runs
  // inside the key event's decision: it may only hand the action over (post
  // a message, wake a thread), never wait.
  void (*handleAction)(void* context, const KeyAction& action, bool up) = nullptr;
};

}  // namespace tarsil
