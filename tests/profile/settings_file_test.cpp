#include "profile/settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "printers.h"
#include "profile/profile_operations.h"
#include "test_layout.h"

namespace tarsil {
namespace {

using testing::kKeyA;
using testing::kKeyB;
using testing::kKeyF;
using testing::makeLayout;

ini::IniDocument ini(std::string_view text) { return ini::IniDocument::parse(text); }

// A profile with one key of every kind, as the program would write it.
ProfileSet profilesWithEveryKind(const MainLayout& layout) {
  ProfileSet profiles;
  loadSettings(profiles, layout, ini(""));
  ProfileData& p = profiles.stores[1];
  p.macroNames = {u"define0", u"\u5b8f two"};
  p.macroSteps = {{1966080, 65, 1, -2145517568, 65, 0}, {}};
  p.keys[0] = {u"B", KindSingleKey, 0};  // A types B
  p.translation[kKeyA] = {kKeyB};
  p.keys[1] = {u"define0", KindMacro, 0};  // B plays macro 0
  p.translation[kKeyB] = {65};
  p.macroBindings[kKeyB] = 0;
  p.keys[2] = {u"Select ALL", KindFunctionKey, 0};  // F selects all
  p.translation[kKeyF] = {17, 65};
  p.keys[4] = {u"Play/Pause", KindMultimedia, 3};
  p.translation[layout.slots[4].vk] = {179};
  p.assigned = {0, 1, 2, 4};
  profiles.activeProfile = 2;
  profiles.working = p;
  return profiles;
}

TEST(SettingsRoundTrip, EveryKindSurvivesSaveAndLoad) {
  const MainLayout layout = makeLayout();
  ProfileSet saved = profilesWithEveryKind(layout);
  ini::IniDocument file;
  for (int p = 1; p <= 3; ++p) SaveProfile(saved, layout.slots, file, p);
  file.setInt(kTypeSection, kTypeKey, saved.activeProfile);

  ProfileSet loaded;
  loadSettings(loaded, layout, ini::IniDocument::parse(file.serialize()));
  EXPECT_EQ(loaded.activeProfile, 2);
  for (int p = 0; p < 3; ++p) {
    // Loading rebuilds the table from the slots only, so compare what the slots own.
    for (int s = 0; s < kLastStoredSlot; ++s) {
      EXPECT_EQ(loaded.stores[p].keys[s], saved.stores[p].keys[s]) << "profile " << p + 1;
      const KeyCode vk = layout.slots[s].vk;
      EXPECT_EQ(loaded.stores[p].translation.at(vk), saved.stores[p].translation.at(vk));
    }
    EXPECT_EQ(loaded.stores[p].macroNames, saved.stores[p].macroNames);
    EXPECT_EQ(loaded.stores[p].macroSteps, saved.stores[p].macroSteps);
    EXPECT_EQ(loaded.stores[p].assigned, saved.stores[p].assigned);
    EXPECT_EQ(loaded.stores[p].macroBindings, saved.stores[p].macroBindings);
  }
  EXPECT_EQ(loaded.working, loaded.stores[1]);
}

TEST(SettingsRoundTrip, LongMacroIsReadWhole) {
  // Far past 259 characters: a cut would lose strokes and save the cut back.
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  MacroStepList steps;
  for (int i = 0; i < 200; ++i) {
    steps.insert(steps.end(), {1966080 + i, 65 + i % 26, 1, -2145517568 - i, 65 + i % 26, 0});
  }
  profiles.stores[0].macroNames = {u"long"};
  profiles.stores[0].macroSteps = {steps};
  ini::IniDocument file;
  SaveProfile(profiles, layout.slots, file, 1);
  EXPECT_GT(file.getString(u"Profile1", u"MacroKey0").size(), 3000u);

  ProfileSet loaded;
  LoadProfile(loaded, layout, ini::IniDocument::parse(file.serialize()), 1, 1);
  EXPECT_EQ(loaded.stores[0].macroSteps[0], steps);
}

TEST(SettingsRoundTrip, NamesWithOuterBlanksOrQuotesComeBackExactly) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  const std::vector<std::u16string> names = {u" lead", u"trail\t", u"\"quoted\"",
                                             u"'q'",   u"'",       u"a \"mid\" b"};
  profiles.stores[0].macroNames = names;
  profiles.stores[0].macroSteps.resize(names.size());
  profiles.stores[0].keys[0].name = u"  spaced  ";
  ini::IniDocument file;
  SaveProfile(profiles, layout.slots, file, 1);
  ProfileSet loaded;
  LoadProfile(loaded, layout, ini::IniDocument::parse(file.serialize()), 1, 1);
  EXPECT_EQ(loaded.working.macroNames, names);
  EXPECT_EQ(loaded.working.keys[0].name, u"  spaced  ");
  EXPECT_EQ(file.getString(u"Profile1", u"MacroName5"), u"a \"mid\" b");
}

TEST(SettingsSave, WritesKeysInTheFileOrderAndOnlySingleKeysGetKey) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles = profilesWithEveryKind(layout);
  ini::IniDocument file;
  SaveProfile(profiles, layout.slots, file, 2);
  const std::vector<std::u16string> keys = file.keysOf(u"Profile2");
  ASSERT_GE(keys.size(), 8u);
  EXPECT_EQ(keys[0], u"IndexPic65");
  EXPECT_EQ(keys[1], u"MacroIndex65");
  EXPECT_EQ(keys[2], u"SetName65");
  EXPECT_EQ(keys[3], u"Key65");
  EXPECT_EQ(keys[4], u"IndexPic66");  // a macro key has no Key value
  EXPECT_EQ(keys[7], u"IndexPic70");
  const std::vector<std::u16string> tail(keys.end() - 12, keys.end());
  EXPECT_EQ(tail, (std::vector<std::u16string>{u"MacroStrNum", u"MacroName0", u"MacroName1",
                                               u"MacroKey0", u"MacroKeyNum0", u"MacroKey1",
                                               u"MacroKeyNum1", u"SetIndexNum", u"setindex0",
                                               u"setindex1", u"setindex2", u"setindex3"}));
  EXPECT_EQ(file.getString(u"Profile2", u"MacroKey0"), u"1966080,65,1,-2145517568,65,0");
  EXPECT_EQ(file.getString(u"Profile2", u"MacroKey1"), u"");
  EXPECT_EQ(file.getInt(u"Profile2", u"MacroKeyNum1", -1), 0);
  EXPECT_FALSE(file.find(u"Profile2", u"Key70").has_value());
  EXPECT_EQ(file.getInt(u"Profile2", u"Key65", 0), kKeyB);
}

