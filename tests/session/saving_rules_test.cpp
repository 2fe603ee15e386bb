// When set.ini is written, and what happens to changes another program
// makes to it while a run goes on.
#include <gtest/gtest.h>

#include <functional>

#include "ini/ini_file.h"
#include "profile/profile_operations.h"
#include "session/keyboard_session.h"
#include "session_files.h"

namespace tarsil {
namespace {

using testing::installProgramFolder;
using testing::kKeyA;
using testing::kKeyB;
using testing::kKeyF;
using testing::TempFolder;

// Answers the questions as told, and counts the one about unapplied edits.
struct Answers final : ChangedFilePrompt, SavePrompt {
  bool keepEdits = true;
  int asked = 0;
  bool keepUnappliedEdits(std::int32_t) override {
    ++asked;
    return keepEdits;
  }
  bool confirmSaveChanges() override { return true; }
};

class SavingRules : public ::testing::Test {
 protected:
  SavingRules() {
    installProgramFolder(folder);
    TempFolder::write(settings(),
                      "[TYPE]\r\ntype=1\r\n[Profile1]\r\nKey65=67\r\n"
                      "[Profile2]\r\n; mine, by hand\r\nKey65=68\r\n[Mine]\r\nnote=kept\r\n");
    program.start(files());
  }

  SessionFiles files() const { return {folder / "Main.ini", settings()}; }
  std::filesystem::path settings() const { return folder / "set.ini"; }
  std::string file() const { return TempFolder::read(settings()); }
  std::int32_t keyA(std::u16string_view section) const {
    return ini::readIniFile(settings()).document.getInt(section, u"Key65", 0);
  }

  // Another program (tarsilctl) changes the file as it does: a run of its
  // own, which commits its working profile at the end.
  void outsideChange(const std::function<void(ProfileSet&)>& change) {
    KeyboardSession tool;
    SessionOptions options;
    options.unreadableSettings = UnreadableSettings::kStop;
    ASSERT_TRUE(tool.start(files(), options).empty());
    change(tool.profiles());
    ASSERT_TRUE(tool.finish().empty());
  }
  // An edit of key B in the working profile, not applied.
  void editKeyB(KeyCode code) {
    program.profiles().working.translation[kKeyB] = {code};
    program.profiles().modified = true;
  }

