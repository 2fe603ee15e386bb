#include "scenario.h"

#include <charconv>
#include <stdexcept>
#include <utility>

namespace tarsil::test {
namespace {

constexpr std::pair<std::string_view, KeyCode> kNames[] = {
    {"Back", 8},          {"Tab", 9},     {"Enter", 13},    {"Shift", 16},  {"Ctrl", 17},
    {"Alt", 18},          {"Esc", 27},    {"Space", 32},    {"PgUp", 33},   {"PgDn", 34},
    {"End", 35},          {"Home", 36},   {"Left", 37},     {"Up", 38},     {"Right", 39},
    {"Down", 40},         {"Ins", 45},    {"Del", 46},      {"LWin", 91},   {"RWin", 92},
    {"Apps", 93},         {"Num0", 96},   {"Num1", 97},     {"Num2", 98},   {"Num3", 99},
    {"Num4", 100},        {"Num5", 101},  {"Num6", 102},    {"Num7", 103},  {"Num8", 104},
    {"Num9", 105},        {"Mul", 106},   {"Add", 107},     {"Sep", 108},   {"Sub", 109},
    {"Dec", 110},         {"Div", 111},   {"F1", 112},      {"F2", 113},    {"NumLock", 144},
    {"LShift", 160},      {"LCtrl", 162}, {"RCtrl", 163},   {"LAlt", 164},  {"RAlt", 165},
    {"BrowserBack", 166}, {"Mute", 173},  {"VolDown", 174}, {"VolUp", 175}, {"Play", 179},
    {"App2", 183},
};

// The scan code a key's events carry, as a US keyboard reports it; a key and
// its keypad twin share one (Left and Num4 are both 0x4B), and the extended
// bit tells the arrow from the keypad key. Keys not listed carry none.
std::uint32_t scanCodeOf(KeyCode code) {
  // Letters A..Z.
  constexpr std::uint8_t kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                         0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                         0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  // Keypad 0..9 and their navigation twins.
  constexpr std::uint8_t kKeypad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
  constexpr std::pair<KeyCode, std::uint8_t> kOthers[] = {
      {8, 0x0E},   {9, 0x0F},   {13, 0x1C},  {16, 0x2A},  {17, 0x1D},  {18, 0x38},  {27, 0x01},
      {32, 0x39},  {33, 0x49},  {34, 0x51},  {35, 0x4F},  {36, 0x47},  {37, 0x4B},  {38, 0x48},
      {39, 0x4D},  {40, 0x50},  {45, 0x52},  {46, 0x53},  {91, 0x5B},  {92, 0x5C},  {93, 0x5D},
      {106, 0x37}, {107, 0x4E}, {109, 0x4A}, {110, 0x53}, {111, 0x35}, {112, 0x3B}, {113, 0x3C},
      {144, 0x45}, {160, 0x2A}, {162, 0x1D}, {163, 0x1D}, {164, 0x38}, {165, 0x38},
  };
  if (code >= 'A' && code <= 'Z') return kLetters[code - 'A'];
  if (code >= 96 && code <= 105) return kKeypad[code - 96];
  for (const auto& [known, scan] : kOthers) {
    if (known == code) return scan;
  }
  return 0;
}

std::string strokeText(const KeyStroke& stroke) {
  return keyName(stroke.vk) + (stroke.extended ? "*" : "") + (stroke.up ? " up" : " down");
}

std::string actionText(const KeyAction& action) {
  switch (action.kind) {
    case KeyActionKind::kPlayMacro:
      return "macro " + std::to_string(action.value);
    case KeyActionKind::kSwitchProfile:
      return action.value == kNextProfile ? "next profile"
                                          : "profile " + std::to_string(action.value);
    case KeyActionKind::kNone:
      break;
  }
  return "no action";
}

}  // namespace

std::string_view trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const auto at = text.find(separator);
    parts.push_back(trim(text.substr(0, at)));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> result;
  for (const std::string_view word : split(text, ' ')) {
    if (!word.empty()) result.push_back(word);
  }
  return result;
}

long number(std::string_view text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) {
    throw std::invalid_argument("not a number: " + std::string(text));
  }
  return value;
}

KeyCode keyCode(std::string_view name) {
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return name[0];
  for (const auto& [known, code] : kNames) {
    if (known == name) return code;
  }
  return static_cast<KeyCode>(number(name));
}

std::string keyName(std::uint32_t code) {
  if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code));
  for (const auto& [known, value] : kNames) {
    if (static_cast<std::uint32_t>(value) == code) return std::string(known);
  }
  return std::to_string(code);
}

Scenario& Scenario::map(std::string_view assignment) {
  const auto colon = assignment.find(':');
  const auto equals = assignment.find('=');
  if (colon == std::string_view::npos || equals == std::string_view::npos) {
    throw std::invalid_argument("expected '<profile>: <key> = <keys>'");
  }
  auto& table = tables.at(static_cast<std::size_t>(number(trim(assignment.substr(0, colon))) - 1));
  KeyList list;
  for (const std::string_view word : words(assignment.substr(equals + 1))) {
    list.push_back(keyCode(word));
  }
  table[keyCode(trim(assignment.substr(colon + 1, equals - colon - 1)))] = std::move(list);
  return *this;
}

