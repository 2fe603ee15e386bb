#include "app/linux/tarsild.h"

#include <errno.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <system_error>
#include <utility>

#include "device/linux/inotify_events.h"
#include "device/vendor_id.h"
#include "engine/key_rendering.h"
#include "ini/ini_file.h"
#include "profile/macro_library.h"
#include "profile/translation_rules.h"

namespace tarsil {
namespace {

using Clock = ReloadSchedule::Clock;

void say(const std::string& text) { std::cerr << "tarsild: " << text << std::endl; }

constexpr const char* kAccessHint =
    " (the udev rule installed with tarsild gives the user at the computer access to the "
    "keyboard's nodes and to /dev/uinput)";

// While another program holds a keyboard, it is tried again this often, so
// it is taken soon after that program lets go even if no key is typed.
constexpr auto kGrabRetry = std::chrono::seconds(1);

std::string hex4(std::uint16_t value) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "%04x", value);
  return text.data();
}

std::string describe(const EventNode& node) {
  const input_id& id = node.info().id;
  return "\"" + node.info().name + "\" (" + node.path().string() + ", USB ID " + hex4(id.vendor) +
         ":" + hex4(id.product) + ")";
}

// What sysfs, which anyone may read, says of a node's device: it tells
// whether a node that cannot be opened is one that matters, and names it.
std::optional<std::uint16_t> sysfsId(const std::string& name, const char* field) {
  std::ifstream file("/sys/class/input/" + name + "/device/id/" + field);
  unsigned value = 0;
  if (!(file >> std::hex >> value)) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

// --any-keyboard reaches keyboards the shipped rule does not open. The
// group "input" would open them all, to every program of the user's, for
// good; a rule of the user's own can open this one alone.
std::string anyKeyboardHint(const std::string& name) {
  const auto vendor = sysfsId(name, "vendor");
  const auto product = sysfsId(name, "product");
  if (!vendor || !product) return "";
  return " (to let the user at the computer translate this keyboard alone, add the rule "
         "SUBSYSTEM==\"input\", KERNEL==\"event*\", ATTRS{id/vendor}==\"" +
         hex4(*vendor) + "\", ATTRS{id/product}==\"" + hex4(*product) +
         "\", TAG+=\"uaccess\" to /etc/udev/rules.d/71-tarsil-keyboard.rules; membership of "
         "the group \"input\" would instead let every program of yours read every keyboard)";
}

SessionOptions settingsOptions(bool atStart) {
  SessionOptions options;
  // At start an unreadable file gives the defaults, as the program does;
  // later, the settings in use stay rather than every key losing its meaning.
  options.unreadableSettings =
      atStart ? UnreadableSettings::kRunWithDefaults : UnreadableSettings::kStop;
  options.refuseTextWithoutSections = true;
  return options;
}

}  // namespace

Daemon::Daemon(DaemonOptions options)
    : options_(std::move(options)), presence_(options_.anyKeyboard) {}

Daemon::~Daemon() {
  for (int fd : {signals_, settingsWatch_}) {
    if (fd >= 0) ::close(fd);
  }
}

int Daemon::run() {
  if (!setUp()) return 1;
  std::string error;
  const bool waited = loop_.run(error);
  if (!waited) say(error);
  shutDown();
  return waited ? 0 : 1;
}

bool Daemon::follow(int fd, const std::string& name, EventLoop::Handler handler) {
  std::string error;
  if (loop_.add(fd, name, std::move(handler), error)) return true;
  say(error);
  return false;
}

