#include "profile/program_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile/auto_profile.h"
#include "profile/settings_check.h"
#include "profile/settings_file.h"
#include "support/temp_folder.h"
#include "test_layout.h"

namespace tarsil {
namespace {

ini::IniDocument ini(std::string_view text) { return ini::IniDocument::parse(text); }

std::string text(const ini::IniDocument& file) {
  std::string bytes = file.serialize();
  std::erase(bytes, '\r');
  return bytes;
}

TEST(ProgramRules, ASectionWrittenReadsBackAndAFileWithoutOneGetsNone) {
  const ProgramRules rules{{{u"game.exe", 2}, {u"editor.exe", 3}}, 1};
  ini::IniDocument file = ini("[TYPE]\ntype=1\n");
  writeProgramRules(rules, file);
  EXPECT_EQ(text(file),
            "[TYPE]\ntype=1\n[AutoProfile]\nProgramNum=2\nProgram0=game.exe\nProgramProfile0=2\n"
            "Program1=editor.exe\nProgramProfile1=3\nFallback=1\n");
  EXPECT_EQ(readProgramRules(ini::IniDocument::parse(file.serialize())), rules);

  // A rule removed is gone from the file; with nothing left the section
  // says so rather than keeping stale keys.
  writeProgramRules({{{u"editor.exe", 3}}, 0}, file);
  EXPECT_EQ(readProgramRules(file), (ProgramRules{{{u"editor.exe", 3}}, 0}));
  writeProgramRules({}, file);
  EXPECT_EQ(text(file), "[TYPE]\ntype=1\n[AutoProfile]\nProgramNum=0\nFallback=0\n");

  // No rules and no section: the file is left exactly as it was.
  ini::IniDocument plain = ini("[TYPE]\ntype=2\n");
  writeProgramRules({}, plain);
  EXPECT_EQ(text(plain), "[TYPE]\ntype=2\n");
  EXPECT_TRUE(readProgramRules(plain).empty());
}

TEST(ProgramRules, TheSettingsLoadAndSaveCarryTheRules) {
  const MainLayout layout = testing::makeLayout();
  testing::TempFolder folder;
  const std::filesystem::path path = folder / "set.ini";
  const std::string written =
      "[TYPE]\r\ntype=1\r\n[AutoProfile]\r\nProgramNum=1\r\nProgram0=Game.exe\r\n"
      "ProgramProfile0=3\r\nFallback=2\r\n";
  testing::TempFolder::write(path, written);
  ProfileSet profiles;
  loadSettings(profiles, layout, ini(written));
  EXPECT_EQ(profiles.programRules, (ProgramRules{{{u"Game.exe", 3}}, 2}));
  EXPECT_TRUE(checkSettings(ini(written), layout).empty());

  profiles.programRules.rules.push_back({u"mail.exe", 1});
  ASSERT_TRUE(saveSettings(profiles, layout.slots, path).ok());
  EXPECT_EQ(readProgramRules(ini(testing::TempFolder::read(path))), profiles.programRules);
}

TEST(ProgramRules, ProgramsMatchByFileNameWithCaseAside) {
  const ProgramRules rules{{{u"game.exe", 2}, {u"GAME.EXE", 3}}, 0};
  ASSERT_NE(findRule(rules, u"C:\\Games\\Game.EXE"), nullptr);
  EXPECT_EQ(findRule(rules, u"C:\\Games\\Game.EXE")->profile, 2);  // the first rule counts
  EXPECT_EQ(findRule(rules, u"/opt/game.exe")->profile, 2);
  EXPECT_EQ(findRule(rules, u"game.exe.bak"), nullptr);
  EXPECT_EQ(findRule(rules, u"C:\\game.exe\\other.exe"), nullptr);
  EXPECT_EQ(programFileName(u"C:\\a/b\\c.exe"), u"c.exe");
}

TEST(ProgramRules, TheCheckNamesEveryRuleThatIsDropped) {
  std::vector<SettingsProblem> problems;
  const ProgramRules rules =
      readProgramRules(ini("[AutoProfile]\nProgramNum=6\n"
                           "Program0=C:\\Games\\game.exe\nProgramProfile0=2\n"
                           "Program1=tool.exe\nProgramProfile1=4\n"  // no profile 4
                           "Program2=\nProgramProfile2=1\n"          // no program
                           "Program3=GAME.exe\nProgramProfile3=3\n"  // a second rule for game.exe
                           "Program4=mail.exe\n"                     // no profile at all
                           "Program5=editor.exe\nProgramProfile5=3\n"
                           "Fallback=5\n"),
                       &problems);
  // The folder is not part of a program's name.
  EXPECT_EQ(rules, (ProgramRules{{{u"game.exe", 2}, {u"editor.exe", 3}}, 0}));
  std::vector<std::u16string> keys;
  for (const SettingsProblem& p : problems) keys.push_back(p.key);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"ProgramProfile1", u"Program2", u"Program3",
                                               u"ProgramProfile4", u"Fallback"}));
  EXPECT_NE(problems[0].message.find("no profile (1..3); the rule for this program is dropped"),
            std::string::npos);

  problems.clear();
  EXPECT_TRUE(readProgramRules(ini("[AutoProfile]\nProgramNum=-3\n"), &problems).empty());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].key, u"ProgramNum");
}

