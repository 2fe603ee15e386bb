#include "device/linux/input_node.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <utility>

namespace tarsil {
namespace {

template <std::size_t N>
bool readBits(int fd, unsigned long request, std::bitset<N>& bits) {
  std::array<std::uint8_t, (N + 7) / 8> bytes{};
  if (::ioctl(fd, request, bytes.data()) < 0) return false;
  for (std::size_t i = 0; i < N; ++i) bits.set(i, (bytes[i / 8] >> (i % 8)) & 1u);
  return true;
}

bool hasAnyKey(const std::bitset<KEY_CNT>& keys, std::size_t first, std::size_t last) {
  for (std::size_t code = first; code <= last; ++code) {
    if (keys.test(code)) return true;
  }
  return false;
}

}  // namespace

bool isKeyboard(const EventNodeInfo& info) noexcept {
  if (!info.types.test(EV_KEY)) return false;
  for (std::size_t type = 0; type < EV_CNT; ++type) {
    const bool keyboardType =
        type == EV_SYN || type == EV_KEY || type == EV_MSC || type == EV_LED || type == EV_REP;
    if (info.types.test(type) && !keyboardType) return false;
  }
  const std::bitset<KEY_CNT>& keys = info.keys;
  if (hasAnyKey(keys, BTN_MISC, KEY_OK - 1) || hasAnyKey(keys, BTN_DPAD_UP, BTN_DPAD_RIGHT) ||
      hasAnyKey(keys, BTN_TRIGGER_HAPPY, KEY_MAX)) {
    return false;
  }
  const bool typing = hasAnyKey(keys, KEY_ESC, KEY_KPDOT);
  const bool media = keys.test(KEY_MUTE) || keys.test(KEY_VOLUMEDOWN) || keys.test(KEY_VOLUMEUP) ||
                     keys.test(KEY_PLAYPAUSE) || keys.test(KEY_NEXTSONG) ||
                     keys.test(KEY_PREVIOUSSONG) || keys.test(KEY_STOPCD) || keys.test(KEY_MAIL) ||
                     keys.test(KEY_CALC) || keys.test(KEY_HOMEPAGE) || keys.test(KEY_BACK) ||
                     keys.test(KEY_FORWARD);
  return typing || media;
}

bool isOwnVirtualKeyboard(const EventNodeInfo& info, std::string_view virtualName) noexcept {
  return info.id.bustype == BUS_VIRTUAL && info.name == virtualName;
}

InputDeviceFacts factsOf(const EventNodeInfo& info, std::string_view virtualName) noexcept {
  return {info.id.vendor, isKeyboard(info), isOwnVirtualKeyboard(info, virtualName)};
}

std::optional<EventNode> EventNode::open(const std::filesystem::path& path, std::string& error) {
  int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  }
  if (fd < 0) {
    error = "cannot open " + path.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  EventNodeInfo info;
  std::array<char, 256> name{};
  struct stat status {};
  const bool read =
      ::fstat(fd, &status) == 0 && ::ioctl(fd, EVIOCGID, &info.id) == 0 &&
      ::ioctl(fd, EVIOCGNAME(name.size() - 1), name.data()) >= 0 &&
      readBits(fd, EVIOCGBIT(0, (EV_CNT + 7) / 8), info.types) &&
      (!info.types.test(EV_KEY) || readBits(fd, EVIOCGBIT(EV_KEY, (KEY_CNT + 7) / 8), info.keys));
  if (!read) {
    error = path.string() + " is no input event device: " + std::strerror(errno);
    ::close(fd);
    return std::nullopt;
  }
  info.name = name.data();
  return EventNode(fd, status.st_rdev, path, std::move(info));
}

EventNode::EventNode(int fd, dev_t device, std::filesystem::path path, EventNodeInfo info) noexcept
    : fd_(fd), device_(device), path_(std::move(path)), info_(std::move(info)) {}

EventNode::EventNode(EventNode&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      device_(other.device_),
      path_(std::move(other.path_)),
      info_(std::move(other.info_)),
      grabbed_(std::exchange(other.grabbed_, false)) {}

EventNode& EventNode::operator=(EventNode&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    device_ = other.device_;
    path_ = std::move(other.path_);
    info_ = std::move(other.info_);
    grabbed_ = std::exchange(other.grabbed_, false);
  }
  return *this;
}

EventNode::~EventNode() {
  // Closing the descriptor ends a grab as well.
  if (fd_ >= 0) ::close(fd_);
}

bool EventNode::anyKeyDown() const noexcept {
  std::bitset<KEY_CNT> down;
  return readBits(fd_, EVIOCGKEY((KEY_CNT + 7) / 8), down) && down.any();
}

EventNode::GrabOutcome EventNode::grab(std::string& error) noexcept {
  if (grabbed_) return GrabOutcome::kTaken;
  if (::ioctl(fd_, EVIOCGRAB, 1) < 0) {
    const bool busy = errno == EBUSY;
    error = busy ? "another program holds it" : std::strerror(errno);
    return busy ? GrabOutcome::kHeldElsewhere : GrabOutcome::kFailed;
  }
  grabbed_ = true;
  return GrabOutcome::kTaken;
}

void EventNode::ungrab() noexcept {
  if (grabbed_) ::ioctl(fd_, EVIOCGRAB, 0);
  grabbed_ = false;
}

}  // namespace tarsil
