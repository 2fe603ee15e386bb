#include "engine/linux/virtual_keyboard.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/linux/evdev_keys.h"

namespace tarsil {
namespace {

bool advertise(int fd) {
  bool ok = ::ioctl(fd, UI_SET_EVBIT, EV_SYN) == 0 && ::ioctl(fd, UI_SET_EVBIT, EV_KEY) == 0 &&
            ::ioctl(fd, UI_SET_EVBIT, EV_MSC) == 0 && ::ioctl(fd, UI_SET_MSCBIT, MSC_SCAN) == 0 &&
            ::ioctl(fd, UI_SET_EVBIT, EV_LED) == 0;
  for (const int lamp : {LED_NUML, LED_CAPSL, LED_SCROLLL, LED_COMPOSE, LED_KANA}) {
    ok = ok && ::ioctl(fd, UI_SET_LEDBIT, lamp) == 0;
  }
  for (int code = 0; ok && code <= KEY_MAX; ++code) {
    if (isKeyboardKey(static_cast<std::uint16_t>(code))) ok = ::ioctl(fd, UI_SET_KEYBIT, code) == 0;
  }
  return ok;
}

}  // namespace

std::optional<VirtualKeyboard> VirtualKeyboard::create(std::string& error,
                                                       const std::filesystem::path& uinput) {
  // Non-blocking, so lamps are read until none is left; a write never
  // waits either way, the kernel takes key events at once.
  const int fd = ::open(uinput.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + uinput.string() + ": " + std::strerror(errno) +
            (errno == ENOENT ? " (is the uinput module loaded?)" : "");
    return std::nullopt;
  }
  uinput_setup setup{};
  setup.id.bustype = BUS_VIRTUAL;
  setup.id.version = 1;
  const auto length = std::min(kVirtualKeyboardName.size(), sizeof(setup.name) - 1);
  std::memcpy(setup.name, kVirtualKeyboardName.data(), length);
  if (!advertise(fd) || ::ioctl(fd, UI_DEV_SETUP, &setup) < 0 || ::ioctl(fd, UI_DEV_CREATE) < 0) {
    error = "cannot create the virtual keyboard through " + uinput.string() + ": " +
            std::strerror(errno);
    ::close(fd);
    return std::nullopt;
  }
  return VirtualKeyboard(fd);
}

VirtualKeyboard::VirtualKeyboard(VirtualKeyboard&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

VirtualKeyboard& VirtualKeyboard::operator=(VirtualKeyboard&& other) noexcept {
  if (this != &other) {
    destroy();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

VirtualKeyboard::~VirtualKeyboard() { destroy(); }

void VirtualKeyboard::destroy() noexcept {
  if (fd_ < 0) return;
  ::ioctl(fd_, UI_DEV_DESTROY);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace tarsil
