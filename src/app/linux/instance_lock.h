#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace tarsil {

// One daemon per user: a lock (flock) on a file in the user's runtime
// folder, held while the process lives. The kernel lets go of it when the
// process ends, however it ends, so a daemon that was killed never leaves
// a stale lock behind; the file stays and is locked again by the next one.
class InstanceLock {
 public:
  enum class State : std::uint8_t {
    kTaken,
    kHeldElsewhere,  // another process of the user's holds it
    kUnavailable,    // the file cannot be made or locked
  };

  // Makes the file's folder (for the user alone) if it is missing, and
  // takes the lock without waiting.
  explicit InstanceLock(const std::filesystem::path& file);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  State state() const noexcept { return state_; }
  // kHeldElsewhere: the process that holds it, as it wrote itself into the
  // file; 0 when that cannot be read.
  pid_t holder() const noexcept { return holder_; }
  // kUnavailable: why.
  const std::string& error() const noexcept { return error_; }

 private:
  int fd_ = -1;
  State state_ = State::kUnavailable;
  pid_t holder_ = 0;
  std::string error_;
};

}  // namespace tarsil
