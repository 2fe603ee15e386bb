// A run from start to finish, as the window and tarsilctl drive it.
#include "session/keyboard_session.h"

#include <gtest/gtest.h>

#include <fstream>

#include "ini/ini_file.h"
#include "profile/profile_operations.h"
#include "session_files.h"

namespace tarsil {
namespace {

using testing::installProgramFolder;
using testing::kKeyA;
using testing::kKeyB;
using testing::TempFolder;

SessionFiles filesIn(const TempFolder& folder) { return {folder / "Main.ini", folder / "set.ini"}; }

struct KeepEverything final : ChangedFilePrompt, SavePrompt {
  bool keepUnappliedEdits(std::int32_t) override { return true; }
  bool confirmSaveChanges() override { return true; }
} keep;

TEST(SessionFiles, AreBesideTheExecutable) {
  const SessionFiles windows = filesBesideExecutable(u"C:\\Games\\Tarsil\\Tarsil.exe");
  EXPECT_EQ(windows.layout.u16string(), u"C:\\Games\\Tarsil\\Main.ini");
  EXPECT_EQ(windows.settings.u16string(), u"C:\\Games\\Tarsil\\set.ini");
  EXPECT_EQ(filesBesideExecutable("/opt/tarsil/tarsil").settings.u16string(),
            u"/opt/tarsil/set.ini");
  EXPECT_EQ(filesBesideExecutable("tarsil").layout.u16string(), u"Main.ini");
}

TEST(Session, StartLoadsTheActiveProfileLastAndFinishCommitsAndSaves) {
  TempFolder folder;
  installProgramFolder(folder);
  TempFolder::write(folder / "set.ini",
                    "[TYPE]\r\ntype=2\r\n[Profile1]\r\nKey65=67\r\n[Profile2]\r\nKey65=68\r\n"
                    "[Mine]\r\nnote=kept\r\n");
  KeyboardSession session;
  EXPECT_TRUE(session.start(filesIn(folder)).empty());
  ASSERT_TRUE(session.running());
  ProfileSet& profiles = session.profiles();
  EXPECT_EQ(profiles.activeProfile, 2);
  EXPECT_EQ(profiles.working.translation.at(kKeyA), KeyList{68});
  EXPECT_EQ(profiles.stores[0].translation.at(kKeyA), KeyList{67});

  profiles.working.translation[kKeyB] = {kKeyA};  // not applied: the exit keeps it anyway
  EXPECT_TRUE(session.finish().empty());
  EXPECT_FALSE(session.running());
  const ini::ReadResult saved = ini::readIniFile(folder / "set.ini");
  EXPECT_EQ(saved.document.getInt(u"Profile2", u"Key66", 0), kKeyA);
  // Only what changed is written: profile 1 keeps its bytes.
  EXPECT_EQ(saved.document.keysOf(u"Profile1"), std::vector<std::u16string>{u"Key65"});
  EXPECT_FALSE(saved.document.hasSection(u"Profile3"));
  EXPECT_EQ(saved.document.getString(u"Mine", u"note"), u"kept");
}

#ifdef TARSIL_SOURCE_DIR
TEST(Session, TheSampleSettingsAreSavedBackByteForByte) {
  // The sample in the program's own form, as its first save writes it; that
  // file, without timed macros, is then saved exactly as it was read, with
  // no key of timing in it.
  TempFolder folder;
  const std::filesystem::path source = TARSIL_SOURCE_DIR;
  std::filesystem::copy_file(source / "assets" / "Main.ini", folder / "Main.ini");
  std::filesystem::copy_file(source / "examples" / "set.ini", folder / "set.ini");
  std::string saved;
  for (int round = 0; round < 2; ++round) {
    KeyboardSession session;
    EXPECT_TRUE(session.start(filesIn(folder)).empty());
    EXPECT_TRUE(session.finish().empty());
    if (round == 1) {
      EXPECT_EQ(TempFolder::read(folder / "set.ini"), saved);
    }
    saved = TempFolder::read(folder / "set.ini");
  }
  EXPECT_EQ(saved.find("MacroMode"), std::string::npos);
  EXPECT_EQ(saved.find("MacroDelay"), std::string::npos);
}
#endif

TEST(Session, WithoutALayoutThereIsNoRunAndNothingIsWritten) {
  TempFolder folder;
  KeyboardSession session;
  const Notices notices = session.start(filesIn(folder));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].level, Notice::Level::kError);
  EXPECT_NE(notices[0].text.find(ini::pathText(folder / "Main.ini")), std::string::npos);
  EXPECT_FALSE(session.running());
  EXPECT_TRUE(session.finish().empty());
  EXPECT_FALSE(std::filesystem::exists(folder / "set.ini"));

