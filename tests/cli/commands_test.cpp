// tarsilctl's commands, run in-process on the shipped layout and sample.
#include "cli/commands.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "ini/ini_document.h"
#include "ini/ini_file.h"
#include "session/keyboard_session.h"
#include "support/temp_folder.h"

namespace tarsil::cli {
namespace {

using ini::pathText;
using testing::TempFolder;

const std::filesystem::path kSource = TARSIL_SOURCE_DIR;
const std::filesystem::path kLayout = kSource / "assets" / "Main.ini";
const std::filesystem::path kSample = kSource / "examples" / "set.ini";

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

template <typename Command>
Outcome invoke(const std::filesystem::path& settings, Command command,
               std::optional<std::filesystem::path> layout = kLayout,
               std::optional<std::string> codePage = std::nullopt) {
  std::ostringstream out, err;
  const Context context{settings, layout, codePage, out, err};
  const int code = command(context);
  return {code, out.str(), err.str()};
}

TEST(Dump, HasTheDocumentedShapeForTheSample) {
  const Outcome run = invoke(kSample, runDump);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  const nlohmann::json dump = nlohmann::json::parse(run.out);
  EXPECT_EQ(dump["activeProfile"], 1);
  ASSERT_EQ(dump["profiles"].size(), 3u);
  const nlohmann::json& p1 = dump["profiles"][0];
  EXPECT_EQ(p1["number"], 1);
  EXPECT_EQ(p1["translation"]["20"], nlohmann::json::array({162}));
  EXPECT_EQ(p1["translation"]["112"], nlohmann::json::array({17, 67}));
  EXPECT_EQ(p1["translation"]["116"], nlohmann::json::array({71, 71}));
  EXPECT_EQ(p1["translation"]["19"], nlohmann::json::array({179}));
  EXPECT_EQ(p1["translation"]["27"], nlohmann::json::array({27}));
  EXPECT_EQ(p1["bindings"], nlohmann::json({{"116", 0}}));
  EXPECT_EQ(p1["assigned"], nlohmann::json::array({55, 1, 2, 3, 5, 101, 102, 103, 11}));
  EXPECT_EQ(p1["macros"][0]["name"], "gg");
  EXPECT_EQ(p1["macros"][0]["steps"].size(), 12u);
  ASSERT_EQ(p1["keys"].size(), 121u);
  EXPECT_EQ(
      p1["keys"][0],
      nlohmann::json({{"slot", 1}, {"vk", 27}, {"name", "Esc"}, {"kind", 0}, {"macroIndex", 0}}));
  EXPECT_EQ(dump["profiles"][1]["translation"]["20"], nlohmann::json::array({162, 32}));
  EXPECT_EQ(dump["profiles"][2]["translation"]["96"], nlohmann::json::array({97, 98, 99}));
}

TEST(Dump, AMissingSettingsFileDumpsTheDefaults) {
  TempFolder folder;
  EXPECT_EQ(invoke(folder / "set.ini", runCheck).code, kExitOk);
  const Outcome run = invoke(folder / "set.ini", runDump);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  const nlohmann::json dump = nlohmann::json::parse(run.out);
  EXPECT_EQ(dump["profiles"][2]["translation"]["65"], nlohmann::json::array({65}));
  EXPECT_EQ(dump["profiles"][2]["keys"][56]["name"], "A");
}

TEST(Show, SummarisesKeysAndMacrosPerProfile) {
  const Outcome run = invoke(kSample, runShow);
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("Active profile: 1"), std::string::npos);
  EXPECT_NE(run.out.find("Profile 1 (active)"), std::string::npos);
  EXPECT_NE(run.out.find("F1 (112): function \"Copy\" -> sends 17 67"), std::string::npos);
  EXPECT_NE(run.out.find("Caps Lock (20): macro \"Crouch jump\" (macro 0) -> sends 162 32"),
            std::string::npos);
  EXPECT_NE(run.out.find("0: Numpad 1-2-3: chord, 6 steps\n"), std::string::npos);
  EXPECT_EQ(run.out.find("Esc (27)"), std::string::npos);  // keys that type themselves stay out
  EXPECT_NE(run.out.find("F11 (122): function \"Profile 2\" -> switches to profile 2"),
            std::string::npos);
  EXPECT_NE(run.out.find("F12 (123): function \"Next Profile\" -> switches to the next profile"),
            std::string::npos);
  EXPECT_NE(run.out.find("\nPrograms (the profile that comes to the front with each, on "
                         "Windows):\n  shooter.exe: profile 2\n  vlc.exe: profile 3\n"
                         "  any other program: profile 1\n"),
            std::string::npos);
}

TEST(Show, SaysTheModeAndDurationOfATimedMacroAndCheckItsDelaysOutOfRange) {
  TempFolder folder;
  TempFolder::write(folder / "set.ini",
                    "[TYPE]\ntype=1\n[Profile1]\nIndexPic116=1\nMacroIndex116=0\n"
                    "SetName116=Combo\nMacroStrNum=1\nMacroName0=Combo\nMacroKeyNum0=18\n"
                    "MacroKey0=0,40,1,0,40,0,0,39,1,0,39,0,0,74,1,0,74,0\nMacroMode0=1\n"
                    "MacroDelay0=0,100,20,200,50,70000\n");
  const Outcome show = invoke(folder / "set.ini", runShow);
  EXPECT_NE(show.out.find("F5 (116): macro \"Combo\" (macro 0) -> plays Combo: sequence, 6 "
                          "steps, 60370 ms\n"),
            std::string::npos)
      << show.out;
  EXPECT_NE(show.out.find("0: Combo: sequence, 6 steps, 60370 ms\n"), std::string::npos);
  const Outcome check = invoke(folder / "set.ini", runCheck);
  EXPECT_EQ(check.code, kExitProblems);
  EXPECT_NE(check.out.find("MacroDelay0: holds 1 delay outside 0..60000 ms"), std::string::npos)
      << check.out;
  const nlohmann::json dump = nlohmann::json::parse(invoke(folder / "set.ini", runDump).out);
  EXPECT_EQ(dump["profiles"][0]["macros"][0]["mode"], 1);
  EXPECT_EQ(dump["profiles"][0]["macros"][0]["delays"],
            nlohmann::json::array({0, 100, 20, 200, 50, 60000}));
}

TEST(Show, FindsTheLayoutBesideTheSettingsOrSaysWhatIsMissing) {
  TempFolder folder;
  const Outcome missing = invoke(folder / "set.ini", runShow, std::nullopt);
  EXPECT_EQ(missing.code, kExitFailure);
  EXPECT_NE(missing.err.find("Main.ini"), std::string::npos);
  std::filesystem::copy_file(kLayout, folder / "Main.ini");
  EXPECT_EQ(invoke(folder / "set.ini", runShow, std::nullopt).code, kExitOk);
}

TEST(Check, TheSampleIsCleanAndAHandBrokenFileIsNot) {
  EXPECT_EQ(invoke(kSample, runCheck).code, kExitOk);
  TempFolder folder;
  TempFolder::write(folder / "set.ini",
                    "[TYPE]\ntype=9\n[Profile1]\nIndexPic112=3\nSetName112=copy\n"
                    "SetIndexNum=2000000000\nKey65=70000\n"
                    "[AutoProfile]\nProgramNum=1\nProgram0=game.exe\nProgramProfile0=7\n");
  const Outcome run = invoke(folder / "set.ini", runCheck);
  EXPECT_NE(run.out.find("[Profile1] Key65: is 70000, which names no key (key codes are 1..254)"),
            std::string::npos);
  EXPECT_NE(invoke(folder / "set.ini", runShow)
                .out.find("A (65): single key \"A\" -> sends "
                          "nothing (no key code)"),
            std::string::npos);
  EXPECT_EQ(run.code, kExitProblems);
  EXPECT_NE(run.out.find("[TYPE] type: is 9"), std::string::npos);
  EXPECT_NE(run.out.find("[Profile1] SetName112 = \"copy\": matches no function"),
            std::string::npos);
  EXPECT_NE(run.out.find("[Profile1] SetIndexNum: is 2000000000, beyond the limit"),
            std::string::npos);
  EXPECT_NE(run.out.find("[AutoProfile] ProgramProfile0 = \"game.exe\": is 7, no profile"),
            std::string::npos);
}

TEST(ExportImport, MoveTheActiveProfileBetweenFiles) {
  TempFolder folder;
  std::filesystem::copy_file(kSample, folder / "set.ini");
  ASSERT_EQ(invoke(folder / "set.ini",
                   [&](const Context& c) { return runExport(c, folder / "work.ini"); })
                .code,
            kExitOk);
  const std::string exported = TempFolder::read(folder / "work.ini");
  EXPECT_EQ(exported.rfind("[TYPE]\r\ntype=1\r\n[Profile1]\r\n", 0), 0u);

  // Make profile 3 active and import profile 1's export into it.
  TempFolder::write(folder / "set.ini", "[TYPE]\r\ntype=3\r\n");
  ASSERT_EQ(invoke(folder / "set.ini",
                   [&](const Context& c) { return runImport(c, folder / "work.ini"); })
                .code,
            kExitOk);
  const nlohmann::json dump = nlohmann::json::parse(invoke(folder / "set.ini", runDump).out);
  EXPECT_EQ(dump["activeProfile"], 3);
  EXPECT_EQ(dump["profiles"][2]["translation"]["112"], nlohmann::json::array({17, 67}));
  EXPECT_EQ(dump["profiles"][0]["translation"]["112"], nlohmann::json::array({112}));
}

// The sample is hand-written: keys left out, comments. A save of all three
// profiles would rewrite it from top to bottom.
TEST(ExportImport, ExportOnlyReadsTheSettingsAndImportWritesOnlyTheActiveProfile) {
  TempFolder folder;
  const std::string sample = TempFolder::read(kSample);
  TempFolder::write(folder / "set.ini", sample);
  const auto exportTo = [&](const std::filesystem::path& target) {
    return [=](const Context& c) { return runExport(c, target); };
  };
  ASSERT_EQ(invoke(folder / "set.ini", exportTo(folder / "out.ini")).code, kExitOk);
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), sample);

  // The dialog's layout in place of the keyboard's is refused by name, and
  // nothing is written anywhere.
  const Outcome wrongLayout = invoke(folder / "set.ini", exportTo(folder / "other.ini"),
                                     kSource / "assets" / "Composite.ini");
  EXPECT_EQ(wrongLayout.code, kExitFailure);
  EXPECT_NE(wrongLayout.err.find("Composite.ini"), std::string::npos) << wrongLayout.err;
  EXPECT_FALSE(std::filesystem::exists(folder / "other.ini"));
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), sample);

  TempFolder::write(folder / "in.ini", "[TYPE]\r\ntype=2\r\n[Profile2]\r\nKey65=66\r\n");
  ASSERT_EQ(
      invoke(folder / "set.ini", [&](const Context& c) { return runImport(c, folder / "in.ini"); })
          .code,
      kExitOk);
  const std::string after = TempFolder::read(folder / "set.ini");
  const std::size_t profile1 = sample.find("[Profile1]");
  const std::size_t profile2 = sample.find("[Profile2]");
  EXPECT_EQ(after.substr(0, profile1), sample.substr(0, profile1));
  EXPECT_EQ(after.substr(after.find("[Profile2]")), sample.substr(profile2));
  const nlohmann::json dump = nlohmann::json::parse(invoke(folder / "set.ini", runDump).out);
  EXPECT_EQ(dump["profiles"][0]["translation"]["65"], nlohmann::json::array({66}));
}

