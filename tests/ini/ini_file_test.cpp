// Reading and atomically replacing files, on every platform.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ini/ini_file.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::TempFolder;

// Error sentences carry paths as UTF-8.
std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void Put(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

TEST(IniFileRead, AMissingFileOrFolderIsNoError) {
  TempFolder folder;
  for (const auto& path : {folder / "set.ini", folder / "no-folder" / "set.ini"}) {
    const ReadResult result = ReadIniFile(path);
    EXPECT_TRUE(result.status.ok()) << result.status.error;
    EXPECT_FALSE(result.exists);
    EXPECT_EQ(result.document.Serialize(), "");
  }
}

TEST(IniFileRead, ReadsAndParsesTheWholeFile) {
  TempFolder folder;
  Put(folder / "set.ini", "[TYPE]\r\ntype=3\r\n");
  const ReadResult result = ReadIniFile(folder / "set.ini");
  ASSERT_TRUE(result.status.ok()) << result.status.error;
  EXPECT_TRUE(result.exists);
  EXPECT_EQ(result.document.GetInt(u"TYPE", u"type", 1), 3);
}

TEST(IniFileRead, AFolderInPlaceOfTheFileIsAnErrorThatNamesIt) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "set.ini");
  const ReadResult result = ReadIniFile(folder / "set.ini");
  EXPECT_FALSE(result.status.ok());
  EXPECT_EQ(result.status.error.rfind("Cannot read " + Utf8(folder / "set.ini") + ": ", 0), 0u)
      << result.status.error;
  EXPECT_GT(result.status.error.size(), ("Cannot read " + Utf8(folder / "set.ini") + ": ").size());
}

TEST(IniFileWrite, CreatesAndReplacesFilesLeavingNothingElseBehind) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(WriteFileAtomically(path, "first").ok());
  EXPECT_EQ(Contents(path), "first");
  const std::string big(1 << 20, 'x');
  ASSERT_TRUE(WriteFileAtomically(path, big).ok());
  EXPECT_EQ(Contents(path), big);
  ASSERT_TRUE(WriteFileAtomically(path, "").ok());
  EXPECT_EQ(Contents(path), "");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

TEST(IniFileWrite, WriteIniFileStoresTheSerializedDocument) {
  TempFolder folder;
  IniDocument doc;
  doc.SetString(u"S", u"name", u"\u00E9");
  ASSERT_TRUE(WriteIniFile(folder / "set.ini", doc).ok());
  EXPECT_EQ(Contents(folder / "set.ini"), doc.Serialize());
  EXPECT_EQ(ReadIniFile(folder / "set.ini").document.Find(u"S", u"name"), u"\u00E9");
}

TEST(IniFileWrite, AFailureNamesTheFileAndLeavesTheFolderAsItWas) {
  TempFolder folder;
  Put(folder / "plain", "x");
  std::filesystem::create_directory(folder / "taken");
  Put(folder / "taken" / "inside", "y");
  const std::filesystem::path targets[] = {
      folder / "taken",                // a folder where the file should go
      folder / "missing" / "set.ini",  // no folder to put the file in
      folder / "plain" / "set.ini",    // a file where a folder should be
  };
  for (const auto& target : targets) {
    const FileStatus status = WriteFileAtomically(target, "new");
    EXPECT_FALSE(status.ok()) << target;
    EXPECT_EQ(status.error.rfind("Cannot write " + Utf8(target) + ": ", 0), 0u) << status.error;
  }
  EXPECT_EQ(EntriesIn(folder.path()), 2u);
  EXPECT_EQ(Contents(folder / "plain"), "x");
  EXPECT_EQ(Contents(folder / "taken" / "inside"), "y");
  EXPECT_EQ(EntriesIn(folder / "taken"), 1u);
}

}  // namespace
}  // namespace tarsil::ini
