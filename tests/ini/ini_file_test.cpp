// Reading and atomically replacing files, on every platform.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ini/ini_file.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::TempFolder;

std::size_t entriesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

TEST(IniFileRead, AMissingFileOrFolderIsNoError) {
  TempFolder folder;
  for (const auto& path : {folder / "set.ini", folder / "no-folder" / "set.ini"}) {
    const ReadResult result = readIniFile(path);
    EXPECT_TRUE(result.status.ok()) << result.status.error;
    EXPECT_FALSE(result.exists);
    EXPECT_EQ(result.document.serialize(), "");
  }
}

TEST(IniFileRead, ReadsAndParsesTheWholeFile) {
  TempFolder folder;
  TempFolder::write(folder / "set.ini", "[TYPE]\r\ntype=3\r\n");
  const ReadResult result = readIniFile(folder / "set.ini");
  ASSERT_TRUE(result.status.ok()) << result.status.error;
  EXPECT_TRUE(result.exists);
  EXPECT_EQ(result.document.getInt(u"TYPE", u"type", 1), 3);
}

TEST(IniFileRead, AFolderInPlaceOfTheFileIsAnErrorThatNamesIt) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "set.ini");
  const ReadResult result = readIniFile(folder / "set.ini");
  EXPECT_FALSE(result.status.ok());
  // Windows itself would only say "Access denied".
  EXPECT_EQ(result.status.error,
            "Cannot read " + pathText(folder / "set.ini") + ": it is a folder, not a file");
}

TEST(IniFileRead, FilesBeyondTheCallersBoundsAreRefusedUnread) {
  TempFolder folder;
  TempFolder::write(folder / "a.ini", "[S]\r\nk=12\r\n");  // 11 bytes, 2 lines
  ReadOptions options;
  options.maxBytes = 10;
  const ReadResult large = readIniFile(folder / "a.ini", options);
  EXPECT_EQ(large.status.error, "Cannot read " + pathText(folder / "a.ini") +
                                    ": at 11 bytes it is larger than any file of its kind the "
                                    "program writes (at most 10 bytes)");
  options.maxBytes = 11;
  options.maxLines = 1;
  EXPECT_FALSE(readIniFile(folder / "a.ini", options).status.ok());
  options.maxLines = 2;
  EXPECT_TRUE(readIniFile(folder / "a.ini", options).status.ok());
  EXPECT_EQ(countLines("a\rb\r\nc\nd"), 4u);
  EXPECT_EQ(countLines(testing::utf16File(u"a\r\nb\n")), 2u);
  EXPECT_EQ(countLines(""), 0u);
}

TEST(IniFileWrite, CreatesAndReplacesFilesLeavingNothingElseBehind) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "first").ok());
  EXPECT_EQ(TempFolder::read(path), "first");
  const std::string big(1 << 20, 'x');
  ASSERT_TRUE(writeFileAtomically(path, big).ok());
  EXPECT_EQ(TempFolder::read(path), big);
  ASSERT_TRUE(writeFileAtomically(path, "").ok());
  EXPECT_EQ(TempFolder::read(path), "");
  EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(IniFileWrite, WriteIniFileStoresTheSerializedDocument) {
  TempFolder folder;
  IniDocument doc;
  doc.setString(u"S", u"name", u"\u00E9");
  ASSERT_TRUE(writeIniFile(folder / "set.ini", doc).ok());
  EXPECT_EQ(TempFolder::read(folder / "set.ini"), doc.serialize());
  EXPECT_EQ(readIniFile(folder / "set.ini").document.find(u"S", u"name"), u"\u00E9");
}

TEST(IniFileWrite, AFailureNamesTheFileAndLeavesTheFolderAsItWas) {
  TempFolder folder;
  TempFolder::write(folder / "plain", "x");
  std::filesystem::create_directory(folder / "taken");
  TempFolder::write(folder / "taken" / "inside", "y");
  const std::filesystem::path targets[] = {
      folder / "taken",                // a folder where the file should go
      folder / "missing" / "set.ini",  // no folder to put the file in
      folder / "plain" / "set.ini",    // a file where a folder should be
  };
  for (const auto& target : targets) {
    const FileStatus status = writeFileAtomically(target, "new");
    EXPECT_FALSE(status.ok()) << target;
    EXPECT_EQ(status.error.rfind("Cannot write " + pathText(target) + ": ", 0), 0u) << status.error;
  }
  EXPECT_EQ(entriesIn(folder.path()), 2u);
  EXPECT_EQ(TempFolder::read(folder / "plain"), "x");
  EXPECT_EQ(TempFolder::read(folder / "taken" / "inside"), "y");
  EXPECT_EQ(entriesIn(folder / "taken"), 1u);
}

}  // namespace
}  // namespace tarsil::ini
