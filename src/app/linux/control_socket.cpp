#include "app/linux/control_socket.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <utility>

namespace tarsil {
namespace {

std::string failure(const std::string& what, const std::filesystem::path& path) {
  return "cannot " + what + " the control socket " + path.string() + ": " + std::strerror(errno);
}

// All of it in one call, or nothing: a peer whose socket is full does not
// read its answers, and is not waited for.
bool sendAll(int fd, const std::string& text) {
  ssize_t sent;
  do {
    sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(text.size());
}

}  // namespace

ControlSocket::ControlSocket(EventLoop& loop, PauseChanged onPauseChanged, Say say)
    : loop_(loop), onPauseChanged_(std::move(onPauseChanged)), say_(std::move(say)) {}

ControlSocket::~ControlSocket() {
  for (const auto& [connection, fd] : sockets_) {
    loop_.remove(fd);
    ::close(fd);
  }
  if (listener_ >= 0) {
    loop_.remove(listener_);
    ::close(listener_);
    ::unlink(path_.c_str());
  }
}

bool ControlSocket::open(const std::filesystem::path& path, std::string& error) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string text = path.string();
  if (text.size() >= sizeof(address.sun_path)) {
    error = "cannot make the control socket " + text + ": the path is too long for a socket";
    return false;
  }
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);

  // Only this daemon holds the lock beside it, so a socket there is one a
  // daemon before left behind. Anything else there is not ours to remove.
  struct stat status {};
  if (::lstat(text.c_str(), &status) == 0) {
    if (!S_ISSOCK(status.st_mode)) {
      error = "cannot make the control socket " + text + ": something else is in its place";
      return false;
    }
    ::unlink(text.c_str());
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = failure("make", path);
    return false;
  }
  // bind gives the file the mode the umask leaves; the folder keeps others
  // out meanwhile, and the mode is the user's alone before anyone is heard.
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    error = failure("make", path);
    ::close(fd);
    return false;
  }
  if (::chmod(text.c_str(), 0600) != 0 || ::listen(fd, 8) != 0) {
    error = failure("open", path);
    ::close(fd);
    ::unlink(text.c_str());
    return false;
  }
  if (!loop_.add(
          fd, "the control socket", [this] { acceptAll(); }, error)) {
    ::close(fd);
    ::unlink(text.c_str());
    return false;
  }
  listener_ = fd;
  path_ = path;
  return true;
}

void ControlSocket::acceptAll() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // EAGAIN: all taken; anything else: tried again on the next wake-up
    }
    ucred peer{};
    socklen_t size = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::geteuid()) {
      say_("refused a control connection of process " + std::to_string(peer.pid) + " (user " +
           std::to_string(peer.uid) + "): only this user's programs may pause translation");
      ::close(fd);
      continue;
    }
    const PauseRequests::Connection connection = next_++;
    const PauseRequests::Answer answer = requests_.opened(connection);
    if (answer.close) {
      (void)sendAll(fd, answer.reply);
      ::close(fd);
      continue;
    }
    std::string error;
    if (!loop_.add(
            fd, "a control connection", [this, connection] { readable(connection); }, error)) {
      say_(error);
      requests_.closed(connection);
      ::close(fd);
      continue;
    }
    sockets_.emplace(connection, fd);
  }
}

void ControlSocket::readable(PauseRequests::Connection connection) {
  const auto found = sockets_.find(connection);
  if (found == sockets_.end()) return;
  const int fd = found->second;
  // One chunk per wake-up: a peer that never stops sending takes its turn
  // with the keyboards rather than before them.
  std::array<char, 256> bytes;
  ssize_t got;
  do {
    got = ::recv(fd, bytes.data(), bytes.size(), 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0 && errno == EAGAIN) return;
  if (got <= 0) {
    drop(connection);
    return;
  }
  // Translation is paused before "paused" goes out: a window that reads
  // the answer may count on it.
  const bool wasPaused = requests_.paused();
  const PauseRequests::Answer answer =
      requests_.received(connection, std::string_view(bytes.data(), static_cast<std::size_t>(got)));
  if (requests_.paused() != wasPaused) told(requests_.paused());
  const bool delivered = answer.reply.empty() || sendAll(fd, answer.reply);
  if (answer.close || !delivered) {
    loop_.remove(fd);
    ::close(fd);
    sockets_.erase(connection);
    // One closed for not reading its answers gives its pause back too.
    if (requests_.closed(connection) != PauseRequests::Change::kNone) told(requests_.paused());
  }
}

void ControlSocket::drop(PauseRequests::Connection connection) {
  const auto found = sockets_.find(connection);
  if (found == sockets_.end()) return;
  loop_.remove(found->second);
  ::close(found->second);
  sockets_.erase(found);
  if (requests_.closed(connection) != PauseRequests::Change::kNone) told(requests_.paused());
}

void ControlSocket::told(bool paused) {
  if (onPauseChanged_) onPauseChanged_(paused);
}

}  // namespace tarsil
