#include "engine/key_translator.h"

#include <gtest/gtest.h>

#include <numeric>

#include "scenario.h"

namespace tarsil::test {
namespace {

TEST(KeyTranslation, KeysWithoutAnAssignmentOfTheirOwnPassUntouched) {
  Scenario s;
  s.map("1: B = B").map("1: C = C C");
  EXPECT_EQ(s.run("A down; A up"), "pass; pass");
  EXPECT_EQ(s.run("B down; B down; B up"), "pass; pass; pass");
  // Only a list of exactly the key itself leaves it alone.
  EXPECT_EQ(s.run("C down; C up"), "C down, C down; C up");
}

TEST(KeyTranslation, AnEmptyListDisablesTheKey) {
  Scenario s;
  s.map("1: A =");
  EXPECT_EQ(s.run("A down; A down; A up"), "swallow; swallow; swallow");
  EXPECT_EQ(s.translator.heldCount(), 0u);
}

TEST(KeyTranslation, ListsPlayAsChordsReleasingInPressOrder) {
  Scenario s;
  s.map("1: A = Ctrl Shift Esc").map("1: H = H E L L O");
  EXPECT_EQ(s.run("A down; A up"), "Ctrl down, Shift down, Esc down; Ctrl up, Shift up, Esc up");
  // A key pressed twice is held once: one release lets go of it.
  EXPECT_EQ(s.run("H down; H up"),
            "H down, E down, L down, L down, O down; H up, E up, L up, O up");
}

TEST(KeyTranslation, AutoRepeatReplaysThePressesAndOneReleaseFollows) {
  Scenario s;
  s.map("1: A = Ctrl C");
  EXPECT_EQ(s.run("A down; A down; A down; A up"),
            "Ctrl down, C down; Ctrl down, C down; Ctrl down, C down; Ctrl up, C up");
}

TEST(KeyTranslation, KeypadEnterIsLookedUpAndPassedOnAs108) {
  Scenario s;
  EXPECT_EQ(s.run("Enter* down; Enter* up; Enter down"), "pass as Sep; pass as Sep; pass");
  // With Alt held the keypad Enter is taken for the main Enter.
  EXPECT_EQ(s.run("Enter* down alt; Enter* up alt"), "pass; pass");

  s.map("1: Sep = F1");
  EXPECT_EQ(s.run("Enter* down; Enter* up; Enter down; Enter up"), "F1 down; F1 up; pass; pass");
  s.map("1: Enter = B");
  EXPECT_EQ(s.run("Enter* down alt; Enter* up alt"), "B down; B up");
}

TEST(KeyTranslation, KeypadEnterReleasesWhatItsPressSentWhateverModifiersChange) {
  Scenario s;
  s.map("1: Sep = F1").map("1: Enter = B");
  // Alt went down while the key was held: the release carries 0xA1, which
  // alone would be looked up as the main Enter.
  EXPECT_EQ(s.run("Enter* down; Enter* up alt"), "F1 down; F1 up");
  EXPECT_EQ(s.run("Enter* down alt; Enter* up"), "B down; B up");
  // Both Enter keys held at once are two keys.
  EXPECT_EQ(s.run("Enter down; Enter* down; Enter* up; Enter up"), "B down; F1 down; F1 up; B up");
  EXPECT_EQ(s.translator.heldCount(), 0u);
}

TEST(KeyTranslation, NumLockRendersKeypadCodesNotTheOtherKeypadKeys) {
  Scenario s;
  s.map("1: A = Num0 Num1 Num2 Num3 Num4 Num5 Num6 Num7 Num8 Num9 Dec Mul Add Sub Div");
  EXPECT_EQ(s.run("numlock off; A down"),
            "Ins down, End down, Down down, PgDn down, Left down, Num5 down, Right down, "
            "Home down, Up down, PgUp down, Del down, Mul down, Add down, Sub down, Div* down");
  EXPECT_EQ(s.run("A up; numlock on; A down"),
            "Ins up, End up, Down up, PgDn up, Left up, Num5 up, Right up, Home up, Up up, "
            "PgUp up, Del up, Mul up, Add up, Sub up, Div* up; "
            "Num0 down, Num1 down, Num2 down, Num3 down, Num4 down, Num5 down, Num6 down, "
            "Num7 down, Num8 down, Num9 down, Dec down, Mul down, Add down, Sub down, Div* down");
}

TEST(KeyTranslation, NumLockCountsOnOnlyWhenToggledAndNotHeld) {
  Scenario s;
  s.map("1: A = Num4");
  EXPECT_EQ(s.run("numlock on; A down; A up"), "Num4 down; Num4 up");
  EXPECT_EQ(s.run("numlock held; A down; A up"), "Left down; Left up");
  EXPECT_EQ(s.run("numlock -128; A down; A up"), "Left down; Left up");
  EXPECT_EQ(s.run("numlock 3; A down; A up"), "Left down; Left up");
}

TEST(KeyTranslation, NumLockInsideAListDoesNotChangeHowTheEventRenders) {
  Scenario s;
  s.map("1: A = NumLock Num4 NumLock Num6");
  EXPECT_EQ(s.run("numlock on; A down; A up"),
            "NumLock* down, Num4 down, NumLock* down, Num6 down; "
            "NumLock* up, Num4 up, Num6 up");
  EXPECT_EQ(s.run("numlock off; A down"), "NumLock* down, Left down, NumLock* down, Right down");
}

TEST(KeyTranslation, NumLockIsReadOncePerPressAndOnlyForKeypadCodes) {
  Scenario s;
  s.map("1: A = Num4 Num6 Num8").map("1: B = Ctrl Num5").map("1: C = C");
  s.run("A down; A up; B down; B up; C down; C up; D down; D up");
  EXPECT_EQ(s.numLockReads, 1);
  // A key held down keeps the state its first press read.
  s.run("A down; A down; A down; A up");
  EXPECT_EQ(s.numLockReads, 2);
}

TEST(KeyTranslation, InjectedEventsAreNeverTranslated) {
  Scenario s;
  s.map("1: A = B").map("1: Enter = C");
  EXPECT_EQ(s.run("A down injected; A up injected; Enter* down injected"), "pass; pass; pass");
  // An injected release of a held key is someone else's: the held key stays
  // held until its own release.
  EXPECT_EQ(s.run("A down; A up injected; A up"), "B down; pass; B up");
}

TEST(KeyTranslation, TheNextEventUsesTheNewProfile) {
  Scenario s;
  s.map("1: A = Ctrl C").map("2: A = X").map("3: A =");
  EXPECT_EQ(s.run("profile 2; A down; A up; profile 3; A down; A up; profile 1; A down; A up"),
            "X down; X up; swallow; swallow; Ctrl down, C down; Ctrl up, C up");
}

TEST(KeyTranslation, AProfileOutsideOneToThreeTranslatesNothing) {
  Scenario s;
  s.map("1: A = B").map("2: A = B").map("3: A = B");
  EXPECT_EQ(s.run("profile 0; A down; A up; profile 4; A down; A up; profile -1; A down"),
            "pass; pass; pass; pass; pass");
  EXPECT_EQ(s.run("profile 0; Enter* down"), "pass as Sep");
}

TEST(KeyTranslation, StoppedPassesEveryEventAndAsksForTheHookToGo) {
  Scenario s;
  s.map("1: A = B");
  EXPECT_EQ(s.run("stop; A down; A up; Enter* down; resume; A down; A up"),
            "stop; stop; stop; B down; B up");
}

TEST(KeyTranslation, CodesBeyondAByteAreNoKeysAndAreSentAsTheirLowByte) {
  Scenario s;
  s.map("1: 300 = B").map("1: A = 293 -1");
  EXPECT_EQ(s.run("300 down; 300 up"), "pass; pass");
  EXPECT_EQ(s.run("A down; A up"), "Left down, 255 down; Left up, 255 up");
}

// No stuck keys: a release undoes what its own press did.

TEST(HeldKeys, ProfileSwitchWhileHeldReleasesWhatThePressSent) {
  Scenario s;
  s.map("1: A = Ctrl C").map("2: A = X");
  EXPECT_EQ(s.run("A down; profile 2; A down; A up; A down; A up"),
            "Ctrl down, C down; Ctrl down, C down; Ctrl up, C up; X down; X up");
  EXPECT_EQ(s.run("profile 1; A down; profile 0; A up"), "Ctrl down, C down; Ctrl up, C up");
}

TEST(HeldKeys, AKeyThatWentDownUntranslatedComesUpUntranslated) {
  Scenario s;
  s.map("2: B = Y");
  // Released as Y up, B would stay down for every program.
  EXPECT_EQ(s.run("B down; profile 2; B down; B up; B down; B up"),
            "pass; pass; pass; Y down; Y up");
  // The hook came in while the key was down: its release is not ours.
  EXPECT_EQ(s.run("B up"), "pass");
}

TEST(HeldKeys, NumLockChangeWhileHeldReleasesWhatThePressSent) {
  Scenario s;
  s.map("1: A = Num4 Left");
  EXPECT_EQ(s.run("numlock off; A down; numlock on; A down; A up"),
            "Left down, Left* down; Left down, Left* down; Left up, Left* up");
}

TEST(HeldKeys, TableEditWhileHeldReleasesEverythingPressedAndNothingElse) {
  Scenario s;
  s.map("1: A = Ctrl C");
  EXPECT_EQ(s.run("A down; map 1: A = X Ctrl; A up"), "Ctrl down, C down; Ctrl up, C up");
  EXPECT_EQ(s.run("A down; unmap 1: A; A down; A up"), "X down, Ctrl down; swallow; Ctrl up, X up");
  // A repeat after an edit presses the new list; the release covers both.
  s.map("1: A = Ctrl C");
  EXPECT_EQ(s.run("A down; map 1: A = X; A down; A up"),
            "Ctrl down, C down; X down; X up, Ctrl up, C up");
}

TEST(HeldKeys, ReleaseAllLetsGoOfEveryTranslatedKeyAndForgetsThem) {
  Scenario s;
  s.map("1: A = Ctrl C").map("1: Sep = RCtrl").map("2: Z = Shift");
  EXPECT_EQ(s.run("A down; Enter* down; profile 2; Z down; B down; release all"),
            "Ctrl down, C down; RCtrl* down; Shift down; pass; Ctrl up, C up, Shift up, RCtrl* up");
  EXPECT_EQ(s.translator.heldCount(), 0u);
  // The physical releases that follow are no longer ours, and B, which went
  // down untranslated, is forgotten too.
  s.map("2: B = Y");
  EXPECT_EQ(s.run("A up; Enter* up; Z up; B down; B up; release all"),
            "pass; pass as Sep; pass; Y down; Y up; nothing");
}

TEST(HeldKeys, WithEveryMemorySlotTakenAPressGoesThroughUntranslated) {
  Scenario s;
  for (KeyCode code = 1; code <= 40; ++code) s.tables[0][code] = {code + 184};
  for (std::uint32_t vk = 1; vk <= KeyTranslator::kMaxHeldKeys; ++vk) {
    ASSERT_EQ(s.translator.decide({vk, 0, 0}, {{&s.tables[0]}, 1}, false, {}).verdict,
              KeyVerdict::kSwallow);
  }
  EXPECT_EQ(s.run("40 down; 40 up"), "pass; pass");
  EXPECT_EQ(s.run("1 up; 40 down; 40 up"), "185 up; 224 down; 224 up");
}

TEST(HeldKeys, AKeypadKeyIsKnownByItsScanCodeWhateverCodeNumLockGivesIt) {
  Scenario s;
  s.map("1: Num4 = X").map("1: Left = Y");
  // Down as keypad 4, NumLock off, up as Left from the same key (scan 0x4B).
  EXPECT_EQ(s.run("numlock on; Num4 down; NumLock* down; NumLock* up; Left up"),
            "X down; pass; pass; X up");
  EXPECT_EQ(s.run("Left down; NumLock* down; NumLock* up; Num4 up"), "Y down; pass; pass; Y up");
  // Shift held turns the keypad key into Left too; the arrow key is another key.
  EXPECT_EQ(s.run("Num4 down; Left* down; Left* up; Left up"), "X down; Y down; Y up; X up");
  EXPECT_EQ(s.translator.heldCount(), 0u);
}

TEST(HeldKeys, AKeyAlreadyDownWhenTranslationBeginsPassesUntilItComesUp) {
  Scenario s;
  s.map("1: A = B").map("1: F1 = Ctrl C").map("1: LCtrl = Esc");
  // Its auto-repeats find it down before they reach us.
  EXPECT_EQ(s.run("A down already; A down already; A up; A down; A up"),
            "pass; pass; pass; B down; B up");
  // Down because a chord holds it is no reason: LCtrl is the user's fresh press.
  EXPECT_EQ(s.run("F1 down; LCtrl down already; LCtrl up; F1 up"),
            "Ctrl down, C down; Esc down; Esc up; Ctrl up, C up");
}

// A pause (a window capturing keys) hands the physical keys on as they are,
// and lets go of nothing the user holds.
TEST(HeldKeys, PausedNewPressesPassWhileHeldKeysKeepTheirMeaning) {
  Scenario s;
  s.map("1: A = B").map("1: F1 = Ctrl C").run("act 1: F2 = macro 1");
  // Copy held across the pause still lets go of its own keys; the user's
  // Ctrl pressed meanwhile outlives it.
  EXPECT_EQ(s.run("F1 down; pause on; A down; A up; LCtrl down; F1 up; F2 down; F2 up"),
            "Ctrl down, C down; pass; pass; pass; C up; pass; pass");
  // Pressed while paused, released after: it comes up as it went down.
  EXPECT_EQ(s.run("A down; pause off; A up; LCtrl up; A down; A up; F2 down"),
            "pass; pass; pass; B down; B up; macro 1 down");
}

// Chords share keys with each other and with the user's own fingers.

TEST(Chords, AReleaseLetsGoOnlyOfKeysNoOneElseHolds) {
  Scenario s;
  s.map("1: F1 = Ctrl C").map("1: F2 = Ctrl V");
  // The user's Ctrl outlives the Copy played while it was held.
  EXPECT_EQ(s.run("LCtrl down; F1 down; F1 up; V down; V up; LCtrl up"),
            "pass; Ctrl down, C down; C up; pass; pass; pass");
  // Copy and Paste held together: Ctrl stays down for the one still held.
  EXPECT_EQ(s.run("F1 down; F2 down; F1 up; F2 up"),
            "Ctrl down, C down; Ctrl down, V down; C up; Ctrl up, V up");
  // The user lets go of Ctrl while Copy holds it: Copy's release lets go.
  EXPECT_EQ(s.run("LCtrl down; F1 down; LCtrl up; F1 up"),
            "pass; Ctrl down, C down; swallow; Ctrl up, C up");
  // A chord's Ctrl is the left one: the right Ctrl held is another key.
  EXPECT_EQ(s.run("RCtrl* down; F1 down; F1 up; RCtrl* up"),
            "pass; Ctrl down, C down; Ctrl up, C up; pass");
}

TEST(Chords, ReleaseAllLeavesDownWhatTheUserStillHolds) {
  Scenario s;
  s.map("1: F1 = Ctrl C").map("1: F2 = LShift");
  EXPECT_EQ(s.run("LCtrl down; LShift down; F1 down; F2 down; release all"),
            "pass; pass; Ctrl down, C down; LShift down; C up");
  // Their releases, no longer followed, pass as they are.
  EXPECT_EQ(s.run("LShift up; LCtrl up; F1 up; F2 up"), "pass; pass; pass; pass");
}

// Keys whose meaning is an action are handed on, never typed.

TEST(ActionKeys, PressAndReleaseAreHandedOnOnceAndTheReleaseMatchesThePress) {
  Scenario s;
  s.map("1: F1 = Ctrl C").map("2: F1 = X");
  s.run("act 1: F1 = macro 2; act 2: F1 = next profile");
  // Repeats are swallowed unreported; the release reports what the press
  // started, even after the profile (here by the action itself) switched.
  EXPECT_EQ(s.run("F1 down; F1 down; profile 2; F1 up"), "macro 2 down; swallow; macro 2 up");
  EXPECT_EQ(s.run("F1 down; profile 1; F1 up; F1 down"),
            "next profile down; next profile up; macro 2 down");
  // Translation ends while it is held: its release is reported with the
  // others, and the physical release that follows is no longer ours.
  EXPECT_EQ(s.run("A down; release all; F1 up"), "pass; macro 2 up; pass");
  // An action key already down when translation began, or pressed while
  // the user's own strokes pass injected, does nothing of its own.
  EXPECT_EQ(s.run("F1 down already; F1 up; F1 down injected"), "pass; pass; pass");
}

TEST(ActionKeys, AProfileKeyHeldWhileSwitchingLeavesNothingDown) {
  Scenario s;
  s.map("1: A = Ctrl C").map("2: A = X").map("3: F1 = Y");
  s.run("act 1: F1 = profile 2; act 2: F1 = next profile");
  // A chord held across the switch lets go of what it pressed; the profile
  // key's own release is swallowed and reported, in the new profile as well.
  EXPECT_EQ(s.run("A down; F1 down; profile 2; A up; F1 up; A down; A up"),
            "Ctrl down, C down; profile 2 down; Ctrl up, C up; profile 2 up; X down; X up");
  EXPECT_EQ(s.run("F1 down; profile 3; F1 down; F1 up; F1 down; F1 up"),
            "next profile down; swallow; next profile up; Y down; Y up");
  EXPECT_EQ(s.translator.heldCount(), 0u);
}

// Extended keys

TEST(ExtendedKeys, KeysThatExistOnlyAsExtendedKeysAreSentExtended) {
  Scenario s;
  s.map("1: A = Left Up Right Down Ins Del Home End PgUp PgDn");
  s.map("1: B = RCtrl RAlt LWin RWin Apps Div NumLock BrowserBack Mute VolDown VolUp Play App2");
  s.map("1: C = Ctrl LCtrl Alt LAlt Shift Enter Space Num5 Mul Add Sub F1 165 184 165");
  s.map("1: D = 44");
  EXPECT_EQ(s.run("numlock off; A down"),
            "Left* down, Up* down, Right* down, Down* down, Ins* down, Del* down, Home* down, "
            "End* down, PgUp* down, PgDn* down");
  EXPECT_EQ(s.run("B down"),
            "RCtrl* down, RAlt* down, LWin* down, RWin* down, Apps* down, Div* down, "
            "NumLock* down, BrowserBack* down, Mute* down, VolDown* down, VolUp* down, "
            "Play* down, App2* down");
  EXPECT_EQ(s.run("C down"),
            "Ctrl down, LCtrl down, Alt down, LAlt down, Shift down, Enter down, Space down, "
            "Num5 down, Mul down, Add down, Sub down, F1 down, RAlt* down, 184 down, RAlt* down");
  EXPECT_EQ(s.run("D down; D up"), "44* down; 44* up");
}

TEST(ExtendedKeys, ListCode108IsTheKeypadEnter) {
  Scenario s;
  s.map("1: A = Sep Enter");
  EXPECT_EQ(s.run("numlock off; A down; A up"), "Enter* down, Enter down; Enter* up, Enter up");
}

TEST(ExtendedKeys, NavigationRenderedFromTheKeypadStaysAKeypadKey) {
  Scenario s;
  s.map("1: A = Num8 Up Num8");
  EXPECT_EQ(s.run("numlock off; A down; A up"), "Up down, Up* down, Up down; Up up, Up* up");
}

// Long lists: one hook call must stay short, so what one event sends is
// bounded.

// The strokes of one transcript entry; "swallow" and "nothing" sent none.
std::size_t strokeCount(const std::string& entry) {
  if (entry == "swallow" || entry == "nothing") return 0;
  return 1 + static_cast<std::size_t>(std::count(entry.begin(), entry.end(), ','));
}

TEST(LongLists, AnEventPlaysTheFirstCodesOfALongEntryInBatchesOfTheBuffer) {
  Scenario s;
  KeyList macro(kMaxEntryCodes + 40);
  std::iota(macro.begin(), macro.end(), 0);
  for (KeyCode& code : macro) code = 65 + code % 26;
  s.tables[0][65] = macro;
  const std::string presses = s.run("A down");
  const std::string repeats = s.run("A down");
  const std::string releases = s.run("A up");
  EXPECT_EQ(strokeCount(presses), kMaxEntryCodes);
  EXPECT_EQ(repeats, presses);
  EXPECT_TRUE(presses.starts_with("A down, B down, C down, D down")) << presses;
  EXPECT_EQ(releases,
            "A up, B up, C up, D up, E up, F up, G up, H up, I up, J up, K up, L up, "
            "M up, N up, O up, P up, Q up, R up, S up, T up, U up, V up, W up, X up, "
            "Y up, Z up");

  std::vector<std::size_t> press(kMaxEntryCodes / kStrokeBatchSize, kStrokeBatchSize);
  if (kMaxEntryCodes % kStrokeBatchSize != 0) press.push_back(kMaxEntryCodes % kStrokeBatchSize);
  std::vector<std::size_t> expected = press;
  expected.insert(expected.end(), press.begin(), press.end());
  expected.push_back(26);
  EXPECT_EQ(s.batchSizes, expected);

  s.batchSizes.clear();
  s.map("1: B = Ctrl Alt Del");
  s.run("B down; B up");
  EXPECT_EQ(s.batchSizes, (std::vector<std::size_t>{3, 3}));
}

TEST(LongLists, TranslatedKeysHoldNoMoreKeysThanOneEntryPlays) {
  // Eight keys whose entries name every key once: together they would hold
  // more than one event may release.
  Scenario s;
  KeyCode next = kFirstIdentityKey;
  for (KeyCode source = 124; source < 132; ++source) {
    for (int i = 0; i < 32 && next <= kLastIdentityKey; ++i) s.tables[0][source].push_back(next++);
  }
  std::size_t pressed = 0;
  for (KeyCode source = 124; source < 132; ++source) {
    pressed += strokeCount(s.run(keyName(static_cast<std::uint32_t>(source)) + " down"));
  }
  const std::size_t held = std::min<std::size_t>(kLastIdentityKey, kMaxEntryCodes);
  EXPECT_EQ(pressed, held);
  EXPECT_EQ(strokeCount(s.run("release all")), held);
}

}  // namespace
}  // namespace tarsil::test
