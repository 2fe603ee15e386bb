#pragma once

// A small language for key-translation scenarios, so each case reads as one
// line: "A down; profile 2; A up" -> "Ctrl down, C down; Ctrl up, C up".
//
// Steps, separated by ';':
//   <key>[*] down|up [alt] [injected] [already]
//                                        a key event (* = extended flag) with
//                                        the key's scan code; "already": the
//                                        key state showed it down before
//   profile <n>                          sets the active profile number
//   numlock on|off|held|<raw state>      what the NumLock read returns
//   stop | resume                        the hook's stopped flag
//   pause on|off                         KeyTranslator::setPaused
//   release all                          KeyTranslator::releaseAll
//   map <p>: <key> = <key>...            edits a table (empty list allowed)
//   unmap <p>: <key>                     removes an entry
//   act <p>: <key> = macro <n> | profile <n> | next profile
//                                        gives a key an action
// Each key event and each "release all" adds one entry to the transcript:
// "pass", "pass as <key>" (the record passed on carries another code),
// "stop", "swallow" (nothing sent), or the strokes sent and the actions
// handed on, in order: "Ctrl down, C* up", "macro 2 down", "profile 3 up".

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/key_translator.h"
#include "profile/key_types.h"

namespace tarsil::test {

// The pieces of a scenario: steps split at ';' (kept when empty, so an
// empty step is an error), words split at blanks, decimal numbers.
std::string_view trim(std::string_view text);
std::vector<std::string_view> split(std::string_view text, char separator);
std::vector<std::string_view> words(std::string_view text);
long number(std::string_view text);

// "Ctrl" -> 17, "A" -> 65, "108" -> 108.
KeyCode keyCode(std::string_view name);
std::string keyName(std::uint32_t code);

class Scenario {
 public:
  // "1: A = Ctrl C": sets one table entry, as the step "map" does.
  Scenario& map(std::string_view assignment);
  std::string run(std::string_view steps);

  std::array<TranslationTable, 3> tables;
  std::array<KeyActionTable, 3> actions;
  std::int32_t activeProfile = 1;
  std::int16_t numLockState = 1;
  bool stopped = false;

  KeyTranslator translator;
  int numLockReads = 0;
  std::vector<std::size_t> batchSizes;  // every batch the platform received

 private:
  ProfileTables view() const;
  KeyPlatform platform();
  std::string step(std::string_view text);

  std::vector<std::string> sent_;  // strokes and actions, as the transcript shows them
};

}  // namespace tarsil::test