  const Notices noPath = session.start(std::nullopt);
  ASSERT_EQ(noPath.size(), 1u);
  EXPECT_EQ(noPath[0].text.rfind("Failed to get the saved file path!", 0), 0u);
  EXPECT_FALSE(session.running());
}

// A layout the settings cannot be keyed by ends the run before set.ini is
// read or written, with a notice that names the file and what is wrong.
TEST(Session, ALayoutThatWouldLoseKeysIsRefusedBeforeTheSettingsAreTouched) {
  TempFolder folder;
  installProgramFolder(folder);
  const std::string whole = TempFolder::read(folder / "Main.ini");
  std::string utf16;
  for (const char c : whole) utf16.append({c, '\0'});
  const std::string settings = "[TYPE]\r\ntype=2\r\n";
  TempFolder::write(folder / "set.ini", settings);
  const std::pair<std::string, std::string> cases[] = {
      {whole.substr(0, whole.find("\r\n60=") + 2), ": slot 60 is missing"},
      {utf16, ": it is UTF-16 text without its byte-order mark"},
      {std::string(2 << 20, ' '), "larger than a keyboard layout could usefully be"},
  };
  for (const auto& [bytes, says] : cases) {
    TempFolder::write(folder / "Main.ini", bytes);
    KeyboardSession session;
    const Notices notices = session.start(filesIn(folder));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].text.find(ini::pathText(folder / "Main.ini")), std::string::npos);
    EXPECT_NE(notices[0].text.find(says), std::string::npos) << notices[0].text;
    EXPECT_FALSE(session.running());
    EXPECT_TRUE(session.finish().empty());
  }
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), settings);
}

TEST(Session, AnUnreadableSettingsFileIsToldOnceAndNeverOverwritten) {
  TempFolder folder;
  installProgramFolder(folder);
  std::filesystem::create_directory(folder / "set.ini");
  KeyboardSession session;
  const Notices notices = session.start(filesIn(folder));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].level, Notice::Level::kWarning);
  // Under Wine, too, where opening a folder only says "Access denied".
  EXPECT_EQ(notices[0].text, "Cannot read " + ini::pathText(folder / "set.ini") +
                                 ": it is a folder, not a file. The program runs with the default "
                                 "settings and leaves the file as it is.");
  ASSERT_TRUE(session.running());
  EXPECT_FALSE(session.maySave());
  EXPECT_EQ(session.profiles().working.translation.at(kKeyA), KeyList{kKeyA});
  EXPECT_TRUE(session.finish().empty());
  EXPECT_TRUE(std::filesystem::is_directory(folder / "set.ini"));

  SessionOptions tool;
  tool.unreadableSettings = UnreadableSettings::kStop;
  EXPECT_EQ(session.start(filesIn(folder), tool).size(), 1u);
  EXPECT_FALSE(session.running());
}

// Files larger or longer than any the program writes are not read: the
// program runs on defaults and leaves them alone.
TEST(Session, AFileLargerThanTheProgramWritesIsRefusedAndNeverOverwritten) {
  TempFolder folder;
  installProgramFolder(folder);
  const auto settings = folder / "set.ini";
  { std::ofstream(settings) << "[TYPE]\r\ntype=2\r\n"; }
  std::filesystem::resize_file(settings, kMaxSettingsFileBytes + 1);  // sparse: no disk
  KeyboardSession session;
  Notices notices = session.start(filesIn(folder));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("larger than any file of its kind the program writes"),
            std::string::npos)
      << notices[0].text;
  EXPECT_EQ(session.profiles().activeProfile, 1);
  EXPECT_TRUE(session.finish().empty());
  EXPECT_EQ(std::filesystem::file_size(settings), kMaxSettingsFileBytes + 1);

  TempFolder::write(settings, std::string(kMaxSettingsFileLines + 1, '\n'));
  notices = session.start(filesIn(folder));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].text.find("lines are more than"), std::string::npos) << notices[0].text;
  TempFolder::write(settings, std::string(kMaxSettingsFileLines, '\n'));
  EXPECT_TRUE(session.start(filesIn(folder)).empty());
}

