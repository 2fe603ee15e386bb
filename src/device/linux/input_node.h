#pragma once

#include <linux/input.h>
#include <sys/types.h>

#include <bitset>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "device/keyboard_presence.h"

namespace tarsil {

// What an event node says about its device through the evdev ioctls.
struct EventNodeInfo {
  std::string name;
  input_id id{};  // bus type, vendor, product, version
  std::bitset<EV_CNT> types;
  std::bitset<KEY_CNT> keys;
};

// A keyboard reports keys and nothing else a person types with: no pointer
// axes, switches, sound or force feedback, and no mouse, pad or joystick
// buttons. And it has a key one types with: a key of the typing block, or a
// volume or media key (a keyboard's media interface is a device of its own).
// Power buttons, lid switches, video hot keys and mice are no keyboards.
bool isKeyboard(const EventNodeInfo& info) noexcept;

// A virtual keyboard of a translating program of ours, by the name and bus
// type ours are created with.
bool isOwnVirtualKeyboard(const EventNodeInfo& info, std::string_view virtualName) noexcept;

InputDeviceFacts factsOf(const EventNodeInfo& info, std::string_view virtualName) noexcept;

// One open /dev/input/event* node. Opened for reading and writing (the
// lamps are written to it) when allowed, for reading only otherwise;
// non-blocking, and closed with the object.
class EventNode {
 public:
  // Nothing, with the reason in `error`, when the node cannot be opened or
  // is no evdev node.
  static std::optional<EventNode> open(const std::filesystem::path& path, std::string& error);

  EventNode(EventNode&& other) noexcept;
  EventNode& operator=(EventNode&& other) noexcept;
  EventNode(const EventNode&) = delete;
  EventNode& operator=(const EventNode&) = delete;
  ~EventNode();

  int fd() const noexcept { return fd_; }
  // The device number of the node: the device's name while it is attached.
  dev_t device() const noexcept { return device_; }
  const std::filesystem::path& path() const noexcept { return path_; }
  const EventNodeInfo& info() const noexcept { return info_; }

  // Whether the device reports any key down now (a key held since before
  // the node was opened included).
  bool anyKeyDown() const noexcept;
  enum class GrabOutcome : std::uint8_t {
    kTaken,
    kHeldElsewhere,  // another descriptor has it: taken when that one lets go
    kFailed,
  };
  // Takes every event of the device for this descriptor alone; the reason
  // in `error` when it cannot.
  GrabOutcome grab(std::string& error) noexcept;
  void ungrab() noexcept;
  bool grabbed() const noexcept { return grabbed_; }

 private:
  EventNode(int fd, dev_t device, std::filesystem::path path, EventNodeInfo info) noexcept;

  int fd_ = -1;
  dev_t device_ = 0;
  std::filesystem::path path_;
  EventNodeInfo info_;
  bool grabbed_ = false;
};

}  // namespace tarsil
