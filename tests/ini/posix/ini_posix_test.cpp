// What only the POSIX build does: Latin-1 for 8-bit files, permissions,
// and a write that fails half way.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "ini/ini_file.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::TempFolder;

TEST(IniPosix, EightBitFilesAreLatin1) {
  std::string bytes = "[S]\r\nk=";
  std::u16string expected;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    bytes.push_back(static_cast<char>(byte));
    expected.push_back(static_cast<char16_t>(byte));
  }
  EXPECT_EQ(IniDocument::parse(bytes).find(u"S", u"k"), expected);
}

TEST(IniPosix, AReplacedFileKeepsItsPermissions) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "old").ok());
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(writeFileAtomically(path, "new").ok());
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// A file size limit makes write() fail part way, even for root.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(IniPosix, AWriteThatFailsHalfWayLeavesTheOldFileAndNoTemporaryFile) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "old contents").ok());
  FileStatus status;
  {
    FileSizeLimit limit(4096);
    status = writeFileAtomically(path, std::string(100000, 'x'));
  }
  EXPECT_EQ(status.error, "Cannot write " + path.string() + ": File too large");
  EXPECT_EQ(TempFolder::read(path), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(IniPosix, AFolderWithoutWritePermissionLeavesTheOldFile) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "old").ok());
  ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
  if (::access(folder.path().c_str(), W_OK) == 0) {
    ::chmod(folder.path().c_str(), 0755);
    GTEST_SKIP() << "permissions do not bind this user (root)";
  }
  const FileStatus status = writeFileAtomically(path, "new");
  ::chmod(folder.path().c_str(), 0755);
  EXPECT_EQ(status.error, "Cannot write " + path.string() + ": Permission denied");
  EXPECT_EQ(TempFolder::read(path), "old");
}

TEST(IniPosix, AnUnreadableFileIsAnError) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "[S]\r\nk=1\r\n").ok());
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  if (::access(path.c_str(), R_OK) == 0) GTEST_SKIP() << "permissions do not bind this user (root)";
  const ReadResult result = readIniFile(path);
  EXPECT_EQ(result.status.error, "Cannot read " + path.string() + ": Permission denied");
  EXPECT_FALSE(result.exists);
}

}  // namespace
}  // namespace tarsil::ini
