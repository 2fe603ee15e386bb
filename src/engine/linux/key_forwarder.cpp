#include "engine/linux/key_forwarder.h"

#include <errno.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "engine/key_event.h"
#include "engine/key_rendering.h"
#include "engine/linux/evdev_keys.h"

namespace tarsil {
namespace {

// Windows marks key events made while Alt is down.
constexpr std::uint32_t kEventAltDown = 0x20;

// The lamps the virtual keyboard has, and so the ones a keyboard is given.
constexpr std::uint16_t kLamps[] = {LED_NUML, LED_CAPSL, LED_SCROLLL, LED_COMPOSE, LED_KANA};

constexpr std::int32_t kKeyUp = 0;
constexpr std::int32_t kKeyDown = 1;
constexpr std::int32_t kKeyRepeat = 2;

ssize_t writeAll(int fd, const input_event* events, std::size_t count) noexcept {
  ssize_t written;
  do {
    written = ::write(fd, events, count * sizeof(input_event));
  } while (written < 0 && errno == EINTR);
  return written;
}

}  // namespace

KeyForwarder::KeyForwarder(int virtualKeyboard) noexcept : virtual_(virtualKeyboard) {}

KeyPlatform KeyForwarder::platform() noexcept {
  return KeyPlatform{readNumLockState, sendStrokes, this, handleAction};
}

void KeyForwarder::handleAction(void* context, const KeyAction& action, bool up) noexcept {
  const auto* self = static_cast<const KeyForwarder*>(context);
  if (self->actionHandler_ != nullptr) self->actionHandler_(self->actionContext_, action, up);
}

void KeyForwarder::addKeyboard(int fd) {
  if (find(fd) != nullptr) return;
  keyboards_.push_back(Keyboard{fd, {}, false});
  std::bitset<LED_CNT> all;
  for (const std::uint16_t lamp : kLamps) all.set(lamp);
  writeLamps(fd, all);
}

void KeyForwarder::removeKeyboard(int fd, const ProfileTables& tables, bool stopped) noexcept {
  Keyboard* keyboard = find(fd);
  if (keyboard == nullptr) return;
  for (std::uint16_t code = 0; code < KEY_CNT; ++code) {
    if (keyboard->down.test(code)) forwardKey(*keyboard, code, kKeyUp, tables, stopped);
  }
  flush();
  keyboards_.erase(keyboards_.begin() + (keyboard - keyboards_.data()));
}

KeyForwarder::ReadOutcome KeyForwarder::readKeyboard(int fd, const ProfileTables& tables,
                                                     bool stopped) noexcept {
  Keyboard* keyboard = find(fd);
  if (keyboard == nullptr) return ReadOutcome::kOk;
  std::array<input_event, 64> events;
  for (;;) {
    const ssize_t got = ::read(fd, events.data(), sizeof(events));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) break;
    if (got <= 0) {
      flush();
      return ReadOutcome::kGone;  // ENODEV once unplugged; end of file for a closed pipe
    }
    const auto count = static_cast<std::size_t>(got) / sizeof(input_event);
    for (std::size_t i = 0; i < count; ++i) forward(*keyboard, events[i], tables, stopped);
    if (static_cast<std::size_t>(got) < sizeof(events)) break;  // nothing more waiting
  }
  // A report the read cut short (its end is still on its way) goes out
  // whole all the same: nothing waits for the next wake-up.
  flush();
  return ReadOutcome::kOk;
}

void KeyForwarder::forward(Keyboard& keyboard, const input_event& event,
                           const ProfileTables& tables, bool stopped) noexcept {
  if (event.type == EV_SYN && event.code == SYN_DROPPED) {
    // The device's buffer ran over: what follows up to the next report is a
    // fragment, and some releases may be lost.
    keyboard.dropping = true;
    return;
  }
  if (keyboard.dropping) {
    if (event.type == EV_SYN && event.code == SYN_REPORT) {
      keyboard.dropping = false;
      releaseLostKeys(keyboard, tables, stopped);
      endReport();
    }
    return;
  }
  switch (event.type) {
    case EV_KEY:
      forwardKey(keyboard, event.code, event.value, tables, stopped);
      return;
    case EV_LED:  // the lamps we set, coming back: they belong to the virtual keyboard
    case EV_REP:  // the device's repeat settings, not input
      return;
    case EV_SYN:
      if (event.code == SYN_REPORT) {
        endReport();
        return;
      }
      break;
    default:
      break;
  }
  append(event.type, event.code, event.value);
}

