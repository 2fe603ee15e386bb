#include "engine/macro_player.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "player_scenario.h"

namespace tarsil::test {
namespace {

TEST(MacroPlayer, SequenceOncePlaysEachStepAfterItsDelayAndIgnoresPressesMeanwhile) {
  PlayerScenario s;
  s.macro(1, 0, "sequence: A down, 100 A up, 50 B down, 20 B up").bind(1, "F1", 0);
  EXPECT_EQ(s.run("0: F1 down; 10: F1 up; 60: F1 down; 70: F1 up; until 400"),
            "0 A down, 100 A up, 150 B down, 170 B up");
  // Once the pass is over, a press plays it again.
  EXPECT_EQ(s.run("500: F1 down; 501: F1 up; until 800"),
            "500 A down, 600 A up, 650 B down, 670 B up");
  EXPECT_EQ(s.player.playingCount(), 0u);
}

TEST(MacroPlayer, ADelayCountsFromWhenTheStepBeforeHadGoneOut) {
  PlayerScenario s;
  s.macro(1, 0, "sequence: A down, 10 B down, C down, 10 D down").bind(1, "F1", 0);
  s.sendCost = 3000;  // each send takes 3 ms
  // The pass ends with every key down: all come up at its end.
  EXPECT_EQ(s.run("0: F1 down; until 100"),
            "0 A down, 13 B down, 13 C down, 26 D down, 26 A up, 26 B up, 26 C up, 26 D up");
}

TEST(MacroPlayer, RepeatWhileHeldStopsAtTheReleaseAndLetsGoOfWhatItHolds) {
  PlayerScenario s;
  s.macro(1, 0, "repeat: 20 A down, 30 A up").bind(1, "F1", 0);
  // The key's auto-repeats change nothing; its release stops mid-pass.
  EXPECT_EQ(s.run("0: F1 down; 40: F1 down; 85: F1 up; until 300"),
            "20 A down, 50 A up, 70 A down, 85 A up");
}

TEST(MacroPlayer, ToggleStartsOnAPressAndStopsOnTheNext) {
  PlayerScenario s;
  s.macro(1, 0, "toggle: Shift down, 10 B down, 10 B up, 10 Shift up").bind(1, "F1", 0);
  EXPECT_EQ(s.run("0: F1 down; 5: F1 up; until 29; 35: F1 down; 36: F1 up; until 200"),
            "0 Shift down, 10 B down, 20 B up, 30 Shift up, 30 Shift down, 35 Shift up");
}

TEST(MacroPlayer, APassWithoutDelaysRepeatsNoFasterThanTheShortestPass) {
  PlayerScenario s;
  s.macro(1, 0, "toggle: A down, A up").bind(1, "F1", 0);
  EXPECT_EQ(s.run("0: F1 down; 1: F1 up; until 25; 26: F1 down"),
            "0 A down, 0 A up, 10 A down, 10 A up, 20 A down, 20 A up");
}

TEST(MacroPlayer, EveryStopReleasesWhatThePlayerHolds) {
  PlayerScenario s;
  s.macro(1, 0, "toggle: A down, 50 B down, 50 B up, 50 A up")
      .macro(1, 1, "sequence: C down, 10 C up")
      .macro(2, 0, "toggle: D down, 50 D up")
      .bind(1, "F1", 0)
      .bind(2, "F1", 0);
  // Exit, unplugging, a reload.
  EXPECT_EQ(s.run("0: F1 down; 1: F1 up; 60: stop; until 300"),
            "0 A down, 50 B down, 60 A up, 60 B up");
  // A profile switch.
  EXPECT_EQ(s.run("400: F1 down; 401: F1 up; 420: profile 2; 430: F1 down; 440: profile 1; "
                  "445: F1 up"),
            "400 A down, 420 A up, 430 D down, 440 D up");
  // A second macro of the same key: the first stops before it starts.
  EXPECT_EQ(s.run("500: F1 down; 501: F1 up; 520: act F1 = macro 1; 530: F1 down; 531: F1 up; "
                  "until 600"),
            "500 A down, 530 A up, 530 C down, 540 C up");
  // The hook removed while the trigger is held.
  s.run("600: act F1 = macro 0");
  EXPECT_EQ(s.run("700: F1 down; 710: unhook; until 900"), "700 A down, 710 A up");
  EXPECT_EQ(s.player.playingCount(), 0u);
}

TEST(MacroPlayer, AKeyTheUserHoldsIsNeverReleasedByThePlayer) {
  PlayerScenario s;
  s.macro(1, 0, "sequence: LShift down, A down, 10 A up, LShift up").bind(1, "F1", 0);
  // The user's Shift stays down through the macro and goes up at the user's release.
  EXPECT_EQ(s.run("0: LShift down; 5: F1 down; 6: F1 up; 40: LShift up"),
            "0 LShift down, 5 LShift down, 5 A down, 15 A up, 40 LShift up");
  // The user presses and lets go of Shift while the player holds it: the
  // user's release waits for the player's.
  s.macro(1, 1, "sequence: LShift down, 50 LShift up").bind(1, "F2", 1);
  EXPECT_EQ(s.run("100: F2 down; 110: LShift down; 120: LShift up; until 200"),
            "100 LShift down, 110 LShift down, 150 LShift up");
  // When translation ends, the player keeps its hands off the user's keys.
  s.macro(1, 2, "toggle: LShift down, 50 LShift up, 50 Ctrl down, Ctrl up").bind(1, "F1", 2);
  EXPECT_EQ(s.run("300: LShift down; 310: F1 down; 311: F1 up; 320: unhook; until 500"),
            "300 LShift down, 310 LShift down");
}

TEST(MacroPlayer, AKeyAChordAndThePlayerBothHoldGoesUpWithTheLastOfThem) {
  PlayerScenario s;
  s.macro(1, 0, "sequence: Ctrl down, 100 Ctrl up").bind(1, "F1", 0);
  s.run("0: map C = Ctrl V");
  EXPECT_EQ(s.run("0: F1 down; 1: F1 up; 10: C down; 20: C up; 30: C down; 160: C up"),
            "0 Ctrl down, 10 Ctrl down, 10 V down, 20 V up, 30 Ctrl down, 30 V down, 160 Ctrl up, "
            "160 V up");
  // Translation ends while both hold Ctrl: the chord leaves it to the player.
  EXPECT_EQ(s.run("200: F1 down; 201: F1 up; 210: C down; 240: unhook"),
            "200 Ctrl down, 210 Ctrl down, 210 V down, 240 V up, 240 Ctrl up");
}

TEST(MacroPlayer, OtherKeysGoOnBeingTranslatedDuringPlayback) {
  PlayerScenario s;
  s.macro(1, 0, "sequence: A down, 100 A up").bind(1, "F1", 0);
  EXPECT_EQ(s.run("0: map C = Ctrl V; 0: F1 down; 0: F1 up; 20: C down; 30: C up; 40: Z down; "
                  "until 200"),
            "0 A down, 20 Ctrl down, 20 V down, 30 Ctrl up, 30 V up, 40 Z down, 100 A up");
}

TEST(MacroPlayer, ChordsAreNotPlayedAndMacrosWithoutStepsDoNotStart) {
  PlayerScenario s;
  s.macro(1, 0, "chord: A down, 100 A up").bind(1, "F1", 0);
  s.macro(1, 1, "toggle:").bind(1, "F2", 1);
  EXPECT_EQ(s.run("0: F1 down; 1: F1 up; 2: F2 down; 3: F2 up; until 100"), "");
  EXPECT_EQ(s.player.playingCount(), 0u);
}

TEST(MacroPlayer, ALongMacroPlaysEveryStepInOrderOnTime) {
  PlayerScenario s;
  std::string line = "sequence: ";
  for (int i = 0; i < 64; ++i) {
    const std::string key = std::string(1, static_cast<char>('A' + i % 26));
    line += (i == 0 ? "" : ", 3 ") + key + " down, 2 " + key + " up";
  }
  s.macro(1, 0, line).bind(1, "F1", 0);
  const std::string played = s.run("0: F1 down; until 1000");
  EXPECT_EQ(std::count(played.begin(), played.end(), ','), 127);
  EXPECT_EQ(played.substr(0, 22), "0 A down, 2 A up, 5 B ");
  EXPECT_EQ(played.substr(played.size() - 8), "317 L up");
}

TEST(MacroLibrary, DelaysOutOfRangeAreHeldToItAndPartialStepsDropped) {
  const TimedMacro macro =
      timedMacro({0, 65, 1, 0, 65, 0, 0, 66}, {MacroMode::kToggle, {-5, kMaxStepDelayMs + 1, 9}});
  EXPECT_EQ(macro, (TimedMacro{MacroMode::kToggle, {{65, true, 0}, {65, false, kMaxStepDelayMs}}}));
  PlayerScenario s;
  s.macro(1, 0, "sequence: A down, 60000 A up").bind(1, "F1", 0);
  EXPECT_EQ(s.run("0: F1 down; until 70000"), "0 A down, 60000 A up");
}

}  // namespace
}  // namespace tarsil::test
