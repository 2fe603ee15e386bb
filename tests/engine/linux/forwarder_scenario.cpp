#include "forwarder_scenario.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tarsil::test {
namespace {

constexpr std::uint16_t kLetters[26] = {
    KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
    KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z};

constexpr std::pair<std::string_view, std::uint16_t> kNames[] = {
    {"ESC", KEY_ESC},
    {"ENTER", KEY_ENTER},
    {"SPACE", KEY_SPACE},
    {"LEFTCTRL", KEY_LEFTCTRL},
    {"RIGHTCTRL", KEY_RIGHTCTRL},
    {"LEFTSHIFT", KEY_LEFTSHIFT},
    {"LEFTALT", KEY_LEFTALT},
    {"RIGHTALT", KEY_RIGHTALT},
    {"F1", KEY_F1},
    {"F2", KEY_F2},
    {"F13", KEY_F13},
    {"NUMLOCK", KEY_NUMLOCK},
    {"KP4", KEY_KP4},
    {"KP5", KEY_KP5},
    {"KPENTER", KEY_KPENTER},
    {"LEFT", KEY_LEFT},
    {"MUTE", KEY_MUTE},
    {"PLAYPAUSE", KEY_PLAYPAUSE},
    {"BRIGHTNESSUP", KEY_BRIGHTNESSUP},
};

constexpr std::pair<std::uint16_t, std::string_view> kLampNames[] = {
    {LED_NUML, "NumLock"},    {LED_CAPSL, "CapsLock"}, {LED_SCROLLL, "ScrollLock"},
    {LED_COMPOSE, "Compose"}, {LED_KANA, "Kana"},
};

std::vector<input_event> readEvents(int fd) {
  std::vector<input_event> events;
  std::array<input_event, 64> buffer;
  ssize_t got;
  while ((got = ::read(fd, buffer.data(), sizeof(buffer))) > 0) {
    events.insert(events.end(), buffer.begin(),
                  buffer.begin() + got / static_cast<ssize_t>(sizeof(input_event)));
  }
  return events;
}

// One event for the transcript; SYN_REPORT is told by the write it ends.
template <typename Add>
void describe(const input_event& event, Add& add) {
  if (event.type == EV_SYN && event.code == SYN_REPORT) return;
  if (event.type == EV_KEY) {
    const char* action[] = {" up", " down", " repeat"};
    add(evdevName(event.code) +
        (event.value >= 0 && event.value <= 2 ? action[event.value] : " ?"));
  } else if (event.type == EV_MSC && event.code == MSC_SCAN) {
    add("scan " + std::to_string(event.value));
  } else {
    add("event " + std::to_string(event.type) + "/" + std::to_string(event.code) + "/" +
        std::to_string(event.value));
  }
}

// What the forwarder wrote to the virtual keyboard, write by write (the
// socket keeps each write a message of its own).
std::vector<std::vector<input_event>> readWrites(int fd) {
  std::vector<std::vector<input_event>> writes;
  std::array<input_event, 1024> buffer;
  ssize_t got;
  while ((got = ::read(fd, buffer.data(), sizeof(buffer))) > 0) {
    writes.emplace_back(buffer.begin(),
                        buffer.begin() + got / static_cast<ssize_t>(sizeof(input_event)));
  }
  return writes;
}

}  // namespace

std::uint16_t evdevCode(std::string_view name) {
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return kLetters[name[0] - 'A'];
  for (const auto& [known, code] : kNames) {
    if (known == name) return code;
  }
  throw std::invalid_argument("unknown key: " + std::string(name));
}

std::string evdevName(std::uint16_t code) {
  for (std::size_t i = 0; i < 26; ++i) {
    if (kLetters[i] == code) return std::string(1, static_cast<char>('A' + i));
  }
  for (const auto& [name, known] : kNames) {
    if (known == code) return std::string(name);
  }
  return "key " + std::to_string(code);
}

ForwarderScenario::ForwarderScenario() {
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, pair) != 0) {
    throw std::runtime_error("socketpair");
  }
  virtualOurs_ = pair[0];
  virtualTheirs_ = pair[1];
  forwarder_ = new KeyForwarder(virtualOurs_);
  step("plug 1");
}

ForwarderScenario::~ForwarderScenario() {
  delete forwarder_;
  for (const auto& [n, keyboard] : keyboards_) {
    ::close(keyboard.ours);
    ::close(keyboard.theirs);
  }
  ::close(virtualOurs_);
  ::close(virtualTheirs_);
}

ProfileTables ForwarderScenario::view() const {
  return ProfileTables{{&tables.tables[0], &tables.tables[1], &tables.tables[2]},
                       tables.activeProfile};
}

std::string ForwarderScenario::run(std::string_view steps) {
  std::string transcript;
  for (const std::string_view text : split(steps, ';')) {
    const std::string entry = step(text);
    if (entry.empty()) continue;
    transcript += (transcript.empty() ? "" : "; ") + entry;
  }
  return transcript;
}

void ForwarderScenario::send(int keyboard, std::uint16_t type, std::uint16_t code,
                             std::int32_t value) {
  input_event event{};
  event.type = type;
  event.code = code;
  event.value = value;
  if (::write(keyboards_.at(keyboard).theirs, &event, sizeof(event)) != sizeof(event)) {
    throw std::runtime_error("write to keyboard");
  }
}

