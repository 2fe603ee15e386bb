#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "device/keyboard_presence.h"
#include "device/linux/input_node.h"
#include "device/linux/input_watch.h"
#include "engine/linux/key_forwarder.h"
#include "engine/linux/virtual_keyboard.h"
#include "session/keyboard_session.h"
#include "session/user_files.h"

namespace tarsil {

struct DaemonOptions {
  UserPlaces places;
  // Translate every keyboard, not only the keyboard's own devices.
  bool anyKeyboard = false;
};

// tarsild: applies the active profile of set.ini to the keyboard. It takes
// the keyboard's event nodes for itself (EVIOCGRAB), decides every key event
// as the Windows program's hook does, and sends the result through a virtual
// keyboard of its own. It follows the keyboard being plugged in and out and
// set.ini being changed, and sleeps in one epoll_wait while nothing happens.
class Daemon {
 public:
  explicit Daemon(DaemonOptions options);
  ~Daemon();
  Daemon(const Daemon&) = delete;
  Daemon& operator=(const Daemon&) = delete;

  // Runs until SIGTERM or SIGINT; the exit code of the process.
  int run();

 private:
  enum class DeviceState : std::uint8_t {
    kCounted,  // only tells that the keyboard is there
    kWaiting,  // to be translated once the keys held on it are up
    kGrabbed,  // translated
  };
  struct Device {
    std::optional<EventNode> node;  // open while it is (to be) translated
    dev_t number = 0;
    DeviceState state = DeviceState::kCounted;
    bool waitTold = false;  // the wait for held keys was said
  };

  bool setUp();
  bool loadSettings(bool atStart);
  void followSettings();
  void loop();
  void deviceArrived(const std::string& name);
  void deviceGone(const std::string& name);
  void tryGrab(Device& device);
  void deviceReadable(int fd);
  std::map<std::string, Device>::iterator deviceOf(int fd);
  void settingsChanged();
  // A profile key was pressed: the keys after it, in the same read too, are
  // decided in the new profile at once.
  static void onAction(void* context, const KeyAction& action, bool up);
  // After the read: the working profile follows the switch, and [TYPE] is
  // written as "tarsilctl profile" writes it, so the choice outlives a
  // restart. The file I/O waits until the events read are forwarded.
  void finishProfileKeySwitch();
  void shutDown();
  ProfileTables tables() const;
  bool stopped() const { return !presence_.translating(); }

  DaemonOptions options_;
  SessionFiles files_;
  KeyboardSession session_;
  KeyboardPresence presence_;
  InputWatch inputs_;
  std::optional<VirtualKeyboard> virtual_;
  std::optional<KeyForwarder> forwarder_;
  std::map<std::string, Device> devices_;  // by node name: "event5"
  int epoll_ = -1;
  int signals_ = -1;
  int settingsWatch_ = -1;
  bool running_ = true;
  // The tables the read in progress decides with; a profile key changes
  // its active profile.
  ProfileTables reading_;
  bool profileKeySwitched_ = false;
};

}  // namespace tarsil
