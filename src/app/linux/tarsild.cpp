#include "app/linux/tarsild.h"

#include <errno.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <system_error>

#include "device/linux/inotify_events.h"
#include "device/vendor_id.h"
#include "ini/ini_file.h"
#include "profile/translation_rules.h"

namespace tarsil {
namespace {

// What an epoll event is about: the kind in the high half, a descriptor in
// the low half.
enum class Source : std::uint32_t { kSignal = 1, kVirtualKeyboard, kInputs, kSettings, kDevice };

std::uint64_t tag(Source source, int fd) {
  return (static_cast<std::uint64_t>(source) << 32) | static_cast<std::uint32_t>(fd);
}

void say(const std::string& text) { std::cerr << "tarsild: " << text << std::endl; }

constexpr const char* kAccessHint =
    " (the udev rule installed with tarsild gives the user at the computer access to the "
    "keyboard's nodes and to /dev/uinput; other keyboards, for --any-keyboard, need membership "
    "of the group \"input\")";

bool watch(int epoll, Source source, int fd) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = tag(source, fd);
  return ::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event) == 0;
}

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

// The vendor a node's device reports in sysfs, which anyone may read: it
// tells whether a node that cannot be opened is one that matters.
std::optional<std::uint16_t> sysfsVendor(const std::string& name) {
  std::ifstream file("/sys/class/input/" + name + "/device/id/vendor");
  unsigned value = 0;
  if (!(file >> std::hex >> value)) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

Daemon::Daemon(DaemonOptions options)
    : options_(std::move(options)), presence_(options_.anyKeyboard) {}

Daemon::~Daemon() {
  for (int fd : {epoll_, signals_, settingsWatch_}) {
    if (fd >= 0) ::close(fd);
  }
}

int Daemon::run() {
  if (!setUp()) return 1;
  loop();
  shutDown();
  return 0;
}

bool Daemon::setUp() {
  std::string error;
  const std::optional<SessionFiles> files = userSessionFiles(options_.places, error);
  if (!files) {
    say(error);
    return false;
  }
  files_ = *files;
  if (!loadSettings(true)) return false;

  // The signals arrive as readable data, in the same wait as everything else.
  sigset_t handled;
  sigemptyset(&handled);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&handled, signal);
  sigprocmask(SIG_BLOCK, &handled, nullptr);
  signals_ = ::signalfd(-1, &handled, SFD_NONBLOCK | SFD_CLOEXEC);
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (signals_ < 0 || epoll_ < 0) {
    say(std::string("cannot wait for events: ") + std::strerror(errno));
    return false;
  }

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
  watch(epoll_, Source::kSignal, signals_);
  watch(epoll_, Source::kVirtualKeyboard, virtual_->fd());
  watch(epoll_, Source::kInputs, inputs_.fd());
  followSettings();

  if (options_.anyKeyboard) say("translating every keyboard (--any-keyboard)");
  for (const std::string& name : inputs_.scan()) deviceArrived(name);
  if (!presence_.translating()) {
    say("waiting for the keyboard (USB vendor " + hex4(kKeyboardVendorId) + ")");
  }
  return true;
}

bool Daemon::loadSettings(bool atStart) {
  KeyboardSession next;
  SessionOptions options;
  // At start an unreadable file gives the defaults, as the program does;
  // later, the settings in use stay rather than every key losing its meaning.
  options.unreadableSettings =
      atStart ? UnreadableSettings::kRunWithDefaults : UnreadableSettings::kStop;
  for (const Notice& notice : next.start(files_, options)) say(notice.text);
  if (!next.running()) {
    if (!atStart) say("keeping the settings in use");
    return false;
  }
  session_ = std::move(next);
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
  return true;
}

void Daemon::followSettings() {
  settingsWatch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (settingsWatch_ < 0) return;
  // The folders, not the files: a save replaces the file by renaming a new
  // one over it, and a file that does not exist yet can appear.
  const std::filesystem::path folders[] = {files_.settings.parent_path(),
                                           files_.layout.parent_path()};
  std::error_code ignored;
  if (!options_.places.settings) std::filesystem::create_directories(folders[0], ignored);
  // Not IN_CREATE: a file just made is still being written; its closing
  // follows.
  constexpr std::uint32_t kChanges = IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;
  for (const std::filesystem::path& folder : folders) {
    const std::filesystem::path watched = folder.empty() ? "." : folder;
    if (::inotify_add_watch(settingsWatch_, watched.c_str(), kChanges) < 0) {
      say("changes to " + watched.string() + " are not followed: " + std::strerror(errno));
    }
  }
  watch(epoll_, Source::kSettings, settingsWatch_);
}

