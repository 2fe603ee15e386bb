#include "player_scenario.h"

#include <stdexcept>

#include "scenario.h"

namespace tarsil::test {
namespace {

constexpr PlayerTime kMs = 1000;

MacroMode modeNamed(std::string_view name) {
  if (name == "chord") return MacroMode::kChord;
  if (name == "sequence") return MacroMode::kSequenceOnce;
  if (name == "repeat") return MacroMode::kRepeatWhileHeld;
  if (name == "toggle") return MacroMode::kToggle;
  throw std::invalid_argument("unknown mode: " + std::string(name));
}

bool isUp(std::string_view word) {
  if (word != "down" && word != "up") {
    throw std::invalid_argument("expected down or up: " + std::string(word));
  }
  return word == "up";
}

}  // namespace

TimedMacro parseMacro(std::string_view line) {
  const auto colon = line.find(':');
  if (colon == std::string_view::npos) throw std::invalid_argument("expected '<mode>: <steps>'");
  TimedMacro macro;
  macro.mode = modeNamed(trim(line.substr(0, colon)));
  if (trim(line.substr(colon + 1)).empty()) return macro;
  for (const std::string_view step : split(line.substr(colon + 1), ',')) {
    std::vector<std::string_view> w = words(step);
    TimedStep timed;
    if (w.size() == 3) {
      timed.delayMs = static_cast<std::int32_t>(number(w[0]));
      w.erase(w.begin());
    }
    if (w.size() != 2) throw std::invalid_argument("bad step: " + std::string(step));
    timed.vk = keyCode(w[0]);
    timed.down = !isUp(w[1]);
    macro.steps.push_back(timed);
  }
  return macro;
}

PlayerScenario& PlayerScenario::macro(std::int32_t profile, std::int32_t index,
                                      std::string_view line) {
  auto& macros = library_->profiles.at(static_cast<std::size_t>(profile - 1));
  if (macros.size() <= static_cast<std::size_t>(index)) {
    macros.resize(static_cast<std::size_t>(index) + 1);
  }
  macros[static_cast<std::size_t>(index)] = parseMacro(line);
  libraryGiven_ = false;
  return *this;
}

PlayerScenario& PlayerScenario::bind(std::int32_t profile, std::string_view key,
                                     std::int32_t index) {
  actions.at(static_cast<std::size_t>(profile - 1))[keyCode(key)] = {KeyActionKind::kPlayMacro,
                                                                     index};
  return *this;
}

ProfileTables PlayerScenario::view() const {
  return ProfileTables{
      {&tables[0], &tables[1], &tables[2]}, activeProfile, {&actions[0], &actions[1], &actions[2]}};
}

namespace {

std::string strokeText(PlayerTime at, std::uint32_t vk, bool extended, bool up) {
  return std::to_string(at / kMs) + " " + keyName(vk) + (extended ? "*" : "") +
         (up ? " up" : " down");
}

}  // namespace

KeyPlatform PlayerScenario::platform() {
  KeyPlatform platform;
  platform.context = this;
  platform.readNumLockState = [](void*) { return std::int16_t{1}; };
  platform.sendStrokes = [](void* context, const KeyStroke* strokes, std::size_t count) {
    auto* self = static_cast<PlayerScenario*>(context);
    for (std::size_t i = 0; i < count; ++i) {
      self->sent_.push_back(
          strokeText(self->now, strokes[i].vk, strokes[i].extended, strokes[i].up));
    }
  };
  platform.handleAction = [](void* context, const KeyAction& action, bool up) {
    auto* self = static_cast<PlayerScenario*>(context);
    if (action.kind != KeyActionKind::kPlayMacro) return;
    if (up) {
      self->player.release(action.trigger, self->now, self->output());
    } else {
      self->player.press({self->activeProfile, action.value, action.trigger, true}, self->now,
                         self->output());
    }
  };
  return platform;
}

StrokeOutput PlayerScenario::output() {
  // The player's strokes come back through the hook, marked as the player's.
  return {[](void* context, const KeyStroke* strokes, std::size_t count) {
            auto* self = static_cast<PlayerScenario*>(context);
            for (std::size_t i = 0; i < count; ++i) {
              const KeyStroke& s = strokes[i];
              if (self->translator.playerStroke(s.vk, s.extended, s.up) == KeyVerdict::kPass) {
                self->sent_.push_back(strokeText(self->now, s.vk, s.extended, s.up));
              }
            }
          },
          this,
          [](void* context) {
            const auto* self = static_cast<const PlayerScenario*>(context);
            return self->now + self->sendCost;
          }};
}

void PlayerScenario::advanceTo(PlayerTime time) {
  for (;;) {
    const std::optional<PlayerTime> next = player.run(now, output());
    if (!next || *next > time) break;
    now = *next;
  }
  now = time;
}

std::string PlayerScenario::run(std::string_view steps) {
  if (!libraryGiven_) {
    player.setLibrary(library_, output());
    libraryGiven_ = true;
  }
  sent_.clear();
  for (const std::string_view text : split(steps, ';')) step(text);
  std::string transcript;
  for (const std::string& item : sent_) transcript += (transcript.empty() ? "" : ", ") + item;
  return transcript;
}

void PlayerScenario::step(std::string_view text) {
  const std::vector<std::string_view> w = words(text);
  if (w.size() == 2 && w[0] == "until") {
    advanceTo(number(w[1]) * kMs);
    return;
  }
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) throw std::invalid_argument("expected '<ms>: <step>'");
  advanceTo(number(trim(text.substr(0, colon))) * kMs);
  const std::string_view what = trim(text.substr(colon + 1));
  const std::vector<std::string_view> v = words(what);
  if (v.empty()) throw std::invalid_argument("empty step");
  if (v[0] == "profile") {
    activeProfile = static_cast<std::int32_t>(number(v.at(1)));
    player.stopAll(output());
  } else if (v[0] == "stop") {
    player.stopAll(output());
  } else if (v[0] == "unhook") {
    const KeySet keep = translator.userHeldKeys();
    translator.releaseAll(view(), platform());
    StrokeOutput direct{[](void* context, const KeyStroke* strokes, std::size_t count) {
                          auto* self = static_cast<PlayerScenario*>(context);
                          for (std::size_t i = 0; i < count; ++i) {
                            self->sent_.push_back(strokeText(self->now, strokes[i].vk,
                                                             strokes[i].extended, strokes[i].up));
                          }
                        },
                        this};
    player.stopAll(direct, &keep);
  } else if (v[0] == "act") {
    const auto equals = what.find('=');
    const std::vector<std::string_view> target = words(what.substr(equals + 1));
    actions.at(static_cast<std::size_t>(activeProfile - 1))[keyCode(v.at(1))] = {
        KeyActionKind::kPlayMacro, static_cast<std::int32_t>(number(target.at(1)))};
  } else if (v[0] == "map") {
    const auto equals = what.find('=');
    KeyList list;
    for (const std::string_view key : words(what.substr(equals + 1))) list.push_back(keyCode(key));
    tables.at(static_cast<std::size_t>(activeProfile - 1))[keyCode(v.at(1))] = list;
  } else if (v.size() == 2) {
    KeyEvent event;
    event.vkCode = static_cast<std::uint32_t>(keyCode(v[0]));
    event.flags = isUp(v[1]) ? kEventUp : 0u;
    if (translator.decide(event, view(), false, platform()).verdict == KeyVerdict::kPass) {
      sent_.push_back(strokeText(now, event.vkCode, false, isUp(v[1])));
    }
  } else {
    throw std::invalid_argument("unknown step: " + std::string(text));
  }
  advanceTo(now);  // what is due at once goes out at once
}

}  // namespace tarsil::test
