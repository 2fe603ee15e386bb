#include "profile/settings_check.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "test_layout.h"

namespace tarsil {
namespace {

using testing::makeLayout;

std::vector<std::u16string> problemKeys(std::string_view text) {
  std::vector<std::u16string> keys;
  for (const SettingsProblem& p : checkSettings(ini::IniDocument::parse(text), makeLayout())) {
    keys.push_back(p.section + u"/" + p.key);
  }
  return keys;
}

TEST(CheckSettings, AFileTheProgramWroteHasNoProblems) {
  EXPECT_TRUE(problemKeys("[TYPE]\ntype=3\n[Profile1]\nMacroStrNum=1\nMacroName0=m\n"
                          "MacroKey0=1,65,1\nMacroKeyNum0=3\nIndexPic65=1\nMacroIndex65=0\n"
                          "IndexPic66=2\nSetName66=Refresh\nIndexPic70=3\nSetName70=Zoom In\n"
                          "SetIndexNum=1\nsetindex0=131\n")
                  .empty());
}

TEST(CheckSettings, AFileWithNothingToReadOrAHiddenFirstSectionIsAProblem) {
  for (const char* nothing : {"", "junk\n[Other]\nk=1\n"}) {
    const std::vector<SettingsProblem> problems =
        checkSettings(ini::IniDocument::parse(nothing), makeLayout());
    ASSERT_EQ(problems.size(), 1u) << nothing;
    EXPECT_NE(problems[0].message.find("no [TYPE], profile or [AutoProfile] section"),
              std::string::npos);
  }
  EXPECT_EQ(problemKeys("\xEF\xBB\xBF[TYPE]\r\ntype=2\r\n[Profile2]\r\n"),
            std::vector<std::u16string>{u"TYPE/"});
}

TEST(CheckSettings, NamesEveryProblemWithSectionAndKey) {
  const std::vector<std::u16string> keys = problemKeys(
      "[TYPE]\ntype=7\n"
      "[Profile2]\n"
      "IndexPic65=1\nMacroIndex65=2\n"        // past the macro list
      "IndexPic66=2\nSetName66=Louder\n"      // no such multimedia key
      "IndexPic70=3\nSetName70=select all\n"  // functions compare with case
      "IndexPic45=5\n"                        // no such kind
      "Key71=70000\nKey72=-7\n"               // no key has these codes
      "MacroStrNum=2\nMacroName0=a\nMacroName1=b\nMacroKeyNum0=6\nMacroKey0=1,2,3\n"
      "MacroKeyNum1=4\nMacroKey1=1,2,3,4\n"
      "SetIndexNum=3\nsetindex0=132\nsetindex1=-4\n");
  auto has = [&](std::u16string key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  };
  for (const char16_t* key :
       {u"TYPE/type", u"Profile2/MacroIndex65", u"Profile2/SetName66", u"Profile2/SetName70",
        u"Profile2/IndexPic45", u"Profile2/MacroKeyNum0", u"Profile2/MacroKeyNum1",
        u"Profile2/SetIndexNum", u"Profile2/setindex0", u"Profile2/setindex1", u"Profile2/Key71",
        u"Profile2/Key72"}) {
    EXPECT_TRUE(has(key)) << std::string(key, key + std::char_traits<char16_t>::length(key));
  }
  EXPECT_EQ(keys.size(), 12u);
}

// A single key's code names a key only in 1..254: any other sends none,
// rather than the key its low byte would name, and the check says so.
TEST(CheckSettings, AKeyCodeThatNamesNoKeyLoadsAsNoneAndIsSaid) {
  const ini::IniDocument file =
      ini::IniDocument::parse("[Profile1]\nKey65=70000\nKey66=-7\nKey70=0\nKey71=254\n");
  ProfileSet loaded;
  loadSettings(loaded, makeLayout(), file);
  for (const KeyCode v : {65, 66, 70}) EXPECT_EQ(loaded.stores[0].translation.at(v), KeyList{0});
  EXPECT_EQ(loaded.stores[0].translation.at(71), KeyList{254});
  const std::vector<SettingsProblem> problems = checkSettings(file, makeLayout());
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0].key, u"Key65");
  EXPECT_EQ(problems[0].message,
            "is 70000, which names no key (key codes are 1..254); the key does nothing");
}