void Daemon::loop() {
  std::array<epoll_event, 16> events;
  while (running_) {
    // Nothing happens until something does: no timeout, no polling.
    const int count = ::epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), -1);
    if (count < 0) {
      if (errno == EINTR) continue;
      say(std::string("waiting for events failed: ") + std::strerror(errno));
      return;
    }
    for (int i = 0; i < count && running_; ++i) {
      const auto source = static_cast<Source>(events[i].data.u64 >> 32);
      const auto fd = static_cast<int>(events[i].data.u64 & 0xFFFFFFFFu);
      switch (source) {
        case Source::kDevice:
          deviceReadable(fd);
          break;
        case Source::kVirtualKeyboard:
          forwarder_->readVirtualKeyboard();
          break;
        case Source::kInputs:
          for (const NodeChange& change : inputs_.read()) {
            if (change.gone) {
              deviceGone(change.name);
            } else {
              deviceArrived(change.name);
            }
          }
          break;
        case Source::kSettings:
          settingsChanged();
          break;
        case Source::kSignal: {
          signalfd_siginfo signal{};
          while (::read(signals_, &signal, sizeof(signal)) == sizeof(signal)) {
            if (signal.ssi_signo == SIGHUP) {
              loadSettings(false);
            } else {
              say(std::string("ending on ") + ::strsignal(static_cast<int>(signal.ssi_signo)));
              running_ = false;
            }
          }
          break;
        }
      }
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
    const std::optional<std::uint16_t> vendor = sysfsVendor(name);
    if (!options_.anyKeyboard && !(vendor && isKeyboardVendor(*vendor))) return;
    if (::access(path.c_str(), R_OK) != 0 && errno == EACCES) error += kAccessHint;
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
  watch(epoll_, Source::kDevice, device.node->fd());
  tryGrab(device);
}

void Daemon::tryGrab(Device& device) {
  EventNode& node = *device.node;
  // A key held now went down for the system; taking the device would keep
  // its release from the system, and the key would stay down there. So the
  // device is taken once no key is down, and checked again right after.
  if (!node.anyKeyDown()) {
    std::string error;
    if (!node.grab(error)) {
      say("cannot take " + describe(node) + ": " + error + "; its keys stay untranslated");
      ::epoll_ctl(epoll_, EPOLL_CTL_DEL, node.fd(), nullptr);
      device.node.reset();
      device.state = DeviceState::kCounted;
      return;
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

void Daemon::deviceReadable(int fd) {
  const auto found = deviceOf(fd);
  if (found == devices_.end()) return;  // gone earlier in the same wake-up
  Device& device = found->second;
  if (device.state == DeviceState::kGrabbed) {
    reading_ = tables();
    const KeyForwarder::ReadOutcome outcome = forwarder_->readKeyboard(fd, reading_, stopped());
    finishProfileKeySwitch();
    if (outcome == KeyForwarder::ReadOutcome::kGone) {
      deviceGone(std::string(found->first));  // a copy: the entry goes
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
    deviceGone(std::string(found->first));
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
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, device.node->fd(), nullptr);
  }
  const dev_t number = device.number;
  devices_.erase(found);
  if (presence_.left(number) == PresenceAction::kStopTranslation) {
    forwarder_->releaseAll(tables());
    say("the keyboard is gone: translation is off");
  }
}

std::map<std::string, Daemon::Device>::iterator Daemon::deviceOf(int fd) {
  // A handful of devices: a search costs less than keeping an index.
  return std::find_if(devices_.begin(), devices_.end(), [fd](const auto& entry) {
    return entry.second.node && entry.second.node->fd() == fd;
  });
}

void Daemon::settingsChanged() {
  bool ours = false;
  const std::string settingsName = files_.settings.filename().string();
  const std::string layoutName = files_.layout.filename().string();
  forEachInotifyEvent(settingsWatch_, [&](const inotify_event&, std::string_view name) {
    ours = ours || name == settingsName || name == layoutName;
  });
  if (ours) loadSettings(false);
}

void Daemon::onAction(void* context, const KeyAction& action, bool up) {
  auto* daemon = static_cast<Daemon*>(context);
  if (up || action.kind != KeyActionKind::kSwitchProfile) return;
  // Only the number changes on the key path; the stores' tables stay where
  // they are, and a key held across the switch lets go of what it pressed.
  ProfileSet& profiles = daemon->session_.profiles();
  const std::int32_t profile = profileKeyTarget(action, profiles.activeProfile);
  if (profile == profiles.activeProfile) return;
  profiles.activeProfile = profile;
  daemon->reading_.activeProfile = profile;
  daemon->profileKeySwitched_ = true;
}

void Daemon::finishProfileKeySwitch() {
  if (!profileKeySwitched_) return;
  profileKeySwitched_ = false;
  ProfileSet& profiles = session_.profiles();
  // The daemon never holds unapplied edits: the working profile is the store.
  profiles.working = *profiles.store(profiles.activeProfile);
  say("profile key: profile " + std::to_string(profiles.activeProfile) + " is active");
  if (!session_.maySave()) return;  // a file that could not be read is left as it is
  const ini::FileStatus saved = saveSettings(profiles, session_.layout().slots, files_.settings,
                                             SaveScope::kActiveProfileNumber, session_.codePage());
  if (!saved.ok()) say("the active profile could not be saved: " + saved.error);
}

ProfileTables Daemon::tables() const {
  const ProfileSet& profiles = session_.profiles();
  return ProfileTables{
      {&profiles.stores[0].translation, &profiles.stores[1].translation,
       &profiles.stores[2].translation},
      profiles.activeProfile,
      {&profiles.stores[0].actions, &profiles.stores[1].actions, &profiles.stores[2].actions}};
}

void Daemon::shutDown() {
  // What the virtual keyboard holds comes up before it goes, and the
  // keyboards are handed back to the system.
  forwarder_->releaseEverything(tables());
  for (auto& [name, device] : devices_) {
    if (device.node) device.node->ungrab();
  }
  devices_.clear();
  forwarder_.reset();
  virtual_.reset();
}

}  // namespace tarsil
