#include "ui/programs/programs_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarsil {
namespace {

// Which of the dialog's toggle buttons show chosen: "2 stay" is the selected
// rule's profile 2 and the fallback "stay"; "-" where no rule is selected.
std::string chosen(const ProgramsModel& model) {
  std::string rule = "-";
  for (int p = 1; p <= 3; ++p) {
    if (model.button(kRuleProfile1Button + p - 1).selected()) rule = std::to_string(p);
  }
  std::string fallback = "?";
  for (int f = 0; f <= 3; ++f) {
    if (model.button(kFallbackStayButton + f).selected())
      fallback = f == 0 ? "stay" : std::to_string(f);
  }
  return rule + " " + fallback;
}

std::vector<std::u16string> programs(const ProgramsModel& model) {
  std::vector<std::u16string> names;
  for (const ProgramRule& rule : model.rules().rules) names.push_back(rule.program);
  return names;
}

TEST(ProgramsDialog, AddSelectsTheNewRuleOrTheOneTheProgramHasAndRemoveMovesOn) {
  ProgramsModel model;
  model.open({}, 3);
  EXPECT_EQ(chosen(model), "- stay");
  EXPECT_FALSE(model.ruleButtonsEnabled());

  // A new rule takes the active profile; the file name is what is kept.
  ASSERT_TRUE(model.add(u"C:\\Games\\Game.exe"));
  ASSERT_TRUE(model.add(u"C:\\Windows\\notepad.exe"));
  EXPECT_EQ(programs(model), (std::vector<std::u16string>{u"Game.exe", u"notepad.exe"}));
  EXPECT_EQ(model.selected(), 1);
  EXPECT_EQ(chosen(model), "3 stay");
  model.button(kRuleProfile1Button + 1).buttonDown();  // a click on "2"
  model.chooseRuleProfile(2);
  EXPECT_EQ(chosen(model), "2 stay");
  EXPECT_EQ(model.profileText(1), u"Profile 2");

  // The same program again selects its rule rather than adding one.
  ASSERT_TRUE(model.add(u"D:\\other\\GAME.EXE"));
  EXPECT_EQ(model.rules().rules.size(), 2u);
  EXPECT_EQ(model.selected(), 0);
  EXPECT_EQ(chosen(model), "3 stay");
  EXPECT_FALSE(model.add(u"C:\\Games\\"));

  model.chooseFallback(1);
  model.remove();
  EXPECT_EQ(programs(model), std::vector<std::u16string>{u"notepad.exe"});
  EXPECT_EQ(model.selected(), 0);
  EXPECT_EQ(chosen(model), "2 1");
  model.remove();
  EXPECT_EQ(model.selected(), -1);
  EXPECT_EQ(chosen(model), "- 1");
  EXPECT_EQ(model.rules(), (ProgramRules{{}, 1}));

  // Each run starts on the rules it is given.
  model.open({{{u"a.exe", 1}}, 0}, 1);
  EXPECT_EQ(chosen(model), "1 stay");
}

TEST(ProgramsDialog, AddOffersEachOtherRunningProgramOnceByTitle) {
  const std::vector<RunningProgram> windows = {
      {u"Untitled - Notepad", u"C:\\Windows\\notepad.exe"},
      {u"Tarsil Software", u"C:\\Tools\\Tarsil.exe"},  // this program
      {u"", u"C:\\Windows\\explorer.exe"},             // no title
      {u"readme.txt - Notepad", u"C:\\Windows\\NOTEPAD.EXE"},
      {u"Game", u"D:\\Games\\game.exe"},  // has a rule already
      {u"boat race", u"D:\\Games\\boats.exe"},
  };
  const std::vector<RunningProgram> choices =
      programChoices(windows, {{{u"GAME.exe", 2}}, 0}, u"C:\\Tools\\tarsil.exe");
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choiceText(choices[0]), u"boat race (boats.exe)");
  EXPECT_EQ(choiceText(choices[1]), u"Untitled - Notepad (notepad.exe)");
  const std::u16string longTitle(80, u'x');
  EXPECT_EQ(choiceText({longTitle, u"a.exe"}), std::u16string(57, u'x') + u"... (a.exe)");
}

}  // namespace
}  // namespace tarsil