TEST(ExportImport, AFileWithoutTheProfileItNamesIsRefusedAndCheckSaysSo) {
  TempFolder folder;
  std::filesystem::copy_file(kSample, folder / "set.ini");
  const std::string before = TempFolder::read(folder / "set.ini");
  std::mt19937 random(4);
  std::string noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::pair<const char*, std::string> files[] = {
      {"empty.ini", ""},
      {"noise.ini", noise},
      {"notes.txt", "Shopping list\n- milk\n- keyboard\n"},
      {"other.ini", "[TYPE]\r\ntype=2\r\n[Profile1]\r\nKey65=66\r\n"}};
  for (const auto& [name, bytes] : files) {
    TempFolder::write(folder / name, bytes);
    const Outcome run = invoke(folder / "set.ini", [&, file = folder / name](const Context& c) {
      return runImport(c, file);
    });
    EXPECT_EQ(run.code, kExitFailure) << name;
    EXPECT_NE(run.err.find(pathText(folder / name)), std::string::npos) << run.err;
    EXPECT_EQ(TempFolder::read(folder / "set.ini"), before) << name;
  }
  const Outcome other = invoke(
      folder / "set.ini", [&](const Context& c) { return runImport(c, folder / "other.ini"); });
  EXPECT_NE(other.err.find("no [Profile2] section"), std::string::npos) << other.err;
  const Outcome check = invoke(folder / "notes.txt", runCheck);
  EXPECT_EQ(check.code, kExitProblems);
  EXPECT_NE(check.out.find("no [TYPE], profile or [AutoProfile] section"), std::string::npos)
      << check.out;
}