TEST(SettingsRoundTrip, TimedMacrosKeepModeAndDelaysAndOnlyTheyGetTimingKeys) {
  const MainLayout layout = makeLayout();
  ProfileSet saved;
  ProfileData& p = saved.stores[0];
  const MacroStepList twoSteps{1966080, 65, 1, -2145517568, 65, 0};
  p.macroNames = {u"chord", u"combo", u"paced chord", u"toggle"};
  p.macroSteps = {twoSteps, twoSteps, twoSteps, twoSteps};
  p.macroTimings = {{},
                    {MacroMode::kSequenceOnce, {0, 120}},
                    {MacroMode::kChord, {40, 0}},
                    {MacroMode::kToggle, {}}};
  ini::IniDocument file;
  SaveProfile(saved, layout.slots, file, 1);
  EXPECT_FALSE(file.find(u"Profile1", u"MacroMode0"));
  EXPECT_FALSE(file.find(u"Profile1", u"MacroDelay0"));
  EXPECT_EQ(file.getString(u"Profile1", u"MacroMode1"), u"1");
  EXPECT_EQ(file.getString(u"Profile1", u"MacroDelay1"), u"0,120");
  EXPECT_EQ(file.getString(u"Profile1", u"MacroMode2"), u"0");
  EXPECT_EQ(file.getString(u"Profile1", u"MacroDelay3"), u"0,0");
  const std::vector<std::u16string> keys = file.keysOf(u"Profile1");
  const auto at = std::find(keys.begin(), keys.end(), u"MacroKeyNum1");
  ASSERT_NE(at, keys.end());
  EXPECT_EQ(
      std::vector<std::u16string>(at, at + 4),
      (std::vector<std::u16string>{u"MacroKeyNum1", u"MacroMode1", u"MacroDelay1", u"MacroKey2"}));

  ProfileSet loaded;
  LoadProfile(loaded, layout, file, 1, 1);
  MacroTimings expected = p.macroTimings;
  normalizeTimings(expected, p.macroSteps);
  EXPECT_EQ(loaded.stores[0].macroTimings, expected);
  EXPECT_EQ(loaded.stores[0].macroTimings[2].delays, (std::vector<std::int32_t>{40, 0}));
}

