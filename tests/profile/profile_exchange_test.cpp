#include "profile/profile_exchange.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "profile/profile_operations.h"
#include "profile/settings_file.h"
#include "support/temp_folder.h"
#include "test_layout.h"

namespace tarsil {
namespace {

using testing::kKeyA;
using testing::kKeyB;
using testing::makeLayout;
using testing::TempFolder;

ProfileSet withProfileTwoActive(const MainLayout& layout) {
  ProfileSet profiles;
  loadSettings(profiles, layout, ini::IniDocument::parse("[TYPE]\ntype=2\n"));
  profiles.working.translation[kKeyA] = {kKeyB};
  profiles.working.keys[0] = {u"B", KindSingleKey, 0};
  profiles.working.assigned = {0};
  CommitWorkingProfile(profiles);
  return profiles;
}

TEST(Export, WritesTheTypeFirstThenTheActiveStore) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  ProfileSet profiles = withProfileTwoActive(layout);
  profiles.working.translation[kKeyB] = {kKeyA};  // not applied: stays out
  ASSERT_TRUE(exportProfile(profiles, layout.slots, folder / "p.ini").ok());

  const std::string bytes = TempFolder::read(folder / "p.ini");
  EXPECT_EQ(bytes.rfind("[TYPE]\r\ntype=2\r\n[Profile2]\r\n", 0), 0u);
  const ini::IniDocument file = ini::IniDocument::parse(bytes);
  EXPECT_EQ(file.getInt(u"Profile2", u"Key65", 0), kKeyB);
  EXPECT_EQ(file.getInt(u"Profile2", u"Key66", 0), kKeyB);
  EXPECT_FALSE(file.hasSection(u"Profile1"));
}

TEST(Export, OverAnExistingFileReplacesOnlyTypeAndThatSection) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  TempFolder::write(folder / "set.ini",
                    "[TYPE]\r\ntype=1\r\n[Profile1]\r\nKey65=90\r\n[Profile2]\r\nKey65=91\r\n"
                    "[Profile3]\r\nKey65=92\r\n");
  ProfileSet profiles = withProfileTwoActive(layout);
  ASSERT_TRUE(exportProfile(profiles, layout.slots, folder / "set.ini").ok());
  const ini::IniDocument file = ini::IniDocument::parse(TempFolder::read(folder / "set.ini"));
  EXPECT_EQ(file.getInt(u"TYPE", u"type", 0), 2);
  EXPECT_EQ(file.getInt(u"Profile1", u"Key65", 0), 90);
  EXPECT_EQ(file.getInt(u"Profile2", u"Key65", 0), kKeyB);
  EXPECT_EQ(file.getInt(u"Profile3", u"Key65", 0), 92);
}

TEST(Import, GoesIntoTheActiveProfileWhateverNumberTheFileCarries) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  ProfileSet source = withProfileTwoActive(layout);
  ASSERT_TRUE(exportProfile(source, layout.slots, folder / "p.ini").ok());

  ProfileSet target;
  loadSettings(target, layout, ini::IniDocument::parse("[TYPE]\ntype=3\n"));
  target.modified = true;
  ASSERT_TRUE(importProfile(target, layout, folder / "p.ini").ok());
  EXPECT_EQ(target.stores[2].translation.at(kKeyA), KeyList{kKeyB});
  EXPECT_EQ(target.stores[1].translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_EQ(target.working, target.stores[2]);
  EXPECT_EQ(target.working.assigned, std::vector<std::int32_t>{0});
  EXPECT_TRUE(target.modified);  // import leaves the flag alone
}

TEST(Import, AFileWithoutTypeReadsProfileOne) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  TempFolder::write(folder / "p.ini", "[Profile1]\nKey65=67\n[Profile2]\nKey65=68\n");
  ProfileSet profiles;
  loadSettings(profiles, layout, ini::IniDocument::parse("[TYPE]\ntype=2\n"));
  ASSERT_TRUE(importProfile(profiles, layout, folder / "p.ini").ok());
  EXPECT_EQ(profiles.stores[1].translation.at(kKeyA), KeyList{67});
}

TEST(Import, AMissingFileIsReportedAndChangesNothing) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  ProfileSet profiles = withProfileTwoActive(layout);
  const ProfileSet before = profiles;
  const ini::FileStatus status = importProfile(profiles, layout, folder / "absent.ini");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.error.find("absent.ini"), std::string::npos);
  EXPECT_EQ(profiles.working, before.working);
  EXPECT_EQ(profiles.stores, before.stores);
}

TEST(SaveSettings, CommitsWritesAllThreeAndKeepsOtherSections) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  TempFolder::write(folder / "set.ini", "[Mine]\r\nnote=kept\r\n");
  ProfileSet profiles = withProfileTwoActive(layout);
  profiles.working.translation[kKeyB] = {kKeyA};  // uncommitted: exit keeps it
  profiles.modified = true;
  ASSERT_TRUE(saveSettings(profiles, layout.slots, folder / "set.ini").ok());

  const ini::IniDocument file = ini::IniDocument::parse(TempFolder::read(folder / "set.ini"));
  EXPECT_EQ(file.getString(u"Mine", u"note"), u"kept");
  EXPECT_EQ(file.getInt(u"TYPE", u"type", 0), 2);
  EXPECT_EQ(file.getInt(u"Profile2", u"Key66", 0), kKeyA);
  EXPECT_TRUE(file.hasSection(u"Profile1"));
  EXPECT_TRUE(file.hasSection(u"Profile3"));
  EXPECT_EQ(file.keysOf(u"TYPE").size(), 1u);

  ProfileSet reloaded;
  loadSettings(reloaded, layout, file);
  EXPECT_EQ(reloaded.stores, profiles.stores);
}

TEST(SaveSettings, AFailedSaveIsReportedAndTheOldFileStays) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  // The settings path is a folder: nothing can be written in its place.
  std::filesystem::create_directories(folder / "set.ini");
  ProfileSet profiles = withProfileTwoActive(layout);
  EXPECT_FALSE(saveSettings(profiles, layout.slots, folder / "set.ini").ok());
  EXPECT_FALSE(exportProfile(profiles, layout.slots, folder / "set.ini").ok());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "set.ini"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(SaveSettings, NonAsciiNamesSurviveTheFile) {
  const MainLayout layout = makeLayout();
  TempFolder folder;
  ProfileSet profiles = withProfileTwoActive(layout);
  profiles.working.macroNames = {u"\u5f00\u706b \U0001F3AE"};
  profiles.working.macroSteps = {{}};
  ASSERT_TRUE(saveSettings(profiles, layout.slots, folder / "set.ini").ok());
  ProfileSet reloaded;
  ini::ReadResult read = ini::readIniFile(folder / "set.ini");
  ASSERT_TRUE(read.status.ok());
  loadSettings(reloaded, layout, read.document);
  EXPECT_EQ(reloaded.working.macroNames, profiles.working.macroNames);
}

}  // namespace
}  // namespace tarsil