TEST(ExportImport, AnImportWhoseSaveFailsSaysSoAndNothingElse) {
  TempFolder folder;
  std::filesystem::copy_file(kSample, folder / "set.ini");
  std::filesystem::permissions(folder / "set.ini", std::filesystem::perms(0444));
  TempFolder::write(folder / "in.ini", "[TYPE]\r\ntype=1\r\n[Profile1]\r\nKey65=66\r\n");
  const Outcome run =
      invoke(folder / "set.ini", [&](const Context& c) { return runImport(c, folder / "in.ini"); });
  EXPECT_EQ(run.code, kExitFailure);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "Your settings could not be saved. Cannot write " +
                         pathText(folder / "set.ini") + ": the file is read-only\n");
}

TEST(ByteOrderMark, ShowImportAndCheckSayWhichSectionItHides) {
  TempFolder folder;
  const std::string marked = "\xEF\xBB\xBF[TYPE]\r\ntype=2\r\n[Profile2]\r\nKey65=66\r\n";
  TempFolder::write(folder / "set.ini", marked);
  const std::string note =
      " starts with a UTF-8 byte-order mark, which Windows does not read, "
      "so its first section [TYPE] is ignored.";
  const Outcome show = invoke(folder / "set.ini", runShow);
  EXPECT_EQ(show.code, kExitOk);
  EXPECT_NE(show.err.find(pathText(folder / "set.ini") + note), std::string::npos) << show.err;
  EXPECT_NE(show.out.find("Active profile: 1"), std::string::npos);  // as Windows reads it

  const Outcome check = invoke(folder / "set.ini", runCheck);
  EXPECT_EQ(check.code, kExitProblems);
  EXPECT_NE(check.out.find("[TYPE]: the file starts with a UTF-8 byte-order mark"),
            std::string::npos)
      << check.out;

  TempFolder::write(folder / "in.ini", marked);
  std::filesystem::remove(folder / "set.ini");
  const Outcome import =
      invoke(folder / "set.ini", [&](const Context& c) { return runImport(c, folder / "in.ini"); });
  EXPECT_NE(import.err.find(pathText(folder / "in.ini") + note), std::string::npos) << import.err;
}