  TempFolder folder;
  KeyboardSession program;
  Answers answers;
};

TEST_F(SavingRules, TheProgramsRulesAreSavedAndFollowedLikeTheProfiles) {
  const std::string before = file();
  program.profiles().programRules = {{{u"game.exe", 2}}, 1};
  EXPECT_TRUE(program.save(answers).empty());
  EXPECT_EQ(program.writeCount(), 1u);
  // The section is added; every other byte stays.
  EXPECT_EQ(file(), before +
                        "[AutoProfile]\r\nProgramNum=1\r\nProgram0=game.exe\r\n"
                        "ProgramProfile0=2\r\nFallback=1\r\n");

  // Another program's change is taken while ours stands; a change on both
  // sides keeps ours and says so.
  outsideChange([](ProfileSet& tool) { tool.programRules.fallback = 3; });
  EXPECT_TRUE(program.followFile(answers).empty());
  EXPECT_EQ(program.profiles().programRules.fallback, 3);
  outsideChange([](ProfileSet& tool) { tool.programRules.rules.clear(); });
  program.profiles().programRules.rules[0].profile = 3;
  const Notices notices = program.followFile(answers);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("[AutoProfile]"), std::string::npos);
  EXPECT_EQ(readProgramRules(ini::readIniFile(settings()).document),
            (ProgramRules{{{u"game.exe", 3}}, 3}));
}

TEST_F(SavingRules, ACommitOrASwitchIsWrittenAtOnceAndNothingElseIs) {
  EXPECT_TRUE(program.save(answers).empty());
  EXPECT_EQ(program.writeCount(), 0u);

  editKeyB(kKeyF);
  CommitWorkingProfile(program.profiles());
  EXPECT_TRUE(program.save(answers).empty());
  EXPECT_EQ(program.writeCount(), 1u);
  EXPECT_EQ(ini::readIniFile(settings()).document.getInt(u"Profile1", u"Key66", 0), kKeyF);

  SwitchProfile(program.profiles(), 2, answers);
  EXPECT_TRUE(program.save(answers).empty());
  EXPECT_TRUE(program.save(answers).empty());
  EXPECT_EQ(program.writeCount(), 2u);
  EXPECT_EQ(ini::readIniFile(settings()).document.getInt(u"TYPE", u"type", 0), 2);
  // What the run did not change keeps its bytes.
  EXPECT_NE(file().find("[Profile2]\r\n; mine, by hand\r\nKey65=68\r\n[Mine]"), std::string::npos);
  EXPECT_EQ(answers.asked, 0);
}

TEST_F(SavingRules, AnOutsideChangeIsFollowedAndNeverWrittenOver) {
  outsideChange([this](ProfileSet& profiles) { SwitchProfile(profiles, 2, answers); });
  // The run has not looked yet (a dialog was open) when it saves a commit
  // of profile 1: the switch is read and kept, and so is the commit.
  editKeyB(kKeyF);
  CommitWorkingProfile(program.profiles());
  EXPECT_TRUE(program.save(answers).empty());
  EXPECT_EQ(program.profiles().activeProfile, 2);
  EXPECT_EQ(program.profiles().working.translation.at(kKeyA), KeyList{68});
  // Its own save is no outside change.
  EXPECT_TRUE(program.followFile(answers).empty());
  EXPECT_EQ(program.outsideChangeCount(), 1u);

  outsideChange([](ProfileSet& profiles) { profiles.working.translation[kKeyA] = {kKeyF}; });
  EXPECT_TRUE(program.followFile(answers).empty());
  EXPECT_EQ(program.outsideChangeCount(), 2u);
  EXPECT_EQ(program.profiles().working.translation.at(kKeyA), KeyList{kKeyF});
  EXPECT_TRUE(program.finish().empty());
  const ini::IniDocument saved = ini::readIniFile(settings()).document;
  EXPECT_EQ(saved.getInt(u"TYPE", u"type", 0), 2);
  EXPECT_EQ(saved.getInt(u"Profile1", u"Key66", 0), kKeyF);
  EXPECT_EQ(saved.getInt(u"Profile2", u"Key65", 0), kKeyF);
  EXPECT_EQ(answers.asked, 0);
}

// Unapplied edits stay unless the change replaces what they were made on:
// then the user decides, before anything changes.
TEST_F(SavingRules, UnappliedEditsAreAskedAboutWhenTheChangeReplacesTheirProfile) {
  editKeyB(kKeyF);
  outsideChange([](ProfileSet& profiles) { profiles.stores[2].translation[kKeyA] = {kKeyB}; });
  EXPECT_TRUE(program.followFile(answers).empty());
  EXPECT_EQ(answers.asked, 0);
  EXPECT_TRUE(program.profiles().modified);
  EXPECT_EQ(program.profiles().working.translation.at(kKeyB), KeyList{kKeyF});
  EXPECT_EQ(program.profiles().stores[2].translation.at(kKeyA), KeyList{kKeyB});

  answers.keepEdits = false;
  outsideChange([](ProfileSet& profiles) { profiles.working.translation[kKeyA] = {kKeyB}; });
  program.followFile(answers);
  EXPECT_EQ(answers.asked, 1);
  EXPECT_FALSE(program.profiles().modified);
  EXPECT_EQ(program.profiles().working.translation.at(kKeyA), KeyList{kKeyB});
  EXPECT_EQ(program.profiles().working.translation.at(kKeyB), KeyList{kKeyB});

  answers.keepEdits = true;
  editKeyB(kKeyF);
  outsideChange([this](ProfileSet& profiles) { SwitchProfile(profiles, 3, answers); });
  program.followFile(answers);
  EXPECT_EQ(answers.asked, 2);
  // Kept: applied to profile 1, where they were made, and saved there.
  EXPECT_EQ(program.profiles().activeProfile, 3);
  EXPECT_EQ(ini::readIniFile(settings()).document.getInt(u"Profile1", u"Key66", 0), kKeyF);
  EXPECT_EQ(ini::readIniFile(settings()).document.getInt(u"TYPE", u"type", 0), 3);
}

TEST_F(SavingRules, AProfileChangedOnBothSidesKeepsOursAndSaysSo) {
  editKeyB(kKeyF);
  CommitWorkingProfile(program.profiles());  // not saved yet
  outsideChange([](ProfileSet& profiles) { profiles.working.translation[kKeyA] = {kKeyB}; });
  const Notices notices = program.followFile(answers);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("profile 1"), std::string::npos) << notices[0].text;
  EXPECT_EQ(keyA(u"Profile1"), 67);
  EXPECT_EQ(ini::readIniFile(settings()).document.getInt(u"Profile1", u"Key66", 0), kKeyF);
}

TEST_F(SavingRules, TheEndOfAWindowsSessionSavesAsTheExitDoesAndADeletedFileComesBack) {
  editKeyB(kKeyF);  // unapplied: the end commits it, as the exit does
  std::filesystem::remove(settings());
  EXPECT_TRUE(program.saveAtSessionEnd().empty());
  EXPECT_TRUE(program.running());
  EXPECT_EQ(ini::readIniFile(settings()).document.getInt(u"Profile1", u"Key66", 0), kKeyF);
  EXPECT_EQ(keyA(u"Profile2"), 68);
}

}  // namespace
}  // namespace tarsil