void ForwarderScenario::readFrom(int keyboard) {
  if (forwarder_->readKeyboard(keyboards_.at(keyboard).ours, view(), tables.stopped) !=
      KeyForwarder::ReadOutcome::kOk) {
    throw std::runtime_error("the keyboard is still there");
  }
}

std::string ForwarderScenario::step(std::string_view text) {
  const std::vector<std::string_view> w = words(text);
  if (w.empty()) throw std::invalid_argument("empty step");
  if (w[0] == "profile" || w[0] == "map" || w[0] == "unmap" || w[0] == "stop" || w[0] == "resume") {
    tables.run(text);
    return {};
  }
  if (w[0] == "plug") {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair) != 0) {
      throw std::runtime_error("socketpair");
    }
    keyboards_[static_cast<int>(number(w.at(1)))] = {pair[0], pair[1]};
    forwarder_->addKeyboard(pair[0]);
  } else if (w[0] == "unplug") {
    const int n = static_cast<int>(number(w.at(1)));
    const Keyboard keyboard = keyboards_.at(n);
    ::close(keyboard.theirs);
    if (forwarder_->readKeyboard(keyboard.ours, view(), tables.stopped) !=
        KeyForwarder::ReadOutcome::kGone) {
      throw std::runtime_error("the keyboard's node did not fail");
    }
    forwarder_->removeKeyboard(keyboard.ours, view(), tables.stopped);
    ::close(keyboard.ours);
    keyboards_.erase(n);
  } else if (w[0] == "numlock") {
    const input_event lamp{{}, EV_LED, LED_NUML, w.at(1) == "on" ? 1 : 0};
    if (::write(virtualTheirs_, &lamp, sizeof(lamp)) != sizeof(lamp)) {
      throw std::runtime_error("write to the virtual keyboard");
    }
    forwarder_->readVirtualKeyboard();
  } else if (w[0] == "msc") {
    send(1, EV_MSC, MSC_SCAN, static_cast<int>(number(w.at(1))));
    readFrom(1);
  } else if (w[0] == "echo") {
    send(1, EV_LED, LED_NUML, 1);
    send(1, EV_SYN, SYN_REPORT, 0);
    readFrom(1);
  } else if (w[0] == "dropped") {
    send(1, EV_SYN, SYN_DROPPED, 0);
    send(1, EV_KEY, KEY_Z, 1);
    send(1, EV_SYN, SYN_REPORT, 0);
    readFrom(1);
  } else if (text == "release all") {
    forwarder_->releaseAll(view());
  } else if (text == "release everything") {
    forwarder_->releaseEverything(view());
  } else if (w[0] == "play") {
    std::string_view key = w.at(1);
    const bool extended = key.ends_with('*');
    if (extended) key.remove_suffix(1);
    const KeyStroke stroke{static_cast<std::uint8_t>(keyCode(key)), w.at(2) == "up", extended};
    forwarder_->playStrokes(&stroke, 1);
  } else {
    std::string_view key = w[0];
    int keyboard = 1;
    if (const auto at = key.find('@'); at != std::string_view::npos) {
      keyboard = static_cast<int>(number(key.substr(at + 1)));
      key = key.substr(0, at);
    }
    const std::string_view action = w.at(1);
    const std::int32_t value = action == "up"       ? 0
                               : action == "down"   ? 1
                               : action == "repeat" ? 2
                                                    : -1;
    if (value < 0) throw std::invalid_argument("expected down, up or repeat: " + std::string(text));
    send(keyboard, EV_KEY, evdevCode(key), value);
    send(keyboard, EV_SYN, SYN_REPORT, 0);
    readFrom(keyboard);
  }
  return output();
}

std::string ForwarderScenario::output() {
  std::string text;
  auto add = [&](const std::string& entry) { text += (text.empty() ? "" : ", ") + entry; };
  for (const std::vector<input_event>& write : readWrites(virtualTheirs_)) {
    // Whole reports, none empty, and no more in one write than a reader's
    // buffer takes with room to spare.
    bool whole = true;
    bool empty = false;
    bool inReport = false;
    for (const input_event& event : write) {
      const bool report = event.type == EV_SYN && event.code == SYN_REPORT;
      empty = empty || (report && !inReport);
      inReport = !report;
      describe(event, add);
    }
    whole = !inReport;
    if (!whole || empty || write.size() > KeyForwarder::kMostEventsPerWrite) {
      add("(a write of " + std::to_string(write.size()) + " events" +
          (whole ? "" : ", the last report unfinished") + (empty ? ", an empty report" : "") + ")");
    }
  }
  for (const auto& [n, keyboard] : keyboards_) {
    for (const input_event& event : readEvents(keyboard.theirs)) {
      if (event.type != EV_LED) continue;
      std::string lamp = "lamp " + std::to_string(event.code);
      for (const auto& [code, name] : kLampNames) {
        if (code == event.code) lamp = name;
      }
      add("kbd" + std::to_string(n) + " " + lamp + (event.value != 0 ? " on" : " off"));
    }
  }
  return text.empty() ? "nothing" : text;
}

}  // namespace tarsil::test