TEST(ExportImport, UnreadableOrUnwritableFilesFailWithTheirName) {
  TempFolder folder;
  std::filesystem::copy_file(kSample, folder / "set.ini");
  const std::string before = TempFolder::read(folder / "set.ini");
  const Outcome import = invoke(
      folder / "set.ini", [&](const Context& c) { return runImport(c, folder / "nowhere.ini"); });
  EXPECT_EQ(import.code, kExitFailure);
  EXPECT_NE(import.err.find("nowhere.ini"), std::string::npos);
  const Outcome exportRun = invoke(folder / "set.ini", [&](const Context& c) {
    return runExport(c, folder / "missing-folder" / "out.ini");
  });
  EXPECT_EQ(exportRun.code, kExitFailure);
  EXPECT_NE(exportRun.err.find("out.ini"), std::string::npos);
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), before);  // nothing saved after a failure
}

// A set.ini written on a Chinese Windows: its names are GBK bytes.
const std::string kGbkSettings =
    "[TYPE]\r\ntype=1\r\n[Profile2]\r\nIndexPic65=0\r\nMacroIndex65=0\r\n"
    "SetName65=\xC4\xE3\xBA\xC3\r\nKey65=66\r\n[Notes]\nmine=\xD7\xA2\xCA\xCD\n";

