#pragma once

#include <linux/input.h>

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/key_translator.h"
#include "engine/profile_tables.h"

namespace tarsil {

// Carries key events from the grabbed keyboards to the virtual keyboard, the
// way the translation hook carries them on Windows: every key event of a
// keyboard goes to KeyTranslator::decide as the event Windows would report
// for it, and is passed on or replaced by the strokes the decision sends.
// Every other event of a keyboard (MSC_SCAN, SYN_REPORT) goes on as it came;
// auto-repeats are key events like the others. The lamps go the other way:
// what the system sets on the virtual keyboard is set on every keyboard, and
// NumLock is read from there.
//
// It works on descriptors only: read from a keyboard's evdev node, write to
// the virtual keyboard's uinput descriptor and read its lamp changes, write
// lamps to the keyboards. Keyboard descriptors are non-blocking.
//
// What goes to the virtual keyboard goes in whole reports, each ending in
// SYN_REPORT (the system reads whole reports only), and empty reports are
// left out. A read takes every event waiting, and what it makes goes out in
// one write call (one wake-up of each reader of the virtual keyboard, which
// is what a keyboard under load costs most), but never more than
// kMostEventsPerWrite events in one: the kernel keeps 64 events for each
// reader of the virtual keyboard, and a long macro written at once would
// run over that buffer and lose keys. The key path (readKeyboard)
// allocates nothing.
class KeyForwarder {
 public:
  // Half of what the kernel buffers for each reader of an event node.
  static constexpr std::size_t kMostEventsPerWrite = 32;

  explicit KeyForwarder(int virtualKeyboard) noexcept;

  // A keyboard that is grabbed now; its lamps are set to the virtual
  // keyboard's at once.
  void addKeyboard(int fd);
  // A keyboard that is gone, or that is let go: every key it holds comes up,
  // as if the user let go of it, for the kernel sends no releases once a
  // device is gone. Then it is forgotten.
  void removeKeyboard(int fd, const ProfileTables& tables, bool stopped) noexcept;

  enum class ReadOutcome : std::uint8_t { kOk, kGone };
  // Forwards every event the keyboard has ready. kGone: the device went away
  // (or its descriptor failed); call removeKeyboard.
  ReadOutcome readKeyboard(int fd, const ProfileTables& tables, bool stopped) noexcept;

  // Takes the lamp changes the system sent the virtual keyboard and sets
  // them on every keyboard.
  void readVirtualKeyboard() noexcept;

  // Strokes of the macro player, written at once, each a report of its
  // own: never translated, and the release of a key the user or a
  // translated key still holds is held back (KeyTranslator::playerStroke).
  void playStrokes(const KeyStroke* strokes, std::size_t count) noexcept;

  // Translation is ending: the releases of every key translated keys hold.
  void releaseAll(const ProfileTables& tables) noexcept;
  // The daemon ends: on top of releaseAll, every key still down on the
  // virtual keyboard comes up, so nothing stays pressed behind it.
  void releaseEverything(const ProfileTables& tables) noexcept;

  // Paused, the keyboards' new presses go to the virtual keyboard as they
  // came (KeyTranslator::setPaused): the grab stays, so what is held goes
  // up where it went down.
  void setPaused(bool paused) noexcept { translator_.setPaused(paused); }

  // NumLock as GetKeyState reports it: the virtual keyboard's lamp as the
  // toggle bit, and the high bit while the NumLock key is held.
  std::int16_t numLockState() const noexcept;
  std::size_t keyboardCount() const noexcept { return keyboards_.size(); }

  // Where the press and the release of a key whose meaning is an action go
  // (see KeyPlatform::handleAction); without a handler such keys do nothing.
  using ActionHandler = void (*)(void* context, const KeyAction& action, bool up);
  void setActionHandler(ActionHandler handler, void* context) noexcept {
    actionHandler_ = handler;
    actionContext_ = context;
  }

 private:
  struct Keyboard {
    int fd = -1;
    std::bitset<KEY_CNT> down;  // keys down on the device, as its events told
    bool dropping = false;      // the kernel dropped events: wait for the next report
  };

  Keyboard* find(int fd) noexcept;
  void forward(Keyboard& keyboard, const input_event& event, const ProfileTables& tables,
               bool stopped) noexcept;
  void forwardKey(Keyboard& keyboard, std::uint16_t code, std::int32_t value,
                  const ProfileTables& tables, bool stopped) noexcept;
  void releaseLostKeys(Keyboard& keyboard, const ProfileTables& tables, bool stopped) noexcept;
  void writeKey(std::uint16_t code, std::int32_t value) noexcept;
  void append(std::uint16_t type, std::uint16_t code, std::int32_t value) noexcept;
  // Ends the report being made with SYN_REPORT, unless it is empty.
  void endReport() noexcept;
  // Ends the report being made and writes every report not yet written.
  void flush() noexcept;
  void writeWholeReportsIfFull() noexcept;
  void writeLamps(int fd, const std::bitset<LED_CNT>& which) const noexcept;
  KeyPlatform platform() noexcept;

  static void sendStrokes(void* context, const KeyStroke* strokes, std::size_t count) noexcept;
  static std::int16_t readNumLockState(void* context) noexcept;
  static void handleAction(void* context, const KeyAction& action, bool up) noexcept;

  int virtual_;
  KeyTranslator translator_;
  std::vector<Keyboard> keyboards_;
  std::bitset<KEY_CNT> outDown_;       // keys down on the virtual keyboard
  std::bitset<LED_CNT> lamps_;         // the virtual keyboard's lamps
  std::array<input_event, 64> out_{};  // whole reports, then the one being made
  std::size_t outCount_ = 0;
  std::size_t reportStart_ = 0;  // where the report being made begins
  ActionHandler actionHandler_ = nullptr;
  void* actionContext_ = nullptr;
};

}  // namespace tarsil