// Runs foreground changes through AutoProfile and applies what it asks, as
// the window does. Steps, separated by ';':
//   <file or path>   that program comes to the front
//   ours             a window of this program comes to the front
//   closed           a program that could not be opened comes to the front
//   manual <n>       the user switches to profile n
//   rules changed    the Programs dialog closed with OK
// Each foreground step adds "profile <n>" (with "(program)" for a rule) or
// "-" to the transcript.
class AutoProfileScenario {
 public:
  explicit AutoProfileScenario(ProgramRules rules) : rules_(std::move(rules)) {}

  std::string run(std::string_view steps) {
    std::string transcript;
    while (!steps.empty()) {
      const std::size_t end = steps.find(';');
      std::string step(steps.substr(0, end));
      steps.remove_prefix(end == std::string_view::npos ? steps.size() : end + 1);
      step.erase(0, step.find_first_not_of(' '));
      if (step.starts_with("manual ")) {
        active_ = std::stoi(step.substr(7));
        continue;
      }
      if (step == "rules changed") {
        chooser_.rulesChanged();
        continue;
      }
      ForegroundProgram front;
      if (step == "ours") {
        front.ours = true;
      } else if (step != "closed") {
        front.path = std::u16string(step.begin(), step.end());
      }
      const std::optional<RuleSwitch> change = chooser_.foregroundChanged(rules_, front, active_);
      std::string entry = "-";
      if (change) {
        active_ = change->profile;
        entry = "profile " + std::to_string(change->profile);
        if (!change->program.empty()) {
          entry += " (" + std::string(change->program.begin(), change->program.end()) + ")";
        }
      }
      transcript += (transcript.empty() ? "" : "; ") + entry;
    }
    return transcript;
  }

  ProgramRules rules_;
  std::int32_t active_ = 1;

 private:
  AutoProfile chooser_;
};

TEST(AutoProfileScenarios, RulesAndTheFallbackFollowTheProgramInFront) {
  AutoProfileScenario s({{{u"game.exe", 2}, {u"editor.exe", 3}}, 1});
  EXPECT_EQ(s.run("notepad.exe; C:\\Games\\Game.exe; game.exe; editor.exe; explorer.exe"),
            "-; profile 2 (Game.exe); -; profile 3 (editor.exe); profile 1");
  // A program that cannot be opened matches no rule.
  EXPECT_EQ(s.run("game.exe; closed; closed; game.exe"),
            "profile 2 (game.exe); profile 1; -; "
            "profile 2 (game.exe)");
}

TEST(AutoProfileScenarios, WithoutAFallbackAProgramWithoutARuleKeepsTheProfile) {
  AutoProfileScenario s({{{u"game.exe", 2}}, kStayOnProfile});
  EXPECT_EQ(s.run("game.exe; notepad.exe; manual 3; explorer.exe; game.exe"),
            "profile 2 (game.exe); -; -; profile 2 (game.exe)");
}

TEST(AutoProfileScenarios, AManualSwitchHoldsUntilAnotherProgramComesToTheFront) {
  AutoProfileScenario s({{{u"game.exe", 2}}, 1});
  // Switched by hand in the game; its other windows, and the program's own
  // windows in between, leave the choice alone.
  EXPECT_EQ(s.run("game.exe; manual 3; game.exe; ours; game.exe; ours; notepad.exe; game.exe"),
            "profile 2 (game.exe); -; -; -; -; profile 1; profile 2 (game.exe)");
  // Rules changed while the game was behind the dialog apply when it comes back.
  EXPECT_EQ(s.run("manual 3; ours; game.exe"), "-; -");
  s.rules_.rules[0].profile = 1;
  s.rules_.fallback = 2;
  EXPECT_EQ(s.run("rules changed; ours; game.exe"), "-; profile 1 (game.exe)");
}

}  // namespace
}  // namespace tarsil