std::string utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text)
    bytes.append({static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)});
  return bytes;
}

TEST(CodePages, AnEightBitFileIsShownAsBytesOrInTheNamedCodePageAndNeverGarbled) {
  TempFolder folder;
  TempFolder::write(folder / "set.ini", kGbkSettings);
  const Outcome bytes = invoke(folder / "set.ini", runShow);
  ASSERT_EQ(bytes.code, kExitOk) << bytes.err;
  EXPECT_NE(bytes.out.find("A (65): single key \"\\xC4\\xE3\\xBA\\xC3\" -> sends 66"),
            std::string::npos)
      << bytes.out;
  EXPECT_NE(bytes.err.find("--codepage"), std::string::npos);
  const Outcome text = invoke(folder / "set.ini", runShow, kLayout, "GBK");
  EXPECT_NE(text.out.find("A (65): single key \"\u4F60\u597D\" -> sends 66"), std::string::npos)
      << text.out;
  EXPECT_EQ(invoke(folder / "set.ini", runShow, kLayout, "NO-SUCH-PAGE").code, kExitFailure);

  // A profile with a name GBK cannot hold (Korean), imported without a code
  // page: the file would have to become UTF-16, which would garble the names
  // it has. Refused, and nothing changes.
  TempFolder::write(folder / "korean.ini",
                    utf16File(u"[TYPE]\r\ntype=1\r\n[Profile1]\r\nIndexPic66=0\r\n"
                              u"SetName66=\uD55C\r\nKey66=65\r\n"));
  const auto importKorean = [&](const Context& c) { return runImport(c, folder / "korean.ini"); };
  const Outcome refused = invoke(folder / "set.ini", importKorean);
  EXPECT_EQ(refused.code, kExitFailure);
  EXPECT_NE(refused.err.find("--codepage"), std::string::npos) << refused.err;
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), kGbkSettings);

  // Named, the file converts to UTF-16 with every name as the text it is.
  ASSERT_EQ(invoke(folder / "set.ini", importKorean, kLayout, "GBK").code, kExitOk);
  const ini::IniDocument converted = ini::IniDocument::parse(TempFolder::read(folder / "set.ini"));
  EXPECT_EQ(converted.encoding(), ini::Encoding::kUtf16Le);
  EXPECT_EQ(converted.find(u"Profile1", u"SetName66"), u"\uD55C");
  EXPECT_EQ(converted.find(u"Profile2", u"SetName65"), u"\u4F60\u597D");
  EXPECT_EQ(converted.find(u"Notes", u"mine"), u"\u6CE8\u91CA");
}

