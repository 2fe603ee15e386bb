#include "profile/profile_exchange.h"

#include <gtest/gtest.h>

#include "printers.h"
#include "profile/profile_operations.h"
#include "profile/settings_file.h"
#include "temp_folder.h"
#include "test_layout.h"

namespace tarsil {
namespace {

using testing::kKeyA;
using testing::kKeyB;
using testing::MakeLayout;
using testing::TempFolder;

ProfileSet WithProfileTwoActive(const MainLayout& layout) {
  ProfileSet profiles;
  LoadSettings(profiles, layout, ini::IniDocument::Parse("[TYPE]\ntype=2\n"));
  profiles.working.translation[kKeyA] = {kKeyB};
  profiles.working.keys[0] = {u"B", KindSingleKey, 0};
  profiles.working.assigned = {0};
  CommitWorkingProfile(profiles);
  return profiles;
}

TEST(Export, WritesTheTypeFirstThenTheActiveStore) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  ProfileSet profiles = WithProfileTwoActive(layout);
  profiles.working.translation[kKeyB] = {kKeyA};  // not applied: stays out
  ASSERT_TRUE(ExportProfile(profiles, layout.slots, folder / "p.ini").ok());

  const std::string bytes = TempFolder::Read(folder / "p.ini");
  EXPECT_EQ(bytes.rfind("[TYPE]\r\ntype=2\r\n[Profile2]\r\n", 0), 0u);
  const ini::IniDocument file = ini::IniDocument::Parse(bytes);
  EXPECT_EQ(file.GetInt(u"Profile2", u"Key65", 0), kKeyB);
  EXPECT_EQ(file.GetInt(u"Profile2", u"Key66", 0), kKeyB);
  EXPECT_FALSE(file.HasSection(u"Profile1"));
}

TEST(Export, OverAnExistingFileReplacesOnlyTypeAndThatSection) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  TempFolder::Write(folder / "set.ini",
                    "[TYPE]\r\ntype=1\r\n[Profile1]\r\nKey65=90\r\n[Profile2]\r\nKey65=91\r\n"
                    "[Profile3]\r\nKey65=92\r\n");
  ProfileSet profiles = WithProfileTwoActive(layout);
  ASSERT_TRUE(ExportProfile(profiles, layout.slots, folder / "set.ini").ok());
  const ini::IniDocument file = ini::IniDocument::Parse(TempFolder::Read(folder / "set.ini"));
  EXPECT_EQ(file.GetInt(u"TYPE", u"type", 0), 2);
  EXPECT_EQ(file.GetInt(u"Profile1", u"Key65", 0), 90);
  EXPECT_EQ(file.GetInt(u"Profile2", u"Key65", 0), kKeyB);
  EXPECT_EQ(file.GetInt(u"Profile3", u"Key65", 0), 92);
}

TEST(Import, GoesIntoTheActiveProfileWhateverNumberTheFileCarries) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  ProfileSet source = WithProfileTwoActive(layout);
  ASSERT_TRUE(ExportProfile(source, layout.slots, folder / "p.ini").ok());

  ProfileSet target;
  LoadSettings(target, layout, ini::IniDocument::Parse("[TYPE]\ntype=3\n"));
  target.modified = true;
  ASSERT_TRUE(ImportProfile(target, layout, folder / "p.ini").ok());
  EXPECT_EQ(target.stores[2].translation.at(kKeyA), KeyList{kKeyB});
  EXPECT_EQ(target.stores[1].translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_EQ(target.working, target.stores[2]);
  EXPECT_EQ(target.working.assigned, std::vector<std::int32_t>{0});
  EXPECT_TRUE(target.modified);  // import leaves the flag alone
}

TEST(Import, AFileWithoutTypeReadsProfileOne) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  TempFolder::Write(folder / "p.ini", "[Profile1]\nKey65=67\n[Profile2]\nKey65=68\n");
  ProfileSet profiles;
  LoadSettings(profiles, layout, ini::IniDocument::Parse("[TYPE]\ntype=2\n"));
  ASSERT_TRUE(ImportProfile(profiles, layout, folder / "p.ini").ok());
  EXPECT_EQ(profiles.stores[1].translation.at(kKeyA), KeyList{67});
}

TEST(Import, AMissingFileIsReportedAndChangesNothing) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  ProfileSet profiles = WithProfileTwoActive(layout);
  const ProfileSet before = profiles;
  const ini::FileStatus status = ImportProfile(profiles, layout, folder / "absent.ini");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.error.find("absent.ini"), std::string::npos);
  EXPECT_EQ(profiles.working, before.working);
  EXPECT_EQ(profiles.stores, before.stores);
}

TEST(SaveSettings, CommitsWritesAllThreeAndKeepsOtherSections) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  TempFolder::Write(folder / "set.ini", "[Mine]\r\nnote=kept\r\n");
  ProfileSet profiles = WithProfileTwoActive(layout);
  profiles.working.translation[kKeyB] = {kKeyA};  // uncommitted: exit keeps it
  profiles.modified = true;
  ASSERT_TRUE(SaveSettings(profiles, layout.slots, folder / "set.ini").ok());

  const ini::IniDocument file = ini::IniDocument::Parse(TempFolder::Read(folder / "set.ini"));
  EXPECT_EQ(file.GetString(u"Mine", u"note"), u"kept");
  EXPECT_EQ(file.GetInt(u"TYPE", u"type", 0), 2);
  EXPECT_EQ(file.GetInt(u"Profile2", u"Key66", 0), kKeyA);
  EXPECT_TRUE(file.HasSection(u"Profile1"));
  EXPECT_TRUE(file.HasSection(u"Profile3"));
  EXPECT_EQ(file.KeysOf(u"TYPE").size(), 1u);

  ProfileSet reloaded;
  LoadSettings(reloaded, layout, file);
  EXPECT_EQ(reloaded.stores, profiles.stores);
}

TEST(SaveSettings, AFailedSaveIsReportedAndTheOldFileStays) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  // The settings path is a folder: nothing can be written in its place.
  std::filesystem::create_directories(folder / "set.ini");
  ProfileSet profiles = WithProfileTwoActive(layout);
  EXPECT_FALSE(SaveSettings(profiles, layout.slots, folder / "set.ini").ok());
  EXPECT_FALSE(ExportProfile(profiles, layout.slots, folder / "set.ini").ok());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "set.ini"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(SaveSettings, NonAsciiNamesSurviveTheFile) {
  const MainLayout layout = MakeLayout();
  TempFolder folder;
  ProfileSet profiles = WithProfileTwoActive(layout);
  profiles.working.macroNames = {u"\u5f00\u706b \U0001F3AE"};
  profiles.working.macroSteps = {{}};
  ASSERT_TRUE(SaveSettings(profiles, layout.slots, folder / "set.ini").ok());
  ProfileSet reloaded;
  ini::ReadResult read = ini::ReadIniFile(folder / "set.ini");
  ASSERT_TRUE(read.status.ok());
  LoadSettings(reloaded, layout, read.document);
  EXPECT_EQ(reloaded.working.macroNames, profiles.working.macroNames);
}

}  // namespace
}  // namespace tarsil
