#pragma once

#include <sys/types.h>

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/linux/control_socket.h"
#include "app/linux/event_loop.h"
#include "app/linux/instance_lock.h"
#include "app/linux/settings_reader.h"
#include "device/keyboard_presence.h"
#include "device/linux/input_node.h"
#include "device/linux/input_watch.h"
#include "engine/linux/key_forwarder.h"
#include "engine/linux/virtual_keyboard.h"
#include "engine/macro_player.h"
#include "session/keyboard_session.h"
#include "session/reload_schedule.h"
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
// set.ini being changed, and sleeps in one wait while nothing happens.
//
// Everything happens on one thread, in the handlers of one event loop, so
// the settings are swapped between two key events; only reading them runs
// elsewhere (SettingsReader), when the reload schedule says so. One daemon
// runs per user (InstanceLock).
//
// A window pauses translation through the control socket while it captures
// keys (ControlSocket): the keyboards stay taken and their keys reach the
// virtual keyboard as they are, what plays stops as on a profile switch,
// and keys held keep their meaning until they come up.
//
// Timed macros play in the same loop: a key's action hands its press and
// release to the macro player, whose next step is a timer of the loop. The
// player's strokes go out through the forwarder, whose translator holds back
// the release of a key the user still holds. Whatever plays stops, and lets
// go of what it holds, when the settings are read again (a profile switch
// included), when the keyboard goes and when the daemon ends.
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
    kWaiting,  // to be translated once the keys held on it are up and no one else holds it
    kGrabbed,  // translated
  };
  struct Device {
    std::optional<EventNode> node;  // open while it is (to be) translated
    dev_t number = 0;
    DeviceState state = DeviceState::kCounted;
    bool waitTold = false;       // the wait for held keys was said
    bool heldElsewhere = false;  // another program has it; tried again when it lets go
  };

  bool setUp();
  bool takeLock();
  bool followSignals();
  void signalled();
  void followSettings();
  void settingsNotices();
  void scheduleRead();
  // The read timer: a result kept long enough replaces the settings in
  // use, and a read that is due begins.
  void readDue();
  void readDone();
  void adopt(KeyboardSession next, bool atStart);
  void inputsChanged();
  void deviceArrived(const std::string& name);
  void deviceGone(const std::string& name);
  void tryGrab(Device& device);
  void retryHeldDevices();
  void deviceReadable(const std::string& name);
  // A key whose meaning is an action. A profile key's press: the keys after
  // it, in the same read too, are decided in the new profile at once, and
  // what plays stops. A timed macro's press and release go to the player.
  static void onAction(void* context, const KeyAction& action, bool up);
  // After the read: the working profile follows the switch. set.ini is
  // left as it is (the daemon only reads it), so the choice lasts until
  // the file changes or the daemon starts again.
  void finishProfileKeySwitch();
  void openControl();
  // A control connection paused translation, or the last one resumed it.
  void pauseChanged(bool paused);
  void shutDown();
  ProfileTables tables() const;
  // The press or release of a key that plays a timed macro.
  void playMacro(const KeyAction& action, bool up) noexcept;
  // Sends what the player has due and sets its timer for the next step.
  void runPlayer() noexcept;
  StrokeOutput playerOutput() noexcept;
  bool stopped() const { return !presence_.translating(); }
  bool follow(int fd, const std::string& name, EventLoop::Handler handler);

  DaemonOptions options_;
  SessionFiles files_;
  KeyboardSession session_;
  KeyboardPresence presence_;
  InputWatch inputs_;
  std::optional<InstanceLock> lock_;
  std::optional<VirtualKeyboard> virtual_;
  std::optional<KeyForwarder> forwarder_;
  std::map<std::string, Device> devices_;  // by node name: "event5"
  EventLoop loop_;
  std::optional<ControlSocket> control_;  // gone before the loop it is a source of
  ReloadSchedule schedule_;
  SettingsReader reader_;
  Timer readTimer_;  // when the schedule's next read, or its adoption, is due
  // A read that ended without a notice, until the file has stayed quiet a
  // little longer.
  std::optional<SettingsReader::Result> kept_;
  Timer grabRetry_;  // while another program holds a keyboard
  MacroPlayer player_;
  Timer playerTimer_;  // when the player's next step is due
  int signals_ = -1;
  int settingsWatch_ = -1;
  std::array<std::string, 2> watchedNames_;  // set.ini and Main.ini, as notices name them
  // The tables the read in progress decides with; a profile key changes
  // its active profile.
  ProfileTables reading_;
  bool profileKeySwitched_ = false;
};

}  // namespace tarsil
