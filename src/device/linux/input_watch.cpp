#include "device/linux/input_watch.h"

#include <errno.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <system_error>

#include "device/linux/inotify_events.h"

namespace tarsil {
namespace {

bool isEventNode(std::string_view name) { return name.starts_with("event"); }

constexpr std::uint32_t kNodeEvents =
    IN_CREATE | IN_ATTRIB | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF;

}  // namespace

InputWatch::InputWatch(std::filesystem::path folder) : folder_(std::move(folder)) {}

InputWatch::~InputWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputWatch::start(std::string& error) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    error = std::string("cannot follow input devices (inotify): ") + std::strerror(errno);
    return false;
  }
  if (watchFolder()) return true;
  parentWatch_ = ::inotify_add_watch(fd_, folder_.parent_path().c_str(), IN_CREATE | IN_MOVED_TO);
  if (parentWatch_ < 0) {
    error = "cannot follow " + folder_.parent_path().string() + ": " + std::strerror(errno);
    return false;
  }
  // It may have appeared in between.
  watchFolder();
  return true;
}

bool InputWatch::watchFolder() {
  folderWatch_ = ::inotify_add_watch(fd_, folder_.c_str(), kNodeEvents);
  return folderWatch_ >= 0;
}

std::vector<std::string> InputWatch::scan() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    std::string name = entry.path().filename().string();
    if (isEventNode(name)) names.push_back(std::move(name));
  }
  // event2 before event10: the order the kernel made them in.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return names;
}

std::vector<NodeChange> InputWatch::read() {
  std::vector<NodeChange> changes;
  bool folderAppeared = false;
  forEachInotifyEvent(fd_, [&](const inotify_event& event, std::string_view name) {
    if (event.wd == parentWatch_) {
      if (name == folder_.filename().string() && folderWatch_ < 0 && watchFolder()) {
        folderAppeared = true;
      }
      return;
    }
    if ((event.mask & (IN_DELETE_SELF | IN_IGNORED)) != 0) {
      // The folder went (its last device did): watch for it again.
      folderWatch_ = -1;
      if (parentWatch_ < 0) {
        parentWatch_ =
            ::inotify_add_watch(fd_, folder_.parent_path().c_str(), IN_CREATE | IN_MOVED_TO);
      }
      return;
    }
    if (!isEventNode(name)) return;
    changes.push_back({std::string(name), (event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0});
  });
  if (folderAppeared) {
    for (std::string& name : scan()) changes.push_back({std::move(name), false});
  }
  return changes;
}

}  // namespace tarsil