bool Daemon::setUp() {
  if (!takeLock()) return false;
  std::string error;
  const std::optional<SessionFiles> files = userSessionFiles(options_.places, error);
  if (!files) {
    say(error);
    return false;
  }
  files_ = *files;
  KeyboardSession first;
  for (const Notice& notice : first.start(files_, settingsOptions(true))) say(notice.text);
  if (!first.running()) return false;
  adopt(std::move(first), true);

  if (!loop_.open(error) || !readTimer_.open(error) || !grabRetry_.open(error) ||
      !playerTimer_.open(error) || !reader_.open(error)) {
    say(error);
    return false;
  }
  if (!followSignals()) return false;
  virtual_ = VirtualKeyboard::create(error);
  if (!virtual_) {
    if (::access("/dev/uinput", W_OK) != 0 && errno == EACCES) error += kAccessHint;
    say(error);
    return false;
  }
  forwarder_.emplace(virtual_->fd());
  forwarder_->setActionHandler(onAction, this);
  if (!inputs_.start(error)) {
    say(error);
    return false;
  }
  const bool followed =
      follow(virtual_->fd(), "the virtual keyboard",
             [this] { forwarder_->readVirtualKeyboard(); }) &&
      follow(inputs_.fd(), "the input devices", [this] { inputsChanged(); }) &&
      follow(readTimer_.fd(), "the settings timer", [this] { readDue(); }) &&
      follow(reader_.fd(), "the settings reader", [this] { readDone(); }) &&
      follow(grabRetry_.fd(), "the keyboard retry timer", [this] { retryHeldDevices(); }) &&
      follow(playerTimer_.fd(), "the macro timer", [this] {
        playerTimer_.acknowledge();
        runPlayer();
      });
  if (!followed) return false;
  followSettings();
  openControl();

  if (options_.anyKeyboard) say("translating every keyboard (--any-keyboard)");
  for (const std::string& name : inputs_.scan()) deviceArrived(name);
  if (!presence_.translating()) {
    say("waiting for the keyboard (USB vendor " + hex4(kKeyboardVendorId) + ")");
  }
  return true;
}

bool Daemon::takeLock() {
  const std::optional<std::filesystem::path> folder = userRuntimeFolder(options_.places);
  if (!folder) {
    say("XDG_RUNTIME_DIR is not set: another tarsild of this user would not be noticed, and no "
        "window can pause translation while it captures keys");
    return true;
  }
  const std::filesystem::path file = *folder / "tarsild.lock";
  lock_.emplace(file);
  switch (lock_->state()) {
    case InstanceLock::State::kTaken:
      return true;
    case InstanceLock::State::kUnavailable:
      // Translation matters more than the lock: run, and say what is missing.
      say(lock_->error() + "; another tarsild of this user would not be noticed");
      return true;
    case InstanceLock::State::kHeldElsewhere:
      break;
  }
  const std::string holder =
      lock_->holder() > 0 ? "process " + std::to_string(lock_->holder()) + ", " : "";
  say("tarsild is already running for this user (" + holder + "holding " + file.string() +
      "); this one ends. Stop the other first (systemctl --user stop tarsild, or end the "
      "tarsild started in a terminal).");
  return false;
}

void Daemon::openControl() {
  // Only the lock's holder owns the folder's socket; without the lock, it
  // might be another daemon's.
  if (!lock_ || lock_->state() != InstanceLock::State::kTaken) return;
  const std::optional<std::filesystem::path> folder = userRuntimeFolder(options_.places);
  if (!folder) return;
  control_.emplace(
      loop_, [this](bool paused) { pauseChanged(paused); },
      [](const std::string& text) { say(text); });
  std::string error;
  if (!control_->open(*folder / control::kSocketName, error)) {
    say(error + "; no window can pause translation while it captures keys");
    control_.reset();
  }
}

void Daemon::pauseChanged(bool paused) {
  if (paused) {
    // As on a profile switch: what plays stops and lets go of what it holds
    // (but for what the user holds).
    player_.stopAll(playerOutput());
    runPlayer();
  }
  forwarder_->setPaused(paused);
  say(paused ? "translation paused by a control connection: keys pass as they are"
             : "translation resumed");
}

bool Daemon::followSignals() {
  // The signals arrive as readable data, in the same wait as everything else.
  sigset_t handled;
  sigemptyset(&handled);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&handled, signal);
  sigprocmask(SIG_BLOCK, &handled, nullptr);
  signals_ = ::signalfd(-1, &handled, SFD_NONBLOCK | SFD_CLOEXEC);
  if (signals_ < 0) {
    say(std::string("cannot follow signals: ") + std::strerror(errno));
    return false;
  }
  return follow(signals_, "signals", [this] { signalled(); });
}

void Daemon::signalled() {
  signalfd_siginfo signal{};
  while (::read(signals_, &signal, sizeof(signal)) == sizeof(signal)) {
    if (signal.ssi_signo == SIGHUP) {
      schedule_.changed(Clock::now(), ReloadSchedule::Change::kAsked);
      scheduleRead();
    } else {
      say(std::string("ending on ") + ::strsignal(static_cast<int>(signal.ssi_signo)));
      loop_.stop();
    }
  }
}