void KeyForwarder::forwardKey(Keyboard& keyboard, std::uint16_t code, std::int32_t value,
                              const ProfileTables& tables, bool stopped) noexcept {
  if (code >= KEY_CNT) return;
  const bool wasDown = keyboard.down.test(code);
  keyboard.down.set(code, value != kKeyUp);

  // Windows reports the keypad's navigation keys while NumLock is off, and
  // also while it is on and Shift is down.
  const bool shift = outDown_.test(KEY_LEFTSHIFT) || outDown_.test(KEY_RIGHTSHIFT);
  const std::optional<WindowsKey> key = windowsKeyOf(code, isNumLockOn(numLockState()) && !shift);
  if (!key) {
    writeKey(code, value);  // no code the core could look up
    return;
  }
  KeyEvent event;
  event.vkCode = key->vk;
  event.scanCode = key->scanCode;
  event.flags = (key->extended ? kEventExtended : 0u) | (value == kKeyUp ? kEventUp : 0u) |
                (outDown_.test(KEY_LEFTALT) || outDown_.test(KEY_RIGHTALT) ? kEventAltDown : 0u);
  // A repeat, or a press of a key the device already reported down.
  event.wasDown = wasDown || value == kKeyRepeat;

  const KeyPlatform strokes = platform();
  switch (translator_.decide(event, tables, stopped, strokes).verdict) {
    case KeyVerdict::kSwallow:
      return;
    case KeyVerdict::kStop:
      translator_.releaseAll(tables, strokes);
      break;
    case KeyVerdict::kPass:
      break;
  }
  writeKey(code, value);
}

void KeyForwarder::releaseLostKeys(Keyboard& keyboard, const ProfileTables& tables,
                                   bool stopped) noexcept {
  // Keys the device no longer holds come up. When its state cannot be
  // read, none is taken as held: better a key let go than one stuck.
  std::array<std::uint8_t, KEY_CNT / 8> state{};
  if (::ioctl(keyboard.fd, EVIOCGKEY(sizeof(state)), state.data()) < 0) state.fill(0);
  for (std::uint16_t code = 0; code < KEY_CNT; ++code) {
    const bool held = (state[code / 8] >> (code % 8)) & 1u;
    if (keyboard.down.test(code) && !held) forwardKey(keyboard, code, kKeyUp, tables, stopped);
  }
}

void KeyForwarder::writeKey(std::uint16_t code, std::int32_t value) noexcept {
  if (value == kKeyUp) {
    // The release of a key the system does not have down (its press was
    // translated, and translation ended while it was held) says nothing.
    if (!outDown_.test(code)) return;
    outDown_.reset(code);
  } else if (value == kKeyDown) {
    outDown_.set(code);
  }
  append(EV_KEY, code, value);
}

void KeyForwarder::playStrokes(const KeyStroke* strokes, std::size_t count) noexcept {
  for (std::size_t i = 0; i < count; ++i) {
    if (translator_.playerStroke(strokes[i].vk, strokes[i].extended, strokes[i].up) ==
        KeyVerdict::kPass) {
      sendStrokes(this, &strokes[i], 1);
    }
  }
  // A player's step goes out when it is due, not with the next key.
  flush();
}

void KeyForwarder::sendStrokes(void* context, const KeyStroke* strokes,
                               std::size_t count) noexcept {
  auto* self = static_cast<KeyForwarder*>(context);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t code = evdevKeyOf(strokes[i].vk, strokes[i].extended);
    if (code == 0) continue;  // a code no key sends
    if (strokes[i].up) {
      self->writeKey(code, kKeyUp);
    } else {
      // A press of a key that is down already is how Linux says "again":
      // an auto-repeat keeps a translated key held, as on Windows.
      self->writeKey(code, self->outDown_.test(code) ? kKeyRepeat : kKeyDown);
    }
    // Each stroke is a report of its own, as a keyboard reports one change
    // at a time.
    self->endReport();
  }
}

std::int16_t KeyForwarder::readNumLockState(void* context) noexcept {
  return static_cast<const KeyForwarder*>(context)->numLockState();
}