// The check is the loader: what it says of a key is what loading did to it.
TEST(CheckSettings, SaysWhatBecomesOfModesAndDelaysItCannotTakeAsWritten) {
  // Mode 9 plays as a chord; three delays for two steps lose the third; two
  // delays outside 0..60000 are held to it. An empty mode and a short delay
  // list are no problem: they read as a chord and as 0.
  const std::string text =
      "[Profile1]\nMacroStrNum=2\nMacroName0=a\nMacroName1=b\nMacroKeyNum0=6\nMacroKey0=1,65,1,2,"
      "65,0\nMacroMode0=9\n"
      "MacroDelay0=70000,-1,5\nMacroKeyNum1=6\nMacroKey1=1,66,1,2,66,0\nMacroMode1=\n"
      "MacroDelay1=30\n";
  EXPECT_EQ(problemKeys(text),
            (std::vector<std::u16string>{u"Profile1/MacroMode0", u"Profile1/MacroDelay0",
                                         u"Profile1/MacroDelay0"}));
  ProfileSet profiles;
  LoadProfile(profiles, makeLayout(), ini::IniDocument::parse(text), 1, 1);
  EXPECT_EQ(profiles.working.macroTimings, (MacroTimings{{MacroMode::kChord, {kMaxStepDelayMs, 0}},
                                                         {MacroMode::kChord, {30, 0}}}));
}

TEST(CheckSettings, ReportsExactlyWhatTheLoaderDoes) {
  const MainLayout layout = makeLayout();
  std::string macros = "MacroStrNum=4\n";
  const std::string numbers = [] {
    std::string list = "0";
    for (std::int32_t i = 1; i < kMaxMacroIntegers; ++i) list += ",0";
    return list;
  }();
  for (int i = 0; i < 4; ++i) {
    macros += "MacroName" + std::to_string(i) + "=m\nMacroKeyNum" + std::to_string(i) + "=" +
              std::to_string(kMaxMacroIntegers) + "\nMacroKey" + std::to_string(i) + "=" + numbers +
              "\n";
  }
  const ini::IniDocument file = ini::IniDocument::parse(
      "[TYPE]\ntype=1\n[Profile1]\n"
      "IndexPic179=2\n"   // a multimedia key without a name: its caption names it
      "IndexPic47=9\n" +  // no kind: nothing is built, the key types itself
      macros);
  ProfileSet loaded;
  loadSettings(loaded, layout, file);
  const ProfileData& p = loaded.stores[0];
  EXPECT_EQ(p.translation.at(179), KeyList{179});
  EXPECT_FALSE(p.translation.contains(47));
  std::int64_t total = 0;
  for (const MacroStepList& steps : p.macroSteps) total += static_cast<std::int64_t>(steps.size());
  EXPECT_EQ(total, kMaxProfileIntegers - 1);  // the fourth keeps the whole steps that fit

  const std::vector<SettingsProblem> problems = checkSettings(file, layout);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].key, u"MacroKeyNum3");
  EXPECT_NE(problems[0].message.find("past 1000000 numbers; only its first 99999 are read"),
            std::string::npos)
      << problems[0].message;
  EXPECT_EQ(problems[1].key, u"IndexPic47");
  EXPECT_NE(problems[1].message.find("the key types itself"), std::string::npos);
}

TEST(CheckSettings, ReportsCountsBeyondTheLimitWithoutWalkingThem) {
  const std::vector<std::u16string> keys =
      problemKeys("[Profile1]\nSetIndexNum=2000000000\nMacroStrNum=-3\n");
  EXPECT_EQ(keys.front(), u"Profile1/SetIndexNum");
  EXPECT_NE(std::find(keys.begin(), keys.end(), u"Profile1/MacroStrNum"), keys.end());
}

}  // namespace
}  // namespace tarsil
