#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "profile/settings_file.h"
#include "profile/test_layout.h"
#include "ui/main/main_commands.h"

namespace tarsil {
namespace {

using testing::makeLayout;

// Records what the view paints and what the commands ask of the window, one
// entry each: "over 5" (a slot in a state), "strip", "window" (the whole
// picture), "hide", "ask default -> yes", "edit key 5", "save" (set.ini is
// to follow the profiles).
class RecordingHost : public MainWindowHost {
 public:
  explicit RecordingHost(const MainLayout& layout) : layout_(layout) {}

  void copyPicture(SlotState picture, const SlotRect& area) override {
    static const char* const kNames[] = {"normal", "over", "down"};
    std::string what = "?";
    if (area == SlotRect{0, 0, windowWidth(), windowHeight()}) {
      what = "window";
    } else if (area.right - area.left == 2) {
      what = "strip";
    } else {
      for (int n = 1; n <= kSlotCount; ++n) {
        if (layout_.slots.slot(n).rect() == area) what = std::to_string(n);
      }
    }
    log(std::string(kNames[static_cast<int>(picture)]) + " " + what);
  }
  void hideWindow() override { log("hide"); }
  void minimizeWindow() override { log("minimize"); }
  void showButtonMenu() override { log("menu"); }
  bool confirmRestoreDefaults() override { return answer("default"); }
  bool confirmSaveChanges() override { return answer("save"); }
  std::optional<KeySettingsExchange> runKeySettings(KeySettingsExchange exchange,
                                                    TranslationTable& working) override {
    if (exchange.kind == KindMacroEditor) {
      log("macro editor");
    } else {
      for (int n = 1; n <= kLastAssignableSlot; ++n) {
        if (layout_.slots.slot(n).vk == exchange.keyCode) log("edit key " + std::to_string(n));
      }
    }
    if (!dialog) return std::nullopt;
    return dialog(std::move(exchange), working);
  }
  void showActiveProfile(std::int32_t profile,
                         const std::optional<ProfileNotice>& notice) override {
    std::string entry = "show profile " + std::to_string(profile);
    if (notice) {
      entry += " with \"" + std::string(notice->headline.begin(), notice->headline.end());
      if (!notice->detail.empty()) {
        entry += " / " + std::string(notice->detail.begin(), notice->detail.end());
      }
      entry += "\"";
    }
    log(entry);
  }
  std::int32_t windowWidth() const override { return 800; }
  std::int32_t windowHeight() const override { return 280; }
  void saveSettings() override { log("save"); }

  // The transcript since the last call.
  std::string take() { return std::exchange(transcript_, std::string()); }
  bool answerYes = true;
  // What the key settings dialog does on OK; none: it is cancelled.
  std::function<KeySettingsExchange(KeySettingsExchange, TranslationTable&)> dialog;

 private:
  void log(const std::string& entry) { transcript_ += (transcript_.empty() ? "" : ", ") + entry; }
  bool answer(const std::string& question) {
    log("ask " + question + (answerYes ? " -> yes" : " -> no"));
    return answerYes;
  }

  const MainLayout& layout_;
  std::string transcript_;
};

// The centre of a slot, where a test points.
SlotRect centreOf(const MainLayout& layout, int slot) {
  const SlotRect r = layout.slots.slot(slot).rect();
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2, 0, 0};
}

class MainViewTest : public ::testing::Test {
 protected:
  MainViewTest() : host(layout), commands(profiles, layout, host) {
    // The buttons where the shipped layout has them: the profile indicator
    // slots 128..130 carry the profile buttons.
    const char16_t* buttons[] = {u"Close",    u"Macro..",  u"Minimize", u"Menu",   u"Apply",  u"OK",
                                 u"Profile1", u"Profile2", u"Profile3", u"Cancel", u"Default"};
    for (int i = 0; i < 11; ++i) layout.slots.slot(kFirstButtonSlot + i).caption = buttons[i];
    loadSettings(profiles, layout, ini::IniDocument());
    host.take();
  }
  std::optional<std::u16string> hover(int slot) {
    const SlotRect at = centreOf(layout, slot);
    return commands.hover(host, at.left, at.top);
  }
  bool press(int slot) {
    const SlotRect at = centreOf(layout, slot);
    return commands.press(at.left, at.top);
  }

