#include "app/linux/instance_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarsil {

InstanceLock::InstanceLock(const std::filesystem::path& file) {
  const std::string folder = file.parent_path().string();
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error_ = "cannot make " + folder + ": " + std::strerror(errno);
    return;
  }
  // Not through a link: the folder is the user's, what is in it must be too.
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd_ < 0) {
    error_ = "cannot open " + file.string() + ": " + std::strerror(errno);
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) {
      error_ = "cannot lock " + file.string() + ": " + std::strerror(errno);
      return;
    }
    state_ = State::kHeldElsewhere;
    std::array<char, 32> text{};
    if (::pread(fd_, text.data(), text.size() - 1, 0) > 0) {
      holder_ = static_cast<pid_t>(std::strtol(text.data(), nullptr, 10));
    }
    return;
  }
  state_ = State::kTaken;
  // The number only helps a second start say which process holds the lock:
  // a failure to write it changes nothing else.
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd_, 0) == 0) (void)::pwrite(fd_, pid.data(), pid.size(), 0);
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace tarsil
