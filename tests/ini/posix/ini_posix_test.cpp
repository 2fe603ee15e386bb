// What only the POSIX build does: Latin-1 for 8-bit files, permissions,
// and a write that fails half way.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <iterator>
#include <random>

#include "ini/ini_file.h"
#include "ini_test_support.h"

namespace tarsil::ini {
namespace {

using testing::TempFolder;

TEST(IniPosix, EightBitFilesKeepTheirBytesUnlessACodePageIsNamed) {
  // "\u4F60\u597D" (hello) in GBK, as a Chinese Windows writes it.
  const std::string bytes = "[S]\r\nname=\xC4\xE3\xBA\xC3\r\n";
  EXPECT_EQ(IniDocument::parse(bytes).find(u"S", u"name"), u"\xDCC4\xDCE3\xDCBA\xDCC3");

  std::string error;
  const CodePagePtr gbk = findCodePage("GBK", error);
  ASSERT_NE(gbk, nullptr) << error;
  IniDocument doc = IniDocument::parse(bytes, gbk);
  EXPECT_FALSE(doc.holdsUndecodedBytes());
  EXPECT_EQ(doc.find(u"S", u"name"), u"\u4F60\u597D");
  // A name GBK holds keeps the file 8-bit; one it does not makes it UTF-16,
  // with the old names as the text they are.
  doc.setString(u"S", u"more", u"\u5B8F");
  EXPECT_EQ(doc.serialize(), bytes + "more=\xBA\xEA\r\n");
  doc.setString(u"S", u"korean", u"\uD55C");
  EXPECT_EQ(doc.serialize(), testing::utf16File(u"[S]\r\nname=\u4F60\u597D\r\nmore=\u5B8F\r\n"
                                                u"korean=\uD55C\r\n"));
  // A byte GBK does not know stays as it is.
  EXPECT_EQ(IniDocument::parse("[S]\r\nk=\xFF\xC4\xE3\r\n", gbk).find(u"S", u"k"), u"\xDCFF\u4F60");

  EXPECT_EQ(findCodePage("NO-SUCH-CODE-PAGE", error), nullptr);
  EXPECT_NE(error.find("NO-SUCH-CODE-PAGE"), std::string::npos);
  EXPECT_EQ(findCodePage("UTF-16", error), nullptr);  // ASCII is not itself in it
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

std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(IniPosix, AReadOnlyFileIsAnErrorThatChangesNothingEvenForRoot) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  ASSERT_TRUE(writeFileAtomically(path, "old").ok());
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const FileStatus status = writeFileAtomically(path, "new");
  EXPECT_EQ(status.error, "Cannot write " + pathText(path) + ": the file is read-only");
  EXPECT_EQ(TempFolder::read(path), "old");
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"set.ini"});
  // Writing what the file already holds changes nothing, so it is no error.
  EXPECT_TRUE(writeIniFile(path, IniDocument::parse("old")).ok());
}

TEST(IniPosix, ASymbolicLinkStaysALinkAndItsTargetIsReplaced) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "real");
  TempFolder::write(folder / "real" / "set.ini", "old");
  ASSERT_EQ(::chmod((folder / "real" / "set.ini").c_str(), 0640), 0);
  std::filesystem::create_symlink("real/set.ini", folder / "set.ini");
  ASSERT_TRUE(writeFileAtomically(folder / "set.ini", "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "set.ini"));
  EXPECT_EQ(TempFolder::read(folder / "real" / "set.ini"), "new");
  EXPECT_EQ(std::filesystem::status(folder / "real" / "set.ini").permissions(),
            std::filesystem::perms(0640));
  EXPECT_EQ(namesIn(folder / "real"), std::vector<std::string>{"set.ini"});
}

// Saves killed half way, as a user ends the program at the wrong moment:
// the file is always whole, and what a killed save left behind goes at the
// next save.
TEST(IniPosix, TemporaryFilesOfKilledSavesAreRemovedByTheNextSave) {
  TempFolder folder;
  const auto path = folder / "set.ini";
  const std::string first(1 << 20, 'a');
  const std::string second(1 << 20, 'b');
  ASSERT_TRUE(writeFileAtomically(path, first).ok());
  std::mt19937 random(8);
  for (int kill = 0; kill < 20; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) writeFileAtomically(path, i % 2 == 0 ? second : first);
    }
    ::usleep(static_cast<useconds_t>(1000 + random() % 20000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = TempFolder::read(path);
    ASSERT_TRUE(now == first || now == second);
  }
  ASSERT_TRUE(writeFileAtomically(path, "last").ok());
  EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"set.ini"});

  // A temporary file of a save that is still running elsewhere stays.
  TempFolder::write(folder / "set.ini.saving-1.tmp", "init's");
  ASSERT_TRUE(writeFileAtomically(path, "again").ok());
  EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"set.ini", "set.ini.saving-1.tmp"}));
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

TEST(IniPosix, APipeOrADeviceIsRefusedBeforeAByteIsRead) {
  TempFolder folder;
  const auto fifo = folder / "set.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto reading = std::async(std::launch::async, [&] { return readIniFile(fifo); });
  if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // A writer lets the blocked open go, so that the test ends.
    ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    FAIL() << "reading a FIFO waits for a writer";
  }
  const ReadResult result = reading.get();
  EXPECT_EQ(result.status.error, "Cannot read " + pathText(fifo) +
                                     ": it is not a regular file (a pipe, socket or device)");
  EXPECT_FALSE(readIniFile("/dev/null").status.ok());

  // A symbolic link to a file is that file.
  TempFolder::write(folder / "real.ini", "[S]\r\nk=1\r\n");
  std::filesystem::create_symlink("real.ini", folder / "link.ini");
  EXPECT_EQ(readIniFile(folder / "link.ini").document.find(u"S", u"k"), u"1");
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