// tarsild rereads the file when it changes; a profile switch must leave
// every other byte as it was, comments and keys left out included.
TEST(Profile, WritesTheActiveProfileNumberAndNothingElse) {
  TempFolder folder;
  const std::string sample = TempFolder::read(kSample);
  TempFolder::write(folder / "set.ini", sample);
  const Outcome run = invoke(folder / "set.ini", [](const Context& c) { return runProfile(c, 3); });
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Active profile: 3 (was 1)\n");
  std::string expected = sample;
  expected.replace(expected.find("type=1"), 6, "type=3");
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), expected);

  // A number that names no profile, or a file that cannot be read, changes nothing.
  for (const std::int32_t none : {0, 4, -1}) {
    const Outcome refused =
        invoke(folder / "set.ini", [none](const Context& c) { return runProfile(c, none); });
    EXPECT_EQ(refused.code, kExitFailure);
    EXPECT_NE(refused.err.find("profiles 1, 2 and 3"), std::string::npos) << refused.err;
  }
  std::filesystem::create_directory(folder / "folder.ini");
  EXPECT_EQ(invoke(folder / "folder.ini", [](const Context& c) { return runProfile(c, 2); }).code,
            kExitFailure);
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), expected);

  // Without a file, the new one holds [TYPE] alone; so does a blank one.
  EXPECT_EQ(invoke(folder / "new.ini", [](const Context& c) { return runProfile(c, 2); }).code,
            kExitOk);
  EXPECT_EQ(TempFolder::read(folder / "new.ini"), "[TYPE]\r\ntype=2\r\n");
  TempFolder::write(folder / "blank.ini", "\r\n  \r\n");
  EXPECT_EQ(invoke(folder / "blank.ini", [](const Context& c) { return runProfile(c, 2); }).code,
            kExitOk);
}

// set.ini a link to some text file: switching profiles must not append
// [TYPE] to it. Every command that reads it refuses it by name; check
// reports it as a problem.
TEST(Profile, RefusesTextThatIsNoSettingsFile) {
  TempFolder folder;
  const std::string notes = "shopping list\nmilk = 2\n";
  TempFolder::write(folder / "notes.txt", notes);
  std::filesystem::create_symlink(folder / "notes.txt", folder / "set.ini");
  const Outcome run = invoke(folder / "set.ini", [](const Context& c) { return runProfile(c, 2); });
  EXPECT_EQ(run.code, kExitFailure);
  EXPECT_NE(run.err.find("Cannot read " + pathText(folder / "set.ini") +
                         ": it holds text but no [TYPE], profile or [AutoProfile] section"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(invoke(folder / "set.ini", runShow).code, kExitFailure);
  EXPECT_EQ(TempFolder::read(folder / "notes.txt"), notes);
  EXPECT_EQ(invoke(folder / "set.ini", runCheck).code, kExitProblems);
}

// The window program runs on the same file meanwhile: its save at exit
// keeps what tarsilctl did.
TEST(Profile, AndImportSurviveTheRunningProgramsExit) {
  TempFolder folder;
  std::filesystem::copy_file(kLayout, folder / "Main.ini");
  std::filesystem::copy_file(kSample, folder / "set.ini");
  KeyboardSession program;
  program.start(SessionFiles{folder / "Main.ini", folder / "set.ini"});
  ASSERT_TRUE(program.running());

  EXPECT_EQ(invoke(folder / "set.ini", [](const Context& c) { return runProfile(c, 2); }).code,
            kExitOk);
  TempFolder::write(folder / "d.ini",
                    "[TYPE]\r\ntype=1\r\n[Profile1]\r\nSetName65=D\r\nKey65=68\r\n");
  EXPECT_EQ(
      invoke(folder / "set.ini", [&](const Context& c) { return runImport(c, folder / "d.ini"); })
          .code,
      kExitOk);
  EXPECT_TRUE(program.finish().empty());
  const ini::IniDocument saved = ini::readIniFile(folder / "set.ini").document;
  EXPECT_EQ(saved.getInt(u"TYPE", u"type", 0), 2);
  EXPECT_EQ(saved.getInt(u"Profile2", u"Key65", 0), 68);
}

}  // namespace
}  // namespace tarsil::cli