std::int16_t KeyForwarder::numLockState() const noexcept {
  const auto toggled = static_cast<std::uint16_t>(lamps_.test(LED_NUML) ? 1 : 0);
  const auto held = static_cast<std::uint16_t>(outDown_.test(KEY_NUMLOCK) ? 0xFF80 : 0);
  return static_cast<std::int16_t>(held | toggled);
}

void KeyForwarder::readVirtualKeyboard() noexcept {
  std::array<input_event, 32> events;
  std::bitset<LED_CNT> changed;
  for (;;) {
    const ssize_t got = ::read(virtual_, events.data(), sizeof(events));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const auto count = static_cast<std::size_t>(got) / sizeof(input_event);
    for (std::size_t i = 0; i < count; ++i) {
      if (events[i].type != EV_LED || events[i].code >= LED_CNT) continue;
      lamps_.set(events[i].code, events[i].value != 0);
      changed.set(events[i].code);
    }
    if (static_cast<std::size_t>(got) < sizeof(events)) break;
  }
  if (changed.none()) return;
  for (const Keyboard& keyboard : keyboards_) writeLamps(keyboard.fd, changed);
}

void KeyForwarder::writeLamps(int fd, const std::bitset<LED_CNT>& which) const noexcept {
  std::array<input_event, LED_CNT + 1> events{};
  std::size_t count = 0;
  for (std::uint16_t lamp = 0; lamp < LED_CNT; ++lamp) {
    if (!which.test(lamp)) continue;
    events[count].type = EV_LED;
    events[count].code = lamp;
    events[count++].value = lamps_.test(lamp) ? 1 : 0;
  }
  events[count++].type = EV_SYN;  // SYN_REPORT
  // A keyboard opened read-only keeps its lamps; nothing else depends on them.
  (void)writeAll(fd, events.data(), count);
}

void KeyForwarder::releaseAll(const ProfileTables& tables) noexcept {
  translator_.releaseAll(tables, platform());
  flush();
}

void KeyForwarder::releaseEverything(const ProfileTables& tables) noexcept {
  translator_.releaseAll(tables, platform());
  for (std::uint16_t code = 0; code < KEY_CNT; ++code) {
    if (!outDown_.test(code)) continue;
    writeKey(code, kKeyUp);
    endReport();
  }
  for (Keyboard& keyboard : keyboards_) keyboard.down.reset();
  flush();
}

void KeyForwarder::append(std::uint16_t type, std::uint16_t code, std::int32_t value) noexcept {
  writeWholeReportsIfFull();
  // Room is kept for the SYN_REPORT that ends a report; one longer than any
  // keyboard sends is cut in two.
  if (outCount_ + 2 > out_.size()) flush();
  input_event& event = out_[outCount_++];
  event = input_event{};
  event.type = type;
  event.code = code;
  event.value = value;
}

void KeyForwarder::endReport() noexcept {
  // An empty report (the keyboard's own SYN_REPORT after strokes that were
  // reports of their own, or after a swallowed key) says nothing.
  if (outCount_ == reportStart_) return;
  writeWholeReportsIfFull();
  input_event& report = out_[outCount_++];
  report = input_event{};
  report.type = EV_SYN;
  report.code = SYN_REPORT;
  reportStart_ = outCount_;
}

void KeyForwarder::writeWholeReportsIfFull() noexcept {
  if (outCount_ < kMostEventsPerWrite || reportStart_ == 0) return;
  // The whole reports go now; the one being made moves to the front.
  (void)writeAll(virtual_, out_.data(), reportStart_);
  std::copy(out_.begin() + static_cast<std::ptrdiff_t>(reportStart_),
            out_.begin() + static_cast<std::ptrdiff_t>(outCount_), out_.begin());
  outCount_ -= reportStart_;
  reportStart_ = 0;
}

void KeyForwarder::flush() noexcept {
  endReport();
  if (outCount_ == 0) return;
  // The virtual keyboard takes every event it advertises; a failed write
  // has nowhere better to go.
  (void)writeAll(virtual_, out_.data(), outCount_);
  outCount_ = 0;
  reportStart_ = 0;
}

KeyForwarder::Keyboard* KeyForwarder::find(int fd) noexcept {
  const auto found = std::find_if(keyboards_.begin(), keyboards_.end(),
                                  [fd](const Keyboard& keyboard) { return keyboard.fd == fd; });
  return found == keyboards_.end() ? nullptr : &*found;
}

}  // namespace tarsil