  MainLayout layout = makeLayout();
  ProfileSet profiles;
  RecordingHost host;
  MainCommands commands;
};

constexpr const char* kIndicator1 = "down 128, normal 129, normal 130";

TEST_F(MainViewTest, HoveringAKeyLightsItAndNamesItsAssignmentInUpperCase) {
  profiles.working.keys.slot(2).name = u"Copy";
  profiles.working.keys.slot(5).name = u"";
  EXPECT_EQ(hover(1), u"A");  // named as its own caption: only the caption
  EXPECT_EQ(host.take(), std::string(kIndicator1) + ", over 1");
  EXPECT_EQ(hover(2), u"B Key, Set As: COPY");
  EXPECT_EQ(hover(5), u"K" + ini::formatInt(layout.slots.slot(5).vk) + u" Key, Set As: ");
  // A macro key says how its macro plays, in the macro's own case.
  profiles.working.keys.slot(3) = {u"Combo", KindMacro, 0};
  profiles.working.macroNames = {u"Combo"};
  profiles.working.macroSteps = {MacroStepList(6 * kMacroStepWidth)};
  profiles.working.macroTimings = {{MacroMode::kSequenceOnce, {0, 100, 20, 200, 50, 50}}};
  EXPECT_EQ(hover(3), u"F Key, Set As: COMBO\nCombo: sequence, 6 steps, 420 ms");
  // The upper case is the tooltip's alone: a later dialog result equal to
  // the key's own name still counts as no assignment.
  EXPECT_EQ(layout.slots.slot(2).caption, u"B");
  EXPECT_EQ(profiles.working.keys.slot(2).name, u"Copy");
}

TEST_F(MainViewTest, MovingBetweenKeysRestoresWhatWasLeftAndKeepsAssignedKeysDown) {
  profiles.working.assigned = {0, 2};  // slots 1 and 3
  hover(1);
  host.take();
  EXPECT_EQ(hover(1), u"A");  // resting again on the same key
  EXPECT_EQ(host.take(), std::string(kIndicator1) + ", over 1");
  hover(2);
  EXPECT_EQ(host.take(), std::string("normal 1, ") + kIndicator1 + ", over 2, down 1, down 3");
  // Onto the background: the last key back to normal, the tooltip cleared.
  EXPECT_EQ(commands.hover(host, -5, -5), u"");
  EXPECT_EQ(host.take(), std::string("normal 2, ") + kIndicator1 + ", down 1, down 3");
  EXPECT_EQ(commands.view().hoveredSlot(), kNoSlot);
}

TEST_F(MainViewTest, PictureOnlyKeysAndButtonsLeaveTheTooltipAlone) {
  hover(1);
  host.take();
  EXPECT_EQ(hover(110), std::nullopt);  // 105..121: nothing but the indicator
  EXPECT_EQ(host.take(), kIndicator1);
  EXPECT_EQ(commands.view().hoveredSlot(), 1);
  EXPECT_EQ(hover(126), std::nullopt);  // a skin button lights up, no tooltip
  EXPECT_EQ(host.take(), std::string("normal 1, ") + kIndicator1 + ", over 126");
}

TEST_F(MainViewTest, LeavingTheActiveProfilesButtonShowsItDownAgain) {
  hover(128);
  EXPECT_EQ(host.take(), std::string(kIndicator1) + ", over 128");
  hover(126);
  EXPECT_EQ(host.take(), std::string("normal 128, ") + kIndicator1 + ", over 126");
}

TEST_F(MainViewTest, Slot28AlsoRepaintsTheStripToItsLeft) {
  hover(28);
  EXPECT_EQ(host.take(), std::string(kIndicator1) + ", over 28, normal strip");
}

TEST_F(MainViewTest, ProfileButtonsSwitchAndRedrawTheIndicatorAndAssignedKeys) {
  profiles.stores[1].assigned = {3};
  profiles.modified = true;
  host.answerYes = false;
  EXPECT_TRUE(press(129));  // "Profile2"
  EXPECT_EQ(
      host.take(),
      "ask save -> no, save, normal window, down 129, normal 128, normal 130, down 4, down 4, "
      "show profile 2");
  EXPECT_EQ(profiles.activeProfile, 2);
  EXPECT_TRUE(press(130));
  EXPECT_EQ(host.take(), "save, normal window, down 130, normal 129, normal 128, show profile 3");
}

TEST_F(MainViewTest, SwitchesFromOutsideTheWindowNeverAskAndSayWhichProfile) {
  // An unapplied macro edit stays with the profile it was made in.
  profiles.working.macroNames = {u"unapplied"};
  profiles.modified = true;
  commands.switchProfile(2, SwitchSource::kRule, u"game.exe");
  EXPECT_EQ(host.take(),
            "save, normal window, down 129, normal 128, normal 130, "
            "show profile 2 with \"Profile 2 / game.exe\"");
  EXPECT_EQ(profiles.stores[0].macroNames, std::vector<std::u16string>{u"unapplied"});
  EXPECT_FALSE(profiles.modified);

  // A profile key for the active profile only says so: an edit waiting
  // for Apply is not thrown away by reloading the store.
  profiles.working.macroNames = {u"again"};
  profiles.modified = true;
  commands.switchProfile(2, SwitchSource::kProfileKey);
  EXPECT_EQ(host.take(), "show profile 2 with \"Profile 2\"");
  EXPECT_EQ(profiles.working.macroNames, std::vector<std::u16string>{u"again"});
  commands.switchProfile(1, SwitchSource::kCommandLine);
  EXPECT_EQ(host.take(), std::string("save, normal window, ") + kIndicator1 +
                             ", show profile 1 with \"Profile 1\"");
}

TEST_F(MainViewTest, AProfileKeyGivenInTheDialogSwitchesOnlyAfterTheEditIsRecorded) {
  host.dialog = [this](KeySettingsExchange exchange, TranslationTable& working) {
    // The key is pressed while the dialog is still open.
    commands.switchProfile(3, SwitchSource::kProfileKey);
    working[exchange.keyCode] = {};
    return KeySettingsExchange{exchange.keyCode, u"Next Profile", KindFunctionKey, 0,
                               exchange.macros};
  };
  press(2);
  // Each is saved at once, the edit first.
  EXPECT_EQ(host.take(), std::string("edit key 2, save, normal window, ") + kIndicator1 +
                             ", down 2, save, normal window, down 130, normal 129, normal 128, "
                             "show profile 3 with \"Profile 3\"");
  // The edit went into profile 1, where it was begun, as a profile key.
  EXPECT_EQ(profiles.stores[0].keys.slot(2), (KeyAssignment{u"Next Profile", KindFunctionKey, 0}));
  EXPECT_EQ(profiles.stores[0].actions.at(testing::kKeyB),
            (KeyAction{KeyActionKind::kSwitchProfile, kNextProfile}));
  EXPECT_EQ(profiles.activeProfile, 3);
  commands.switchProfile(1);
  EXPECT_EQ(hover(2), u"B Key, Set As: NEXT PROFILE");
}

TEST_F(MainViewTest, DefaultAsksFirstAndRestoresEveryKeyAtOnce) {
  profiles.working.translation[testing::kKeyA] = {testing::kKeyB};
  profiles.working.assigned = {0};
  host.answerYes = false;
  press(132);  // "Default"
  EXPECT_EQ(host.take(), "ask default -> no");
  EXPECT_EQ(profiles.working.translation.at(testing::kKeyA), KeyList{testing::kKeyB});
  host.answerYes = true;
  press(132);
  EXPECT_EQ(host.take(), std::string("ask default -> yes, save, normal window, ") + kIndicator1);
  EXPECT_EQ(profiles.stores[0].translation.at(testing::kKeyA), KeyList{testing::kKeyA});
  EXPECT_TRUE(profiles.working.assigned.empty());
}

TEST_F(MainViewTest, PressesActByCaptionThenEditAssignableKeys) {
  profiles.working.translation[testing::kKeyA] = {testing::kKeyB};
  EXPECT_TRUE(press(5));
  EXPECT_TRUE(press(110));  // picture only: nothing
  EXPECT_TRUE(press(126));  // "Apply"
  EXPECT_EQ(profiles.stores[0].translation.at(testing::kKeyA), KeyList{testing::kKeyB});
  press(122);  // "Close"
  press(123);  // "Macro.."
  press(127);  // "OK"
  press(131);  // "Cancel"
  press(124);  // "Minimize"
  EXPECT_EQ(host.take(), "edit key 5, save, hide, macro editor, save, hide, hide, minimize");
  EXPECT_FALSE(commands.press(-5, -5));  // the background drags the window

  // A key whose caption happens to be a button's name does both.
  layout.slots.slot(6).caption = u"Menu";
  layout.slots.slot(7).caption = u"menu";
  press(6);
  press(7);
  EXPECT_EQ(host.take(), "menu, edit key 6, edit key 7");
}

TEST_F(MainViewTest, AKeyEditIsRecordedAndCommittedAtOnceAndRebindsMacroKeys) {
  // Key B plays macro 1 ("two"); the dialog for A assigns it macro 0 and
  // deletes nothing.
  profiles.working.macroNames = {u"one", u"two"};
  profiles.working.macroSteps = {{0, 67, 1}, {0, 68, 1}};
  profiles.working.macroBindings = {{testing::kKeyB, 1}};
  profiles.working.keys.slot(2) = {u"two", KindMacro, 1};
  profiles.working.assigned = {1};
  host.dialog = [](KeySettingsExchange exchange, TranslationTable& working) {
    EXPECT_EQ(exchange.macros.macroNames.size(), 2u);  // copies of the working macros
    exchange.macros.macroNames[1] = u"renamed";
    exchange.macros.macroBindings[testing::kKeyA] = 0;
    working[testing::kKeyA] = {67};
    return KeySettingsExchange{exchange.keyCode, u"one", KindMacro, 0, exchange.macros};
  };
  press(1);
  EXPECT_EQ(host.take(),
            std::string("edit key 1, save, normal window, ") + kIndicator1 + ", down 2, down 1");
  EXPECT_EQ(profiles.stores[0].keys.slot(1), (KeyAssignment{u"one", KindMacro, 0}));
  EXPECT_EQ(profiles.stores[0].keys.slot(2).name, u"renamed");  // follows the rename
  EXPECT_EQ(profiles.stores[0].translation.at(testing::kKeyA), KeyList{67});
  EXPECT_EQ(profiles.stores[0].assigned, (std::vector<std::int32_t>{1, 0}));
  EXPECT_FALSE(profiles.modified);

  // The macro editor deletes macro 0 and with it A's binding: A goes back
  // to itself, but only after Apply.
  host.dialog = [](KeySettingsExchange exchange, TranslationTable&) {
    EXPECT_EQ(exchange.kind, KindMacroEditor);
    exchange.macros.macroNames.erase(exchange.macros.macroNames.begin());
    exchange.macros.macroSteps.erase(exchange.macros.macroSteps.begin());
    exchange.macros.macroBindings = {{testing::kKeyB, 0}};
    return exchange;
  };
  press(123);  // "Macro.."
  EXPECT_TRUE(profiles.modified);
  EXPECT_EQ(profiles.working.keys.slot(1), (KeyAssignment{u"A", KindSingleKey, 0}));
  EXPECT_EQ(profiles.working.translation.at(testing::kKeyA), KeyList{testing::kKeyA});
  EXPECT_EQ(profiles.stores[0].translation.at(testing::kKeyA), KeyList{67});
  press(126);  // "Apply"
  EXPECT_EQ(profiles.stores[0].translation.at(testing::kKeyB), KeyList{68});
}

TEST_F(MainViewTest, ACancelledDialogChangesNothing) {
  const ProfileSet before = profiles;
  press(1);
  press(123);
  EXPECT_EQ(profiles.working, before.working);
  EXPECT_EQ(profiles.stores, before.stores);
}

TEST(ProfileNotice, TheTrayTipAndTheNoticeNameTheProfile) {
  EXPECT_EQ(trayTip(u"Tarsil Software", 2), u"Tarsil Software - Profile 2");
  EXPECT_EQ(profileNotice(SwitchSource::kProfileButton, 2, u""), std::nullopt);
  EXPECT_EQ(profileNotice(SwitchSource::kRule, 3, u"game.exe"),
            (ProfileNotice{u"Profile 3", u"game.exe"}));
  EXPECT_EQ(profileNotice(SwitchSource::kProfileKey, 1, u"ignored"),
            (ProfileNotice{u"Profile 1", u""}));
  // Another program's change of set.ini: said only when it switched.
  EXPECT_EQ(outsideChangeNotice(2, 2), std::nullopt);
  EXPECT_EQ(outsideChangeNotice(1, 3), (ProfileNotice{u"Profile 3", u""}));
}

TEST(ProfileNotice, GoesToTheCornerOfTheWorkAreaNearestTheTray) {
  const SlotRect screen{0, 0, 1280, 800};
  auto at = [&](SlotRect work) { return placeNotice(screen, work, std::nullopt, 200, 60); };
  EXPECT_EQ(at({0, 0, 1280, 760}), (NoticePlace{1068, 688}));  // taskbar at the bottom
  EXPECT_EQ(at({0, 40, 1280, 800}), (NoticePlace{1068, 52}));  // at the top
  EXPECT_EQ(at({0, 0, 1200, 800}), (NoticePlace{988, 728}));   // on the right
  EXPECT_EQ(at({80, 0, 1280, 800}), (NoticePlace{92, 728}));   // on the left
  EXPECT_EQ(at(screen), (NoticePlace{1068, 728}));             // hidden taskbar
  // A work area of the whole screen: the taskbar's own window tells.
  EXPECT_EQ(placeNotice(screen, screen, SlotRect{0, 770, 1280, 800}, 200, 60),
            (NoticePlace{1068, 698}));
  EXPECT_EQ(placeNotice(screen, screen, SlotRect{0, 0, 60, 800}, 200, 60), (NoticePlace{72, 728}));
}

}  // namespace
}  // namespace tarsil