void Daemon::followSettings() {
  settingsWatch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (settingsWatch_ < 0) return;
  watchedNames_ = {files_.settings.filename().string(), files_.layout.filename().string()};
  // The folders, not the files: a save replaces the file by renaming a new
  // one over it, and a file that does not exist yet can appear.
  const std::filesystem::path folders[] = {files_.settings.parent_path(),
                                           files_.layout.parent_path()};
  std::error_code ignored;
  if (!options_.places.settings) std::filesystem::create_directories(folders[0], ignored);
  // IN_MODIFY tells that a file is being written in place: no read begins
  // until it is closed. IN_CREATE is left out: a file just made is still
  // being written; its closing follows.
  constexpr std::uint32_t kChanges =
      IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;
  for (const std::filesystem::path& folder : folders) {
    const std::filesystem::path watched = folder.empty() ? "." : folder;
    if (::inotify_add_watch(settingsWatch_, watched.c_str(), kChanges) < 0) {
      say("changes to " + watched.string() + " are not followed: " + std::strerror(errno));
    }
  }
  follow(settingsWatch_, "the settings folder", [this] { settingsNotices(); });
}

void Daemon::settingsNotices() {
  if (settingsWatch_ < 0) return;
  const Clock::time_point now = Clock::now();
  bool any = false;
  forEachInotifyEvent(settingsWatch_, [&](const inotify_event& event, std::string_view name) {
    // Notices were lost: whatever was being written may have been closed.
    const bool overflow = (event.mask & IN_Q_OVERFLOW) != 0;
    if (!overflow && name != watchedNames_[0] && name != watchedNames_[1]) return;
    schedule_.changed(now, (event.mask & IN_MODIFY) != 0 ? ReloadSchedule::Change::kWriting
                                                         : ReloadSchedule::Change::kComplete);
    any = true;
  });
  if (any) scheduleRead();
}

void Daemon::scheduleRead() {
  // The time a read is due only moves later with more notices: a timer
  // already set fires first, and readDue sets it again if it is early.
  std::optional<Clock::time_point> due = schedule_.due();
  if (const std::optional<Clock::time_point> adoption = schedule_.adoptionDue()) due = adoption;
  if (due && !readTimer_.armed()) readTimer_.fireAt(*due);
}

void Daemon::readDue() {
  readTimer_.acknowledge();
  // Notices already waiting count before the decision: a file that is
  // being written right now is not read, and a result kept is not used.
  settingsNotices();
  const Clock::time_point now = Clock::now();
  if (kept_ && schedule_.adopt(now)) {
    SettingsReader::Result result = std::move(*kept_);
    kept_.reset();
    for (const Notice& notice : result.notices) say(notice.text);
    if (result.session.running()) {
      adopt(std::move(result.session), false);
    } else {
      say("keeping the settings in use");
    }
  } else if (kept_ && !schedule_.adoptionDue()) {
    kept_.reset();  // the file changed since it was read
  }
  if (schedule_.begin(now)) reader_.start(files_, settingsOptions(false));
  scheduleRead();
}

void Daemon::readDone() {
  // A change that came while the file was read makes the read stale; the
  // notices of such a change are waiting now if it came before the read
  // ended, and those that come after it until its adoption drop it too.
  settingsNotices();
  SettingsReader::Result result = reader_.take();
  if (schedule_.finished(Clock::now())) kept_ = std::move(result);
  scheduleRead();
}

void Daemon::adopt(KeyboardSession next, bool atStart) {
  // One step between two key events; the old settings are freed on the
  // reader's thread.
  reader_.retire(std::exchange(session_, std::move(next)));
  // What plays stops: its macro may be gone, or changed, or belong to a
  // profile no longer active.
  player_.setLibrary(std::make_shared<const MacroLibrary>(buildMacroLibrary(session_.profiles())),
                     playerOutput());
  runPlayer();
  if (!session_.settingsFileExists()) {
    say(ini::pathText(files_.settings) + " does not exist yet: every key types itself");
  }
  const ProfileSet& profiles = session_.profiles();
  std::size_t assigned = 0;
  if (const ProfileData* active = profiles.store(profiles.activeProfile)) {
    for (const auto& [source, list] : active->translation) {
      if (list.size() != 1 || list.front() != source) ++assigned;
    }
  }
  say(std::string(atStart ? "read " : "reread ") + ini::pathText(files_.settings) + ": profile " +
      std::to_string(profiles.activeProfile) + " is active, " + std::to_string(assigned) +
      (assigned == 1 ? " key does" : " keys do") + " something else than type themselves");
}

