#pragma once

// Scenarios of timed macros on a fake clock: keys go through the translator
// as the hook would send them, action keys reach the macro player, and the
// player's strokes come back through the translator with the player's mark,
// as they do on Windows. The transcript is what the system receives, with
// the millisecond it is sent:
//   "0 A down, 100 A up, 150 Shift up"
//
// Macros, one line each ("macro"): a mode, ':', then steps separated by ','
// as "[delay] <key> down|up" (the delay in ms before the step, 0 when left
// out):  "sequence: A down, 100 A up, 50 B down, B up". Modes: chord,
// sequence, repeat, toggle.
//
// Steps of run(), separated by ';', each at a time in ms ("<ms>: ..."):
//   <ms>: <key> down|up     a key of the user's keyboard
//   <ms>: profile <n>       the active profile becomes n; the player stops,
//                           as the program stops it on a switch
//   <ms>: act <key> = macro <n>
//                           the key plays macro n of the active profile
//   <ms>: stop              every playback stops (exit, reload, unplug)
//   <ms>: unhook            translation ends: the translator lets go, then
//                           the player stops and keeps the user's keys
//   <ms>: map <key> = <key>...
//                           a translation entry of the active profile
//   until <ms>              the clock runs on to that time
// Between steps the clock runs, waking the player exactly when it asks.

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/key_translator.h"
#include "engine/macro_player.h"
#include "profile/macro_library.h"

namespace tarsil::test {

class PlayerScenario {
 public:
  // Macro `index` of profile 1..3, as a macro line; the key `key` plays it.
  PlayerScenario& macro(std::int32_t profile, std::int32_t index, std::string_view line);
  PlayerScenario& bind(std::int32_t profile, std::string_view key, std::int32_t index);
  std::string run(std::string_view steps);

  MacroPlayer player;
  KeyTranslator translator;
  std::array<TranslationTable, 3> tables;
  std::array<KeyActionTable, 3> actions;
  std::int32_t activeProfile = 1;
  PlayerTime now = 0;  // microseconds
  // How long a send takes before the strokes are out (StrokeOutput::sentAt).
  PlayerTime sendCost = 0;

 private:
  void advanceTo(PlayerTime time);
  void step(std::string_view text);
  ProfileTables view() const;
  KeyPlatform platform();
  StrokeOutput output();

  std::shared_ptr<MacroLibrary> library_ = std::make_shared<MacroLibrary>();
  bool libraryGiven_ = false;
  std::vector<std::string> sent_;
};

// A macro line as a TimedMacro.
TimedMacro parseMacro(std::string_view line);

}  // namespace tarsil::test
