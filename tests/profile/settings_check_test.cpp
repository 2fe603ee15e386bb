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
  EXPECT_TRUE(problemKeys("").empty());
}

TEST(CheckSettings, NamesEveryProblemWithSectionAndKey) {
  const std::vector<std::u16string> keys = problemKeys(
      "[TYPE]\ntype=7\n"
      "[Profile2]\n"
      "IndexPic65=1\nMacroIndex65=2\n"        // past the macro list
      "IndexPic66=2\nSetName66=Louder\n"      // no such multimedia key
      "IndexPic70=3\nSetName70=select all\n"  // functions compare with case
      "IndexPic45=5\n"                        // no such kind
      "MacroStrNum=2\nMacroName0=a\nMacroName1=b\nMacroKeyNum0=6\nMacroKey0=1,2,3\n"
      "MacroKeyNum1=4\nMacroKey1=1,2,3,4\n"
      "SetIndexNum=3\nsetindex0=132\nsetindex1=-4\n");
  auto has = [&](std::u16string key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
  };
  for (const char16_t* key :
       {u"TYPE/type", u"Profile2/MacroIndex65", u"Profile2/SetName66", u"Profile2/SetName70",
        u"Profile2/IndexPic45", u"Profile2/MacroKeyNum0", u"Profile2/MacroKeyNum1",
        u"Profile2/SetIndexNum", u"Profile2/setindex0", u"Profile2/setindex1"}) {
    EXPECT_TRUE(has(key)) << std::string(key, key + std::char_traits<char16_t>::length(key));
  }
  EXPECT_EQ(keys.size(), 10u);
}

TEST(CheckSettings, ReportsCountsBeyondTheLimitWithoutWalkingThem) {
  const std::vector<std::u16string> keys =
      problemKeys("[Profile1]\nSetIndexNum=2000000000\nMacroStrNum=-3\n");
  EXPECT_EQ(keys.front(), u"Profile1/SetIndexNum");
  EXPECT_NE(std::find(keys.begin(), keys.end(), u"Profile1/MacroStrNum"), keys.end());
}

}  // namespace
}  // namespace tarsil