std::string Scenario::run(std::string_view steps) {
  std::string transcript;
  for (const std::string_view text : split(steps, ';')) {
    std::string entry = step(text);
    if (entry.empty()) continue;
    if (!transcript.empty()) transcript += "; ";
    transcript += entry;
  }
  return transcript;
}

ProfileTables Scenario::view() const {
  return ProfileTables{
      {&tables[0], &tables[1], &tables[2]}, activeProfile, {&actions[0], &actions[1], &actions[2]}};
}

KeyPlatform Scenario::platform() {
  KeyPlatform platform;
  platform.context = this;
  platform.readNumLockState = [](void* context) {
    auto* self = static_cast<Scenario*>(context);
    ++self->numLockReads;
    return self->numLockState;
  };
  platform.sendStrokes = [](void* context, const KeyStroke* strokes, std::size_t count) {
    auto* self = static_cast<Scenario*>(context);
    self->batchSizes.push_back(count);
    for (std::size_t i = 0; i < count; ++i) self->sent_.push_back(strokeText(strokes[i]));
  };
  platform.handleAction = [](void* context, const KeyAction& action, bool up) {
    auto* self = static_cast<Scenario*>(context);
    self->sent_.push_back(actionText(action) + (up ? " up" : " down"));
  };
  return platform;
}

std::string Scenario::step(std::string_view text) {
  const std::vector<std::string_view> w = words(text);
  if (w.empty()) throw std::invalid_argument("empty step");
  if (w[0] == "profile") {
    activeProfile = static_cast<std::int32_t>(number(w.at(1)));
    return {};
  }
  if (w[0] == "numlock") {
    const std::string_view state = w.at(1);
    numLockState = state == "on"     ? std::int16_t{1}
                   : state == "off"  ? std::int16_t{0}
                   : state == "held" ? std::int16_t{-127}  // toggled on, key down
                                     : static_cast<std::int16_t>(number(state));
    return {};
  }
  if (w[0] == "stop" || w[0] == "resume") {
    stopped = w[0] == "stop";
    return {};
  }
  if (w[0] == "pause") {
    translator.setPaused(w.at(1) == "on");
    return {};
  }
  if (w[0] == "map") {
    map(trim(text.substr(3)));
    return {};
  }
  if (w[0] == "act") {
    const auto colon = text.find(':');
    const auto equals = text.find('=');
    if (colon == std::string_view::npos || equals == std::string_view::npos) {
      throw std::invalid_argument("expected 'act <profile>: <key> = <action>'");
    }
    const std::vector<std::string_view> what = words(text.substr(equals + 1));
    KeyAction action;
    if (what.size() == 2 && what[0] == "macro") {
      action = {KeyActionKind::kPlayMacro, static_cast<std::int32_t>(number(what[1]))};
    } else if (what.size() == 2 && what[0] == "profile") {
      action = {KeyActionKind::kSwitchProfile, static_cast<std::int32_t>(number(what[1]))};
    } else if (what.size() == 2 && what[0] == "next" && what[1] == "profile") {
      action = {KeyActionKind::kSwitchProfile, kNextProfile};
    } else {
      throw std::invalid_argument("unknown action: " + std::string(text));
    }
    const auto profile = static_cast<std::size_t>(number(trim(text.substr(3, colon - 3))) - 1);
    actions.at(profile)[keyCode(trim(text.substr(colon + 1, equals - colon - 1)))] = action;
    return {};
  }
  if (w[0] == "unmap") {
    const auto parts = split(text.substr(5), ':');
    tables.at(static_cast<std::size_t>(number(parts.at(0)) - 1)).erase(keyCode(parts.at(1)));
    return {};
  }

  sent_.clear();
  KeyDecision decision{KeyVerdict::kSwallow, 0};
  if (text == "release all") {
    translator.releaseAll(view(), platform());
  } else {
    std::string_view key = w[0];
    KeyEvent event;
    if (key.ends_with('*')) {
      key.remove_suffix(1);
      event.flags |= kEventExtended;
    }
    event.vkCode = static_cast<std::uint32_t>(keyCode(key));
    event.scanCode = scanCodeOf(keyCode(key));
    if (w.at(1) == "up") {
      event.flags |= kEventUp;
    } else if (w[1] != "down") {
      throw std::invalid_argument("expected down or up: " + std::string(text));
    }
    for (std::size_t i = 2; i < w.size(); ++i) {
      if (w[i] == "alt") {
        event.flags |= 0x20;
      } else if (w[i] == "injected") {
        event.flags |= kEventInjected;
      } else if (w[i] == "already") {
        event.wasDown = true;
      } else {
        throw std::invalid_argument("unknown event flag: " + std::string(w[i]));
      }
    }
    decision = translator.decide(event, view(), stopped, platform());
    if (decision.verdict == KeyVerdict::kStop) return "stop";
    if (decision.verdict == KeyVerdict::kPass) {
      return decision.vkCode == event.vkCode ? "pass" : "pass as " + keyName(decision.vkCode);
    }
  }
  if (sent_.empty()) return text == "release all" ? "nothing" : "swallow";
  std::string strokes;
  for (const std::string& item : sent_) {
    if (!strokes.empty()) strokes += ", ";
    strokes += item;
  }
  return strokes;
}

}  // namespace tarsil::test