void Daemon::inputsChanged() {
  for (const NodeChange& change : inputs_.read()) {
    if (change.gone) {
      deviceGone(change.name);
    } else {
      deviceArrived(change.name);
    }
  }
}

void Daemon::deviceArrived(const std::string& name) {
  // Told again when its permissions change: nothing new once it is known.
  if (devices_.contains(name)) return;
  const std::filesystem::path path = inputs_.folder() / name;
  std::string error;
  std::optional<EventNode> node = EventNode::open(path, error);
  if (!node) {
    // Only the keyboard's own nodes are worth a word (a node may also be
    // gone already, or not yet open to us: then it is tried again when
    // the device manager has granted access).
    const std::optional<std::uint16_t> vendor = sysfsId(name, "vendor");
    const bool ours = vendor && isKeyboardVendor(*vendor);
    if (!options_.anyKeyboard && !ours) return;
    if (::access(path.c_str(), R_OK) != 0 && errno == EACCES) {
      error += ours ? kAccessHint : anyKeyboardHint(name);
    }
    say(error);
    return;
  }
  const DeviceRole role = roleOf(factsOf(node->info(), kVirtualKeyboardName), options_.anyKeyboard);
  if (!role.countsAsTheKeyboard && !role.translated) return;

  Device& device = devices_[name];
  device.number = node->device();
  if (presence_.arrived(device.number, factsOf(node->info(), kVirtualKeyboardName)) ==
      PresenceAction::kStartTranslation) {
    say("the keyboard is attached: translation is on");
  }
  if (!role.translated) return;
  device.node = std::move(node);
  device.state = DeviceState::kWaiting;
  follow(device.node->fd(), "the keyboard's node " + path.string(),
         [this, name] { deviceReadable(name); });
  tryGrab(device);
}

void Daemon::tryGrab(Device& device) {
  EventNode& node = *device.node;
  // A key held now went down for the system; taking the device would keep
  // its release from the system, and the key would stay down there. So the
  // device is taken once no key is down, and checked again right after.
  if (!node.anyKeyDown()) {
    std::string error;
    switch (node.grab(error)) {
      case EventNode::GrabOutcome::kFailed:
        say("cannot take " + describe(node) + ": " + error + "; its keys stay untranslated");
        loop_.remove(node.fd());
        device.node.reset();
        device.state = DeviceState::kCounted;
        device.heldElsewhere = false;
        return;
      case EventNode::GrabOutcome::kHeldElsewhere:
        // Its events reach us again once that program lets go, and the
        // retry timer tries meanwhile.
        if (!device.heldElsewhere) {
          say("cannot take " + describe(node) + " yet: " + error +
              "; its keys stay untranslated until that program lets go");
          device.heldElsewhere = true;
          if (!grabRetry_.armed()) grabRetry_.fireEvery(kGrabRetry);
        }
        return;
      case EventNode::GrabOutcome::kTaken:
        device.heldElsewhere = false;
        break;
    }
    if (!node.anyKeyDown()) {
      device.state = DeviceState::kGrabbed;
      forwarder_->addKeyboard(node.fd());
      say("translating " + describe(node));
      return;
    }
    node.ungrab();
  }
  if (!device.waitTold) say("waiting for the keys held on " + describe(node) + " to be released");
  device.waitTold = true;
}

void Daemon::retryHeldDevices() {
  grabRetry_.acknowledge();
  bool stillHeld = false;
  for (auto& [name, device] : devices_) {
    if (device.heldElsewhere && device.state == DeviceState::kWaiting) tryGrab(device);
    stillHeld = stillHeld || device.heldElsewhere;
  }
  if (!stillHeld) grabRetry_.disarm();
}

void Daemon::deviceReadable(const std::string& name) {
  const auto found = devices_.find(name);
  if (found == devices_.end() || !found->second.node) return;
  Device& device = found->second;
  const int fd = device.node->fd();
  if (device.state == DeviceState::kGrabbed) {
    reading_ = tables();
    const KeyForwarder::ReadOutcome outcome = forwarder_->readKeyboard(fd, reading_, stopped());
    finishProfileKeySwitch();
    if (outcome == KeyForwarder::ReadOutcome::kGone) {
      deviceGone(name);
    }
    return;
  }
  // Waiting: the events went to the system as well; only the state matters.
  std::array<input_event, 64> events;
  for (;;) {
    const ssize_t got = ::read(fd, events.data(), sizeof(events));
    if (got > 0) continue;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) break;
    deviceGone(name);
    return;
  }
  if (!device.node->anyKeyDown()) tryGrab(device);
}