TEST(SettingsLoad, KeysOfTimedMacrosPlayThemAsActionsAndChordsStayEntries) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  LoadProfile(profiles, layout,
              ini("[Profile1]\nIndexPic65=1\nMacroIndex65=0\nIndexPic66=1\nMacroIndex66=1\n"
                  "MacroStrNum=2\nMacroKeyNum0=3\nMacroKey0=0,67,1\nMacroKeyNum1=3\n"
                  "MacroKey1=0,68,1\nMacroMode1=2\n"),
              1, 1);
  const ProfileData& store = profiles.stores[0];
  EXPECT_EQ(store.actions, (KeyActionTable{{kKeyB, {KeyActionKind::kPlayMacro, 1}}}));
  EXPECT_EQ(store.translation.at(kKeyA), KeyList{67});
  EXPECT_EQ(store.macroTimings[1], (MacroTiming{MacroMode::kRepeatWhileHeld, {}}));
}

TEST(SettingsSave, SingleKeyWithoutAStrokeIsWrittenAsItself) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  profiles.stores[0].translation.erase(kKeyA);  // e.g. an unknown multimedia name given a key
  profiles.stores[0].translation[kKeyB] = {};
  ini::IniDocument file;
  SaveProfile(profiles, layout.slots, file, 1);
  EXPECT_EQ(file.getInt(u"Profile1", u"Key65", 0), kKeyA);
  EXPECT_EQ(file.getInt(u"Profile1", u"Key66", 0), kKeyB);
}

TEST(SettingsSave, EmptiesTheSectionFirstAndLeavesOthers) {
  const MainLayout layout = makeLayout();
  ini::IniDocument file =
      ini("[Other]\r\nkeep=1\r\n[Profile1]\r\nIndexPic9999=3\r\nMacroName7=old\r\n[Profile2]\r\nx="
          "y\r\n");
  ProfileSet profiles;
  SaveProfile(profiles, layout.slots, file, 1);
  EXPECT_FALSE(file.find(u"Profile1", u"IndexPic9999"));
  EXPECT_FALSE(file.find(u"Profile1", u"MacroName7"));
  EXPECT_EQ(file.getInt(u"Profile1", u"MacroStrNum", -1), 0);
  EXPECT_EQ(file.getString(u"Other", u"keep"), u"1");
  EXPECT_EQ(file.getString(u"Profile2", u"x"), u"y");
}

TEST(SettingsLoad, ActiveProfileLoadsLastIntoTheWorkingProfile) {
  const MainLayout layout = makeLayout();
  for (int type = 1; type <= 3; ++type) {
    std::string text = "[TYPE]\r\ntype=" + std::to_string(type) + "\r\n";
    for (int p = 1; p <= 3; ++p) {
      text += "[Profile" + std::to_string(p) + "]\r\nKey65=" + std::to_string(80 + p) + "\r\n";
    }
    ProfileSet profiles;
    loadSettings(profiles, layout, ini(text));
    EXPECT_EQ(profiles.activeProfile, type);
    EXPECT_EQ(profiles.working.translation.at(kKeyA), KeyList{80 + type});
    for (int p = 1; p <= 3; ++p)
      EXPECT_EQ(profiles.store(p)->translation.at(kKeyA), KeyList{80 + p});
  }
}