// Random bytes over set.ini, or a link to some text: no settings file. An
// empty or blank file still means that every key types itself. Only a run
// that asks for it refuses such text: the window keeps reading it as the
// defaults.
TEST(Session, TextWithoutSettingsSectionsIsRefusedWhenAskedAndAnEmptyFileIsNot) {
  TempFolder folder;
  installProgramFolder(folder);
  SessionOptions daemon;
  daemon.refuseTextWithoutSections = true;
  daemon.unreadableSettings = UnreadableSettings::kStop;
  KeyboardSession session;
  using namespace std::string_literals;
  for (const std::string& noise :
       {"\x9c\x01\xfe garbage\0\x7f"s, "[Other]\r\nKey65=66\r\n"s, ";[TYPE]"s}) {
    TempFolder::write(folder / "set.ini", noise);
    const Notices notices = session.start(filesIn(folder), daemon);
    ASSERT_EQ(notices.size(), 1u) << noise;
    EXPECT_EQ(notices[0].text, "Cannot read " + ini::pathText(folder / "set.ini") +
                                   ": it holds text but no [TYPE], profile or [AutoProfile] "
                                   "section, so it is no settings file");
    EXPECT_FALSE(session.running());
    EXPECT_TRUE(session.start(filesIn(folder)).empty()) << noise;
  }
  for (const char* settings : {"", " \r\n\r\n\t", "[profile2]\r\nKey65=66\r\n"}) {
    TempFolder::write(folder / "set.ini", settings);
    EXPECT_TRUE(session.start(filesIn(folder), daemon).empty()) << settings;
    EXPECT_TRUE(session.running());
  }
  // A window run with that option reads the defaults and leaves the text.
  daemon.unreadableSettings = UnreadableSettings::kRunWithDefaults;
  TempFolder::write(folder / "set.ini", "notes\n");
  EXPECT_EQ(session.start(filesIn(folder), daemon).size(), 1u);
  EXPECT_FALSE(session.maySave());
  EXPECT_TRUE(session.finish().empty());
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), "notes\n");
}

// The program leaves a whole file to look at; a tool writes what it changed.
TEST(Session, AMissingSettingsFileIsWrittenWholeByTheProgramAndInPartByATool) {
  TempFolder folder;
  installProgramFolder(folder);
  KeyboardSession session;
  EXPECT_TRUE(session.start(filesIn(folder)).empty());
  EXPECT_TRUE(session.maySave());
  EXPECT_TRUE(session.finish().empty());
  const ini::IniDocument whole = ini::readIniFile(folder / "set.ini").document;
  EXPECT_EQ(whole.getInt(u"TYPE", u"type", 0), 1);
  EXPECT_EQ(whole.getInt(u"Profile3", u"Key65", 0), kKeyA);

  std::filesystem::remove(folder / "set.ini");
  SessionOptions tool;
  tool.writeMissingFileWhole = false;
  session.start(filesIn(folder), tool);
  EXPECT_TRUE(session.finish().empty());
  EXPECT_FALSE(std::filesystem::exists(folder / "set.ini"));
  session.start(filesIn(folder), tool);
  SwitchProfile(session.profiles(), 3, keep);
  EXPECT_TRUE(session.save(keep).empty());
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), "[TYPE]\r\ntype=3\r\n");
}

TEST(Session, TheExitSaveKeepsTheBytesOfAnEightBitFileItCannotRead) {
  TempFolder folder;
  installProgramFolder(folder);
  // GBK names, from a Chinese Windows; no code page is named here.
  const std::string notes = "[Notes]\nmine=\xD7\xA2\xCA\xCD\n";
  TempFolder::write(folder / "set.ini", notes +
                                            "[Profile1]\r\nIndexPic65=1\r\nSetName65=\xBA\xEA\r\n"
                                            "MacroStrNum=1\r\nMacroName0=\xBA\xEA\r\n");
  KeyboardSession session;
  session.start(filesIn(folder));
  EXPECT_TRUE(session.finish().empty());
  const std::string saved = TempFolder::read(folder / "set.ini");
  EXPECT_EQ(saved.rfind(notes, 0), 0u);  // untouched, and still 8-bit
  EXPECT_NE(saved.find("\r\nSetName65=\xBA\xEA\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nMacroName0=\xBA\xEA\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tarsil