void Daemon::deviceGone(const std::string& name) {
  const auto found = devices_.find(name);
  if (found == devices_.end()) return;
  Device& device = found->second;
  if (device.node) {
    if (device.state == DeviceState::kGrabbed) {
      forwarder_->removeKeyboard(device.node->fd(), tables(), stopped());
      say("no longer translating " + describe(*device.node));
    }
    loop_.remove(device.node->fd());
  }
  const dev_t number = device.number;
  devices_.erase(found);
  if (presence_.left(number) == PresenceAction::kStopTranslation) {
    // The player first, while the translator still knows the user's keys.
    player_.stopAll(playerOutput());
    runPlayer();
    forwarder_->releaseAll(tables());
    say("the keyboard is gone: translation is off");
  }
}

void Daemon::onAction(void* context, const KeyAction& action, bool up) {
  auto* daemon = static_cast<Daemon*>(context);
  if (action.kind == KeyActionKind::kPlayMacro) {
    daemon->playMacro(action, up);
    return;
  }
  if (up || action.kind != KeyActionKind::kSwitchProfile) return;
  // Only the number changes on the key path; the stores' tables stay where
  // they are, and a key held across the switch lets go of what it pressed.
  ProfileSet& profiles = daemon->session_.profiles();
  const std::int32_t profile = profileKeyTarget(action, profiles.activeProfile);
  if (profile == profiles.activeProfile) return;
  profiles.activeProfile = profile;
  daemon->reading_.activeProfile = profile;
  daemon->profileKeySwitched_ = true;
  // What plays stops with the switch, and lets go of what it holds.
  daemon->player_.stopAll(daemon->playerOutput());
  daemon->runPlayer();
}

void Daemon::finishProfileKeySwitch() {
  if (!profileKeySwitched_) return;
  profileKeySwitched_ = false;
  ProfileSet& profiles = session_.profiles();
  // The daemon never holds unapplied edits: the working profile is the store.
  profiles.working = *profiles.store(profiles.activeProfile);
  say("profile key: profile " + std::to_string(profiles.activeProfile) + " is active");
}

ProfileTables Daemon::tables() const {
  const ProfileSet& profiles = session_.profiles();
  return ProfileTables{
      {&profiles.stores[0].translation, &profiles.stores[1].translation,
       &profiles.stores[2].translation},
      profiles.activeProfile,
      {&profiles.stores[0].actions, &profiles.stores[1].actions, &profiles.stores[2].actions}};
}

void Daemon::playMacro(const KeyAction& action, bool up) noexcept {
  const PlayerTime now =
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
          .count();
  if (up) {
    player_.release(action.trigger, now, playerOutput());
  } else {
    const bool numLockOn = isNumLockOn(forwarder_->numLockState());
    player_.press({session_.profiles().activeProfile, action.value, action.trigger, numLockOn}, now,
                  playerOutput());
  }
  runPlayer();
}

StrokeOutput Daemon::playerOutput() noexcept {
  return {[](void* self, const KeyStroke* strokes, std::size_t count) {
            auto* daemon = static_cast<Daemon*>(self);
            if (daemon->forwarder_) daemon->forwarder_->playStrokes(strokes, count);
          },
          this};
}

void Daemon::runPlayer() noexcept {
  const auto now = Clock::now();
  const std::optional<PlayerTime> next = player_.run(
      std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count(),
      playerOutput());
  if (next) {
    playerTimer_.fireAt(Clock::time_point(std::chrono::microseconds(*next)));
  } else if (playerTimer_.armed()) {
    playerTimer_.disarm();
  }
}

void Daemon::shutDown() {
  // What the virtual keyboard holds comes up before it goes, and the
  // keyboards are handed back to the system; what the player holds first,
  // while the translator still knows the user's keys.
  control_.reset();
  player_.stopAll(playerOutput());
  forwarder_->releaseEverything(tables());
  for (auto& [name, device] : devices_) {
    if (device.node) device.node->ungrab();
  }
  devices_.clear();
  forwarder_.reset();
  virtual_.reset();
}

}  // namespace tarsil
