#include "app/linux/settings_reader.h"

#include <errno.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace tarsil {

SettingsReader::~SettingsReader() {
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) ::close(fd_);
}

bool SettingsReader::open(std::string& error) {
  fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd_ < 0) error = std::string("cannot make the settings reader: ") + std::strerror(errno);
  return fd_ >= 0;
}

void SettingsReader::start(const SessionFiles& files, const SessionOptions& options) {
  std::optional<KeyboardSession> retired = std::move(retired_);
  retired_.reset();
  thread_ = std::thread([this, files, options, retired = std::move(retired)]() mutable {
    // Nice 19: on a machine with one processor, the key loop takes it
    // whenever a key comes; the read has it otherwise. A refusal leaves
    // the thread as it is.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    retired.reset();
    result_.notices = result_.session.start(files, options);
    const std::uint64_t done = 1;
    while (::write(fd_, &done, sizeof(done)) < 0 && errno == EINTR) {
    }
  });
}

SettingsReader::Result SettingsReader::take() {
  std::uint64_t done = 0;
  while (::read(fd_, &done, sizeof(done)) < 0 && errno == EINTR) {
  }
  thread_.join();
  return std::exchange(result_, Result{});
}

}  // namespace tarsil