TEST(SettingsLoad, ProfileNumberOutsideOneToThreeIsReadAsOne) {
  const MainLayout layout = makeLayout();
  for (const char* type : {"0", "4", "-1", "junk"}) {
    ProfileSet profiles;
    loadSettings(profiles, layout,
                 ini(std::string("[TYPE]\ntype=") + type + "\n[Profile1]\nKey65=66\n"));
    EXPECT_EQ(profiles.activeProfile, 1) << type;
    EXPECT_EQ(profiles.working.translation.at(kKeyA), KeyList{kKeyB}) << type;
  }
}

TEST(SettingsLoad, MissingFileGivesKeysThatTypeThemselves) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  loadSettings(profiles, layout, ini(""));
  EXPECT_EQ(profiles.activeProfile, 1);
  for (const ProfileData& store : profiles.stores) {
    for (int s = 0; s < kLastStoredSlot; ++s) {
      const KeyCode vk = layout.slots[s].vk;
      EXPECT_EQ(store.translation.at(vk), KeyList{vk});
      EXPECT_EQ(store.keys[s], (KeyAssignment{layout.slots[s].caption, KindSingleKey, 0}));
    }
    EXPECT_TRUE(store.macroSteps.empty());
    EXPECT_TRUE(store.assigned.empty());
  }
}

TEST(SettingsLoad, NamesAreTakenAsStoredAndAnEmptyKeyTypesItselfLikeAMissingOne) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  LoadProfile(profiles, layout, ini("[Profile1]\nKey65=0\nSetName65=\nSetName66=Bee\nKey66=\n"), 1,
              1);
  EXPECT_EQ(profiles.working.translation.at(kKeyA), KeyList{0});  // stored 0: a dead key
  EXPECT_EQ(profiles.working.keys[0].name, u"");
  EXPECT_EQ(profiles.working.keys[1].name, u"Bee");
  EXPECT_EQ(profiles.working.translation.at(kKeyB), KeyList{kKeyB});  // empty: itself
  EXPECT_EQ(profiles.working.translation.at(kKeyF), KeyList{kKeyF});  // missing: itself
}

TEST(SettingsLoad, EachKindBuildsItsEntry) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  LoadProfile(profiles, layout,
              ini("[Profile1]\n"
                  "MacroStrNum=1\nMacroName0=ab\nMacroKeyNum0=12\n"
                  "MacroKey0=1966080,65,1,-2145517568,65,0,3145728,66,1,-2144468992,66,0\n"
                  "IndexPic65=1\nMacroIndex65=0\n"
                  "IndexPic66=3\nSetName66=Select ALL\n"
                  "IndexPic70=3\nSetName70=select all\n"
                  "IndexPic45=2\nSetName45=Refresh\n"
                  "IndexPic46=2\nSetName46=Louder\n"
                  "IndexPic47=9\n"),
              1, 1);
  const TranslationTable& t = profiles.working.translation;
  EXPECT_EQ(t.at(kKeyA), (KeyList{65, 66}));
  EXPECT_EQ(profiles.working.macroBindings, (MacroBindings{{kKeyA, 0}}));
  EXPECT_EQ(t.at(kKeyB), (KeyList{17, 65}));
  EXPECT_EQ(t.at(kKeyF), KeyList{});  // names compare with case: disabled
  EXPECT_EQ(t.at(45), KeyList{168});
  EXPECT_FALSE(t.contains(46));  // unknown multimedia name: the key types itself
  EXPECT_FALSE(t.contains(47));  // no such kind: nothing is built
  EXPECT_EQ(profiles.stores[0], profiles.working);
}

TEST(SettingsLoad, MacroIndexPastTheListLoadsTheKeyAsUnassigned) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  LoadProfile(profiles, layout,
              ini("[Profile1]\nMacroStrNum=1\nMacroKeyNum0=3\nMacroKey0=1,67,1\n"
                  "IndexPic65=1\nMacroIndex65=1\nSetName65=gone\n"
                  "IndexPic66=1\nMacroIndex66=-1\nSetName66=gone\n"
                  "SetIndexNum=3\nsetindex0=0\nsetindex1=1\nsetindex2=2\n"),
              1, 1);
  const ProfileData& w = profiles.working;
  EXPECT_EQ(w.keys[0], (KeyAssignment{u"A", KindSingleKey, 0}));
  EXPECT_EQ(w.keys[1], (KeyAssignment{u"B", KindSingleKey, 0}));
  EXPECT_EQ(w.translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_EQ(w.translation.at(kKeyB), KeyList{kKeyB});
  EXPECT_TRUE(w.macroBindings.empty());
  EXPECT_EQ(w.assigned, std::vector<std::int32_t>{2});
}

