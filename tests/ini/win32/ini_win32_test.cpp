// What only the Windows build does: the ANSI code page for 8-bit files, and
// replacing a file that another program holds or that is read-only.
#include <gtest/gtest.h>
#include <windows.h>

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

TEST(IniWin32, EightBitFilesAreReadInTheAnsiCodePage) {
  std::string bytes;
  for (int byte = 0x80; byte <= 0xFF; ++byte) bytes.push_back(static_cast<char>(byte));
  std::wstring expected(bytes.size() * 2, L'\0');
  expected.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), expected.data(),
                          static_cast<int>(expected.size()))));
  const auto value = IniDocument::parse("[S]\r\nk=" + bytes + "\r\n").find(u"S", u"k");
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(std::wstring(value->begin(), value->end()), expected);
}

TEST(IniWin32, ParseProfileIntReadsAsTheCRuntimesWtoi) {
  for (const wchar_t* text : {L"65", L" -12x", L"4294967361", L"2147483648", L"-2147483649",
                              L"-99999999999", L"0x1F", L""}) {
    const std::wstring_view view(text);
    EXPECT_EQ(parseProfileInt(std::u16string(view.begin(), view.end())), _wtoi(text))
        << std::string(view.begin(), view.end());
  }
}

TEST(IniWin32, AFileHeldOpenByAnotherProgramIsLeftAsItWas) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "old").ok());
  const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const FileStatus status = writeFileAtomically(path, "new");
  CloseHandle(held);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.error.rfind("Cannot write " + path.string() + ": ", 0), 0u) << status.error;
  EXPECT_EQ(TempFolder::read(path), "old");
  EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(IniWin32, AReadOnlyFileIsAnErrorThatChangesNothing) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "old").ok());
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  const FileStatus status = writeFileAtomically(path, "new");
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(status.error, "Cannot write " + pathText(path) + ": the file is read-only");
  EXPECT_EQ(TempFolder::read(path), "old");
  EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(IniWin32, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
  TempFolder folder;
  TempFolder::write(folder / "real.ini", "old");
  const auto isLink = [&] {
    const DWORD attributes = GetFileAttributesW((folder / "set.ini").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  };
  // Wine 8 says yes to CreateSymbolicLinkW and makes nothing.
  if (!CreateSymbolicLinkW((folder / "set.ini").c_str(), L"real.ini", 0) || !isLink()) {
    GTEST_SKIP() << "no symbolic links here";
  }
  ASSERT_TRUE(writeFileAtomically(folder / "set.ini", "new").ok());
  EXPECT_TRUE(isLink());
  EXPECT_EQ(TempFolder::read(folder / "real.ini"), "new");
  EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST(IniWin32, TheTemporaryFileOfAProcessThatIsGoneIsRemoved) {
  wchar_t command[] = L"cmd.exe /c exit 0";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &process));
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  TempFolder folder;
  const std::string stale = "set.ini.saving-" + std::to_string(process.dwProcessId) + ".tmp";
  TempFolder::write(folder / stale, "left over");
  ASSERT_TRUE(writeFileAtomically(folder / "set.ini", "new").ok());
  EXPECT_FALSE(std::filesystem::exists(folder / stale));
  EXPECT_EQ(entriesIn(folder.path()), 1u);
}

}  // namespace
}  // namespace tarsil::ini
