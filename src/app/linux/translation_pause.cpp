#include "app/linux/translation_pause.h"

#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <utility>

#include "session/pause_requests.h"

namespace tarsil {
namespace {

using Clock = std::chrono::steady_clock;

void tell(std::string* whyNot, std::string text) {
  if (whyNot != nullptr) *whyNot = std::move(text);
}

// Sends `line` and reads tarsild's one-line answer within `bound`. The
// answer, or nothing with the reason.
std::optional<std::string> exchange(int fd, std::string_view line, std::chrono::milliseconds bound,
                                    std::string& error) {
  if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
    error = std::string("tarsild's control socket failed: ") + std::strerror(errno);
    return std::nullopt;
  }
  const Clock::time_point end = Clock::now() + bound;
  std::string answer;
  while (answer.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    pollfd wait{fd, POLLIN, 0};
    const int ready = left.count() > 0 ? ::poll(&wait, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      error = "tarsild did not answer within " + std::to_string(bound.count()) + " ms";
      return std::nullopt;
    }
    char bytes[128];
    const ssize_t got = ::recv(fd, bytes, sizeof(bytes), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      error = got == 0 ? "tarsild closed the control connection"
                       : std::string("tarsild's control socket failed: ") + std::strerror(errno);
      return std::nullopt;
    }
    answer.append(bytes, static_cast<std::size_t>(got));
    if (answer.size() > PauseRequests::kLongestLine) break;
  }
  return answer.substr(0, answer.find('\n') + 1);
}

}  // namespace

std::optional<std::filesystem::path> TranslationPause::socketPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') return std::nullopt;
  return std::filesystem::path(runtime) / "tarsil" / control::kSocketName;
}

std::optional<TranslationPause> TranslationPause::request(std::string* whyNot) {
  const std::optional<std::filesystem::path> socket = socketPath();
  if (!socket) {
    tell(whyNot, "XDG_RUNTIME_DIR is not set, so there is no tarsild to pause");
    return std::nullopt;
  }
  return request(*socket, kAnswerBound, whyNot);
}

std::optional<TranslationPause> TranslationPause::request(const std::filesystem::path& socket,
                                                          std::chrono::milliseconds bound,
                                                          std::string* whyNot) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = socket.string();
  if (path.size() >= sizeof(address.sun_path)) {
    tell(whyNot, "the control socket's path is too long: " + path);
    return std::nullopt;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  // Close-on-exec: a program the window starts must not keep the pause.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    tell(whyNot, std::string("cannot make a socket: ") + std::strerror(errno));
    return std::nullopt;
  }
  // A local stream socket connects at once or not at all: no wait here.
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    const int reason = errno;
    ::close(fd);
    const bool absent = reason == ENOENT || reason == ECONNREFUSED;
    tell(whyNot, absent ? "tarsild is not running (no control socket at " + path + ")"
                        : "cannot reach tarsild at " + path + ": " + std::strerror(reason));
    return std::nullopt;
  }
  std::string error;
  const std::optional<std::string> answer = exchange(fd, control::kPause, bound, error);
  if (answer != control::kPaused) {
    ::close(fd);
    if (answer) error = "tarsild refused the pause: " + answer->substr(0, answer->find('\n'));
    tell(whyNot, error);
    return std::nullopt;
  }
  return TranslationPause(fd, bound);
}

TranslationPause::~TranslationPause() { resume(); }

TranslationPause::TranslationPause(TranslationPause&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), bound_(other.bound_) {}

TranslationPause& TranslationPause::operator=(TranslationPause&& other) noexcept {
  if (this != &other) {
    resume();
    fd_ = std::exchange(other.fd_, -1);
    bound_ = other.bound_;
  }
  return *this;
}

void TranslationPause::resume() noexcept {
  if (fd_ < 0) return;
  // Waiting for the answer means translation is on again when this
  // returns; without one, closing resumes all the same.
  try {
    std::string ignored;
    (void)exchange(fd_, control::kResume, bound_, ignored);
  } catch (...) {  // only allocation can throw here; closing still resumes
  }
  ::close(fd_);
  fd_ = -1;
}

}  // namespace tarsil