TEST(SettingsLoad, ListsAndCountsFromAHandEditedFile) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  LoadProfile(profiles, layout,
              ini("[Profile1]\nSetIndexNum=5\nsetindex0=3\nsetindex1=132\nsetindex2=-1\n"
                  "setindex3=131\n"
                  "MacroStrNum=2\nMacroKeyNum0=7\nMacroKey0=1,2,x,4\n"
                  "MacroKeyNum1=2\nMacroKey1=5,6,7,8\n"),
              1, 1);
  const ProfileData& w = profiles.working;
  // 132 and -1 name no slot; the missing fifth entry reads as slot index 0.
  EXPECT_EQ(w.assigned, (std::vector<std::int32_t>{3, 131, 0}));
  EXPECT_EQ(w.macroNames, (std::vector<std::u16string>{u"", u""}));
  EXPECT_EQ(w.macroSteps[0], (MacroStepList{1, 2, 0, 4}));  // no steps made up
  EXPECT_EQ(w.macroSteps[1], (MacroStepList{5, 6}));
}

TEST(SettingsLoad, HugeCountsNeitherHangNorInventSteps) {
  const MainLayout layout = makeLayout();
  ProfileSet profiles;
  // Once loaded as 300,000 zero steps, and saved as 1.28 MB.
  LoadProfile(profiles, layout,
              ini("[Profile1]\nMacroStrNum=1\nMacroKeyNum0=2000000000\nMacroKey0=1966080,65,1\n"),
              1, 1);
  EXPECT_EQ(profiles.working.macroSteps, (std::vector<MacroStepList>{{1966080, 65, 1}}));
  ini::IniDocument saved;
  SaveProfile(profiles, layout.slots, saved, 1);
  EXPECT_EQ(saved.getString(u"Profile1", u"MacroKey0"), u"1966080,65,1");
  EXPECT_LT(saved.serialize().size(), 16000u);  // the 121 keys and the one macro

  LoadProfile(profiles, layout,
              ini("[Profile1]\nSetIndexNum=2000000000\nMacroStrNum=2000000000\n"
                  "MacroKeyNum0=2000000000\nMacroKeyNum1=2000000000\n"),
              1, 1);
  const ProfileData& w = profiles.working;
  EXPECT_EQ(w.assigned.size(), static_cast<std::size_t>(kMaxListCount));
  EXPECT_EQ(w.macroSteps.size(), static_cast<std::size_t>(kMaxListCount));
  EXPECT_TRUE(w.macroSteps[0].empty());
}

TEST(SettingsLoad, NamesAreCutAndAMacroPlaysAtMostTheEntryLimit) {
  const MainLayout layout = makeLayout();
  std::string presses;
  for (std::size_t i = 0; i < kMaxEntryCodes + 5; ++i) presses += "0,66,1,";
  const std::string longName(300, 'n');
  ProfileSet profiles;
  LoadProfile(profiles, layout,
              ini("[Profile1]\nMacroStrNum=1\nMacroName0=" + longName + "\nMacroKeyNum0=" +
                  std::to_string(3 * (kMaxEntryCodes + 5)) + "\nMacroKey0=" + presses +
                  "\nIndexPic65=1\nMacroIndex65=0\nSetName65=" + longName + "\n"),
              1, 1);
  const ProfileData& w = profiles.working;
  EXPECT_EQ(w.macroNames[0].size(), kMaxNameLength);
  EXPECT_EQ(w.keys[0].name.size(), kMaxNameLength);
  EXPECT_EQ(w.macroSteps[0].size(), 3 * (kMaxEntryCodes + 5));  // kept whole
  EXPECT_EQ(w.translation.at(kKeyA).size(), kMaxEntryCodes);    // what plays
}

}  // namespace
}  // namespace tarsil
