#include "engine/linux/key_forwarder.h"

#include <gtest/gtest.h>

#include "forwarder_scenario.h"

namespace tarsil::test {
namespace {

TEST(Forwarding, ATranslatedKeyPressesRepeatsAndReleasesItsReplacement) {
  ForwarderScenario s;
  s.map("1: A = B");
  EXPECT_EQ(s.run("A down; A repeat; A repeat; A up"), "B down; B repeat; B repeat; B up");
  EXPECT_EQ(s.run("C down; C repeat; C up"), "C down; C repeat; C up");
  s.map("1: H = H E L O");
  EXPECT_EQ(s.run("H down; H up"), "H down, E down, L down, O down; H up, E up, L up, O up");
  s.map("1: F2 =");
  EXPECT_EQ(s.run("F2 down; F2 up"), "nothing; nothing");
  // 20 keys: 40 events, written in parts a reader's buffer takes.
  s.map("1: F2 = A B C D E F G H I J K L M N O P Q R S T");
  std::string downs;
  for (char key = 'A'; key <= 'T'; ++key)
    downs += std::string(downs.empty() ? "" : ", ") + key + " down";
  EXPECT_EQ(s.run("F2 down"), downs);
}

TEST(Forwarding, ACopyChordLeavesTheUsersCtrlToTheUser) {
  ForwarderScenario s;
  s.map("1: F1 = Ctrl C");
  EXPECT_EQ(s.run("LEFTCTRL down; F1 down; F1 up; LEFTCTRL up"),
            "LEFTCTRL down; LEFTCTRL repeat, C down; C up; LEFTCTRL up");
  // The user's Ctrl comes after the chord's and goes before it.
  EXPECT_EQ(s.run("F1 down; LEFTCTRL down; LEFTCTRL up; F1 up"),
            "LEFTCTRL down, C down; LEFTCTRL down; nothing; LEFTCTRL up, C up");
}

TEST(Forwarding, ThePlayersStrokesGoOutAtOnceAndSpareTheKeysTheUserHolds) {
  ForwarderScenario s;
  s.map("1: A = B");
  EXPECT_EQ(s.run("play A down; play A up"), "A down; A up");  // not translated
  EXPECT_EQ(s.run("LEFTSHIFT down; play LShift down; play LShift up; LEFTSHIFT up"),
            "LEFTSHIFT down; LEFTSHIFT repeat; nothing; LEFTSHIFT up");
}

TEST(Forwarding, EverythingElsePassesAsItCame) {
  ForwarderScenario s;
  s.map("1: A = B");
  EXPECT_EQ(s.run("msc 458756; A down"), "scan 458756; B down");
  // Keys Windows has no code for go on without the translation seeing them.
  EXPECT_EQ(s.run("BRIGHTNESSUP down; BRIGHTNESSUP up"), "BRIGHTNESSUP down; BRIGHTNESSUP up");
  // The lamps written to a grabbed keyboard come back from it: not input.
  EXPECT_EQ(s.run("echo"), "nothing");
}

TEST(Forwarding, KeypadKeysAreLookedUpByTheVirtualKeyboardsNumLock) {
  ForwarderScenario s;
  s.map("1: Left = B").map("1: 12 = C").map("1: Sep = 124").map("1: Enter = Esc");
  EXPECT_EQ(s.run("numlock on"), "kbd1 NumLock on");
  EXPECT_EQ(s.run("KP4 down; KP4 up; KP5 down; KP5 up"), "KP4 down; KP4 up; KP5 down; KP5 up");
  // Off, keypad 4 is Left and keypad 5 Clear (12), as Windows reports them.
  EXPECT_EQ(s.run("numlock off; KP4 down; KP4 up; KP5 down; KP5 up"),
            "kbd1 NumLock off; B down; B up; C down; C up");
  // While the NumLock key is held the state counts as off; with Shift down
  // keypad 4 is Left whatever NumLock says.
  EXPECT_EQ(s.run("numlock on; NUMLOCK down; KP4 down; KP4 up; NUMLOCK up"),
            "kbd1 NumLock on; NUMLOCK down; B down; B up; NUMLOCK up");
  EXPECT_EQ(s.run("LEFTSHIFT down; KP4 down; KP4 up; LEFTSHIFT up"),
            "LEFTSHIFT down; B down; B up; LEFTSHIFT up");
  // The keypad's Enter has its own code; with Alt down it is the main Enter.
  EXPECT_EQ(s.run("KPENTER down; KPENTER up"), "F13 down; F13 up");
  EXPECT_EQ(s.run("LEFTALT down; KPENTER down; KPENTER up; LEFTALT up"),
            "LEFTALT down; ESC down; ESC up; LEFTALT up");
}

TEST(Forwarding, TheLampsOfTheVirtualKeyboardLightEveryKeyboard) {
  ForwarderScenario s;
  EXPECT_EQ(s.run("numlock on; plug 2"),
            "kbd1 NumLock on; kbd2 NumLock on, kbd2 CapsLock off, kbd2 ScrollLock off, "
            "kbd2 Compose off, kbd2 Kana off");
  EXPECT_EQ(s.run("numlock off"), "kbd1 NumLock off, kbd2 NumLock off");
}

TEST(HeldKeys, AKeyboardThatGoesReleasesWhatItHeldAndNothingElse) {
  ForwarderScenario s;
  s.map("1: F1 = Ctrl C").map("1: A = B");
  EXPECT_EQ(s.run("plug 2; A@2 down; LEFTSHIFT down; F1 down; unplug 1"),
            "kbd2 NumLock off, kbd2 CapsLock off, kbd2 ScrollLock off, kbd2 Compose off, "
            "kbd2 Kana off; B down; LEFTSHIFT down; LEFTCTRL down, C down; "
            "LEFTSHIFT up, LEFTCTRL up, C up");
  EXPECT_EQ(s.run("A@2 up"), "B up");
  // A key that passed comes up too, in a report of its own.
  EXPECT_EQ(s.run("Q@2 down; unplug 2"), "Q down; Q up");
}

TEST(HeldKeys, AKeyAlreadyDownWhenTheKeyboardWasTakenComesUpUntranslated) {
  ForwarderScenario s;
  s.map("1: A = B");
  EXPECT_EQ(s.run("A repeat; A up; A down; A up"), "A repeat; nothing; B down; B up");
}

TEST(HeldKeys, LostEventsReleaseTheKeysTheKeyboardMayNoLongerHold) {
  ForwarderScenario s;
  s.map("1: F1 = Ctrl C");
  // The fragment between SYN_DROPPED and the next report is not forwarded.
  EXPECT_EQ(s.run("F1 down; dropped; F1 up"), "LEFTCTRL down, C down; LEFTCTRL up, C up; nothing");
}

TEST(HeldKeys, StoppingAndEndingReleaseWhatIsHeld) {
  ForwarderScenario s;
  s.map("1: F1 = Ctrl C");
  EXPECT_EQ(s.run("F1 down; stop; A down; F1 up; A up"),
            "LEFTCTRL down, C down; LEFTCTRL up, C up, A down; nothing; A up");
  EXPECT_EQ(s.run("resume; LEFTSHIFT down; F1 down; release all"),
            "LEFTSHIFT down; LEFTCTRL down, C down; LEFTCTRL up, C up");
  EXPECT_EQ(s.run("F1 up; F1 down; release everything"),
            "nothing; LEFTCTRL down, C down; LEFTCTRL up, C up, LEFTSHIFT up");
}

}  // namespace
}  // namespace tarsil::test
