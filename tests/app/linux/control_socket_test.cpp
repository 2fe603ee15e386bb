// tarsild's control socket and the window's client of it, over a real
// socket served by the daemon's loop on a thread of its own.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "app/linux/control_socket.h"
#include "app/linux/event_loop.h"
#include "app/linux/translation_pause.h"
#include "support/temp_folder.h"

namespace tarsil {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;

int connectTo(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Everything the peer sends within a second, up to its closing or the
// first `lines` lines.
std::string answerOf(int fd, int lines = 1) {
  std::string text;
  while (std::count(text.begin(), text.end(), '\n') < lines) {
    pollfd wait{fd, POLLIN, 0};
    char bytes[256];
    if (::poll(&wait, 1, 1000) <= 0) break;
    const ssize_t got = ::recv(fd, bytes, sizeof(bytes), 0);
    if (got <= 0) return text + "<closed>";
    text.append(bytes, static_cast<std::size_t>(got));
  }
  return text;
}

// A socket bound at `path`, listening; never accepting.
int listenAt(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  EXPECT_EQ(::listen(fd, 4), 0);
  return fd;
}

std::string ask(int fd, const std::string& line, int lines = 1) {
  EXPECT_EQ(::send(fd, line.data(), line.size(), MSG_NOSIGNAL), static_cast<ssize_t>(line.size()));
  return answerOf(fd, lines);
}

// The daemon's side: its loop with the control socket, running on a thread
// until the end of the test; every pause change it made, in order.
class Served {
 public:
  explicit Served(const std::filesystem::path& path) : path_(path) {
    std::string error;
    EXPECT_TRUE(loop_.open(error)) << error;
    EXPECT_EQ(::pipe(stop_), 0);
    loop_.add(
        stop_[0], "stop", [this] { loop_.stop(); }, error);
    socket_.emplace(
        loop_,
        [this](bool paused) {
          const std::lock_guard lock(mutex_);
          changes_.push_back(paused ? "paused" : "resumed");
        },
        [this](const std::string& text) {
          const std::lock_guard lock(mutex_);
          said_ += text + "\n";
        });
    opened_ = socket_->open(path, error);
    EXPECT_TRUE(opened_) << error;
    thread_ = std::thread([this] {
      std::string ignored;
      loop_.run(ignored);
    });
  }
  ~Served() {
    (void)::write(stop_[1], "x", 1);
    thread_.join();
    socket_.reset();
    ::close(stop_[0]);
    ::close(stop_[1]);
  }

  std::string changes() {
    const std::lock_guard lock(mutex_);
    std::string all;
    for (const std::string& change : changes_) all += (all.empty() ? "" : " ") + change;
    return all;
  }
  // The changes once `expected` came, or what came within a second.
  std::string changesOnce(const std::string& expected) {
    for (int i = 0; i < 100 && changes() != expected; ++i) std::this_thread::sleep_for(10ms);
    return changes();
  }
  std::string said() {
    const std::lock_guard lock(mutex_);
    return said_;
  }

 private:
  std::filesystem::path path_;
  EventLoop loop_;
  std::optional<ControlSocket> socket_;
  bool opened_ = false;
  int stop_[2] = {-1, -1};
  std::mutex mutex_;
  std::vector<std::string> changes_;
  std::string said_;
  std::thread thread_;
};

TEST(ControlSocket, PausesWhileAnyClientHoldsAPauseAndADroppedOneResumes) {
  TempFolder folder;
  const auto path = folder / "control";
  std::string whyNot;
  EXPECT_FALSE(TranslationPause::request(path, 1s, &whyNot));
  EXPECT_NE(whyNot.find("tarsild is not running"), std::string::npos) << whyNot;

  // A socket a daemon before left behind is replaced, and removed at the end.
  ::close(listenAt(path));
  { Served stale(path); }
  EXPECT_FALSE(std::filesystem::exists(path));
  Served served(path);
  struct stat status {};
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  std::optional<TranslationPause> first = TranslationPause::request(path, 1s, &whyNot);
  ASSERT_TRUE(first) << whyNot;
  EXPECT_EQ(served.changes(), "paused");  // before the answer came
  std::optional<TranslationPause> second = TranslationPause::request(path, 1s, &whyNot);
  ASSERT_TRUE(second) << whyNot;
  // Moved, it is still the one pause; resumed, the other still holds.
  TranslationPause moved = std::move(*first);
  first.reset();
  moved.resume();
  EXPECT_FALSE(moved.held());
  EXPECT_EQ(served.changes(), "paused");
  second.reset();
  EXPECT_EQ(served.changes(), "paused resumed");

  // A client that dies mid-capture: the kernel closes its connection.
  const pid_t child = fork();
  if (child == 0) {
    const std::optional<TranslationPause> pause = TranslationPause::request(path, 1s, nullptr);
    _exit(pause ? 0 : 1);  // no destructor: nothing is sent
  }
  int code = -1;
  waitpid(child, &code, 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(served.changesOnce("paused resumed paused resumed"), "paused resumed paused resumed");

  // Bad input is answered; endless input or connections are cut off.
  const int fd = connectTo(path);
  EXPECT_EQ(ask(fd, "pause\r\nplease\n", 2), "paused\nerror: unknown command (pause or resume)\n");
  // (All of it read before the close: unread bytes would reset the
  // connection and drop the answer.)
  EXPECT_EQ(ask(fd, std::string(PauseRequests::kLongestLine + 1, 'x'), 2),
            "error: line too long\n<closed>");
  ::close(fd);
  std::vector<int> many;
  for (std::size_t i = 0; i <= PauseRequests::kMostConnections; ++i)
    many.push_back(connectTo(path));
  EXPECT_EQ(answerOf(many.back(), 2), "error: too many control connections\n<closed>");
  for (int each : many) ::close(each);
  EXPECT_EQ(served.changesOnce("paused resumed paused resumed paused resumed"),
            "paused resumed paused resumed paused resumed");
}

TEST(ControlSocket, AClientGivesUpOnADaemonThatDoesNotAnswer) {
  TempFolder folder;
  const auto path = folder / "control";
  const int silent = listenAt(path);  // a daemon that hangs
  std::string whyNot;
  EXPECT_FALSE(TranslationPause::request(path, 50ms, &whyNot));
  EXPECT_EQ(whyNot, "tarsild did not answer within 50 ms");
  ::close(silent);
}

TEST(ControlSocket, AnotherUsersProcessIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to run a process as another user";
  TempFolder folder;
  // Folder and socket opened to everyone, so the peer's user is all that
  // keeps it out.
  ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
  const auto path = folder / "control";
  Served served(path);
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(2);
    // Closed at once: the pause fails on sending or on reading.
    _exit(TranslationPause::request(path, 1s, nullptr) ? 1 : 0);
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(served.changes(), "");
  EXPECT_NE(served.said().find("(user 65534): only this user's programs may pause translation"),
            std::string::npos)
      << served.said();
}

}  // namespace
}  // namespace tarsil
