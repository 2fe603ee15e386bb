// Runs inside the test machine, as its only program besides tarsild: makes
// keyboards through uinput, types on them, and reads what the system gets
// from them and from "Tarsil virtual keyboard". Prints one line per check,
// the measured figures, and "TARSIL-VM: PASS" or "TARSIL-VM: FAIL" last.
#include <dirent.h>
#include <fcntl.h>
#include <linux/uinput.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr const char* kDaemon = "/bin/tarsild";
constexpr const char* kCtl = "/bin/tarsilctl";
constexpr const char* kLog = "/tmp/tarsild.log";
constexpr const char* kVirtualName = "Tarsil virtual keyboard";

int failures = 0;

void check(bool ok, const std::string& what, const std::string& detail = "") {
  std::printf("%s - %s%s%s\n", ok ? "ok" : "not ok", what.c_str(), detail.empty() ? "" : ": ",
              detail.c_str());
  std::fflush(stdout);
  if (!ok) ++failures;
}

double nowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Polls `done` every few milliseconds until it holds or `ms` pass.
template <typename Done>
bool waitFor(Done done, double ms = 10000) {
  const double end = nowMs() + ms;
  while (!done()) {
    if (nowMs() > end) return false;
    usleep(5000);
  }
  return true;
}

std::string nodeNamed(const std::string& name) {
  DIR* folder = opendir("/dev/input");
  if (folder == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(folder)) {
    if (std::strncmp(entry->d_name, "event", 5) != 0) continue;
    const std::string path = std::string("/dev/input/") + entry->d_name;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) continue;
    char text[256] = {};
    ioctl(fd, EVIOCGNAME(sizeof(text) - 1), text);
    close(fd);
    if (name == text) found = path;
  }
  closedir(folder);
  return found;
}

// A keyboard made through uinput: USB, with the vendor asked for.
class FakeKeyboard {
 public:
  FakeKeyboard(const char* name, std::uint16_t vendor) : name_(name), vendor_(vendor) { create(); }
  ~FakeKeyboard() { destroy(); }

  void create() {
    fd_ = open("/dev/uinput", O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ioctl(fd_, UI_SET_EVBIT, EV_KEY);
    ioctl(fd_, UI_SET_EVBIT, EV_MSC);
    ioctl(fd_, UI_SET_MSCBIT, MSC_SCAN);
    ioctl(fd_, UI_SET_EVBIT, EV_LED);
    for (int lamp : {LED_NUML, LED_CAPSL, LED_SCROLLL}) ioctl(fd_, UI_SET_LEDBIT, lamp);
    for (int code = KEY_ESC; code <= KEY_F24; ++code) ioctl(fd_, UI_SET_KEYBIT, code);
    uinput_setup setup{};
    setup.id = {BUS_USB, vendor_, 0x0002, 0x0111};
    std::snprintf(setup.name, sizeof(setup.name), "%s", name_);
    ioctl(fd_, UI_DEV_SETUP, &setup);
    ioctl(fd_, UI_DEV_CREATE);
    waitFor([&] { return !(node_ = nodeNamed(name_)).empty(); });
  }
  void destroy() {
    if (fd_ < 0) return;
    ioctl(fd_, UI_DEV_DESTROY);
    close(fd_);
    fd_ = -1;
  }

  void send(std::uint16_t type, std::uint16_t code, std::int32_t value) const {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    if (write(fd_, &event, sizeof(event)) != sizeof(event)) std::perror("uinput write");
  }
  void key(std::uint16_t code, std::int32_t value) const {
    send(EV_KEY, code, value);
    send(EV_SYN, SYN_REPORT, 0);
  }
  void tap(std::uint16_t code) const {
    key(code, 1);
    key(code, 0);
  }
  // The lamp the system last set on this keyboard, if it set one since.
  std::optional<int> lamp(std::uint16_t which) const {
    std::optional<int> value;
    input_event event{};
    while (read(fd_, &event, sizeof(event)) == sizeof(event)) {
      if (event.type == EV_LED && event.code == which) value = event.value;
    }
    return value;
  }
  const std::string& node() const { return node_; }

 private:
  const char* name_;
  std::uint16_t vendor_;
  int fd_ = -1;
  std::string node_;
};

// What the system receives from one event node: its key events, with their
// times on the monotonic clock. Not inherited by tarsild, which must be seen
// holding only what it opened itself.
class Reader {
 public:
  explicit Reader(const std::string& node) {
    fd_ = open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int clock = CLOCK_MONOTONIC;
    ioctl(fd_, EVIOCSCLOCKID, &clock);
  }
  ~Reader() {
    if (fd_ >= 0) close(fd_);
  }
  Reader(const Reader&) = delete;

  struct Key {
    std::uint16_t code;
    std::int32_t value;
    double ms;
  };
  // The key events that arrive within `ms`, until `count` of them came.
  std::vector<Key> keys(std::size_t count, double ms = 5000) {
    std::vector<Key> got;
    const double end = nowMs() + ms;
    for (;;) {
      input_event event{};
      while (got.size() < count && read(fd_, &event, sizeof(event)) == sizeof(event)) {
        if (event.type != EV_KEY) continue;
        got.push_back({event.code, event.value,
                       static_cast<double>(event.input_event_sec) * 1e3 +
                           static_cast<double>(event.input_event_usec) / 1e3});
      }
      const double left = end - nowMs();
      pollfd ready{fd_, POLLIN, 0};
      if (got.size() >= count || left <= 0 || poll(&ready, 1, static_cast<int>(left) + 1) <= 0) {
        return got;
      }
    }
  }
  // Every key event already waiting.
  std::vector<Key> pending() { return keys(1000, 0); }
  void drain() { pending(); }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

std::string text(const std::vector<Reader::Key>& keys) {
  std::string out;
  for (const Reader::Key& key : keys) {
    out += (out.empty() ? "" : " ") + std::to_string(key.code) + ":" + std::to_string(key.value);
  }
  return out.empty() ? "nothing" : out;
}

bool same(const std::vector<Reader::Key>& keys,
          const std::vector<std::pair<std::uint16_t, std::int32_t>>& expected) {
  if (keys.size() != expected.size()) return false;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].code != expected[i].first || keys[i].value != expected[i].second) return false;
  }
  return true;
}

pid_t startDaemon(const char* option = nullptr) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int log = open(kLog, O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(log, 2);
    execl(kDaemon, kDaemon, option, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

bool holdsOpen(pid_t pid, const std::string& node) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  DIR* fds = opendir(folder.c_str());
  if (fds == nullptr) return false;
  bool found = false;
  while (dirent* entry = readdir(fds)) {
    char target[256] = {};
    const std::string link = folder + "/" + entry->d_name;
    if (readlink(link.c_str(), target, sizeof(target) - 1) > 0 && node == target) found = true;
  }
  closedir(fds);
  return found;
}

// Whether the daemon holds the keyboard now: a key typed on it reaches the
// virtual keyboard and not the keyboard's own node. F13 means nothing to
// the test's settings, so it is passed on as it is.
bool grabbed(const FakeKeyboard& keyboard, Reader& own, Reader& virtualKeyboard) {
  own.drain();
  virtualKeyboard.drain();
  keyboard.tap(KEY_F13);
  const auto passed = virtualKeyboard.keys(2, 500);
  // Delivery to every reader is one step in the kernel: had the keyboard's
  // node got the key, it would be there by now.
  return same(passed, {{KEY_F13, 1}, {KEY_F13, 0}}) && own.pending().empty();
}

bool seenOnItsOwnNode(const FakeKeyboard& keyboard, Reader& own) {
  own.drain();
  keyboard.tap(KEY_F13);
  return same(own.keys(2, 3000), {{KEY_F13, 1}, {KEY_F13, 0}});
}

std::string logText() {
  std::ifstream file(kLog);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
}

struct Percentiles {
  double p50, p99;
};
Percentiles percentiles(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  auto at = [&](double q) {
    return values.empty()
               ? 0.0
               : values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
  };
  return {at(0.50), at(0.99)};
}

// From writing a key event on `keyboard` to its arrival on `reader`'s node,
// in microseconds, for `rounds` presses and releases.
std::vector<double> latencies(const FakeKeyboard& keyboard, Reader& reader, int rounds) {
  std::vector<double> micros;
  for (int i = 0; i < rounds * 2; ++i) {
    reader.drain();
    const double sent = nowMs();
    keyboard.key(KEY_A, i % 2 == 0 ? 1 : 0);
    const auto got = reader.keys(1, 2000);
    if (!got.empty()) micros.push_back((got[0].ms - sent) * 1e3);
  }
  return micros;
}

// The cost of handing data to another process and back on this machine: a
// child that waits in read() and writes what it got back. What tarsild adds
// holds one such hand-off; the rest is its own work.
std::vector<double> handOffs(int rounds) {
  int there[2];
  int back[2];
  if (pipe(there) != 0 || pipe(back) != 0) return {};
  const pid_t relay = fork();
  if (relay == 0) {
    close(there[1]);
    close(back[0]);
    char byte;
    while (read(there[0], &byte, 1) == 1 && write(back[1], &byte, 1) == 1) {
    }
    _exit(0);
  }
  close(there[0]);
  close(back[1]);
  std::vector<double> micros;
  for (int i = 0; i < rounds * 2; ++i) {
    const char byte = 'k';
    char answer;
    const double sent = nowMs();
    if (write(there[1], &byte, 1) != 1 || read(back[0], &answer, 1) != 1) break;
    micros.push_back((nowMs() - sent) * 1e3);
  }
  close(there[1]);  // the relay reads the end and leaves
  close(back[0]);
  waitpid(relay, nullptr, 0);
  return micros;
}

struct Usage {
  long switches = 0;
  long ticks = 0;
};
Usage usageOf(pid_t pid) {
  Usage usage;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("voluntary_ctxt_switches:") ||
        line.starts_with("nonvoluntary_ctxt_switches:")) {
      usage.switches += std::stol(line.substr(line.find(':') + 1));
    }
  }
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(all.substr(all.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) usage.ticks += std::stol(field);  // utime, stime
  }
  return usage;
}

int runCtl(const char* profile) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(kCtl, kCtl, "profile", profile, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main() {
  const double started = nowMs();
  FakeKeyboard keyboard("Tarsil test keyboard", 0x1A2C);
  FakeKeyboard other("Other vendor keyboard", 0x046D);
  Reader own(keyboard.node());
  Reader otherOwn(other.node());
  check(!keyboard.node().empty() && !other.node().empty(), "uinput keyboards exist",
        keyboard.node() + " " + other.node());

  // A key held while the daemon starts: the keyboard is left to the system
  // until it is up, or its release would never reach the system.
  keyboard.key(KEY_X, 1);
  pid_t daemon = startDaemon();
  std::string virtualNode;
  check(waitFor([&] { return !(virtualNode = nodeNamed(kVirtualName)).empty(); }),
        "tarsild makes \"Tarsil virtual keyboard\"");
  auto virtualKeyboard = std::make_unique<Reader>(virtualNode);
  check(waitFor([&] { return holdsOpen(daemon, keyboard.node()); }),
        "tarsild finds the keyboard of vendor 1a2c");
  usleep(200000);
  check(seenOnItsOwnNode(keyboard, own), "a keyboard with a key held is not taken mid-press");
  keyboard.key(KEY_X, 0);
  check(waitFor([&] { return grabbed(keyboard, own, *virtualKeyboard); }),
        "once the key is up, tarsild takes the keyboard");
  check(holdsOpen(daemon, keyboard.node()) && !holdsOpen(daemon, other.node()),
        "the keyboard of another vendor is not taken");

  // Profile 1: A -> B, F1 -> Copy.
  virtualKeyboard->drain();
  keyboard.tap(KEY_A);
  auto got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_B, 1}, {KEY_B, 0}}), "A arrives as B", text(got));
  keyboard.key(KEY_A, 1);
  keyboard.key(KEY_A, 2);
  keyboard.key(KEY_A, 2);
  keyboard.key(KEY_A, 0);
  got = virtualKeyboard->keys(4);
  check(same(got, {{KEY_B, 1}, {KEY_B, 2}, {KEY_B, 2}, {KEY_B, 0}}), "auto-repeat of A repeats B",
        text(got));
  keyboard.key(KEY_F1, 1);
  got = virtualKeyboard->keys(2);
  keyboard.key(KEY_F1, 0);
  auto released = virtualKeyboard->keys(2);
  check(
      same(got, {{KEY_LEFTCTRL, 1}, {KEY_C, 1}}) && same(released, {{KEY_LEFTCTRL, 0}, {KEY_C, 0}}),
      "F1 plays Copy: Ctrl and C down, then up", text(got) + " / " + text(released));
  keyboard.key(KEY_LEFTCTRL, 1);
  keyboard.tap(KEY_F1);
  keyboard.key(KEY_LEFTCTRL, 0);
  got = virtualKeyboard->keys(5);
  check(
      same(got, {{KEY_LEFTCTRL, 1}, {KEY_LEFTCTRL, 2}, {KEY_C, 1}, {KEY_C, 0}, {KEY_LEFTCTRL, 0}}),
      "Copy while the user holds Ctrl leaves Ctrl to the user", text(got));
  keyboard.tap(KEY_Q);
  got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_Q, 1}, {KEY_Q, 0}}) && own.pending().empty(), "Q passes unchanged",
        text(got));
  virtualKeyboard->drain();
  other.tap(KEY_A);
  got = otherOwn.keys(2);
  check(same(got, {{KEY_A, 1}, {KEY_A, 0}}) && virtualKeyboard->pending().empty(),
        "A on the other vendor's keyboard passes untouched", text(got));

  // NumLock set by the desktop on the virtual keyboard lights the keyboard.
  {
    const int writer = open(virtualNode.c_str(), O_WRONLY);
    const input_event lamp[2] = {{{}, EV_LED, LED_NUML, 1}, {{}, EV_SYN, SYN_REPORT, 0}};
    const bool wrote = write(writer, lamp, sizeof(lamp)) == sizeof(lamp);
    close(writer);
    std::optional<int> lit;
    waitFor([&] { return (lit = keyboard.lamp(LED_NUML)).has_value(); }, 3000);
    check(wrote && lit == 1, "the NumLock lamp set on the virtual keyboard lights the keyboard");
  }

  // tarsilctl profile 2 writes [TYPE]; tarsild rereads set.ini at once.
  check(runCtl("2") == 0, "tarsilctl profile 2");
  check(waitFor(
            [&] {
              virtualKeyboard->drain();
              keyboard.tap(KEY_A);
              return same(virtualKeyboard->keys(2, 500), {{KEY_C, 1}, {KEY_C, 0}});
            },
            5000),
        "after tarsilctl profile 2, A arrives as C");

  // Profile keys: F2 goes to profile 3 (where A types itself) and there back
  // to 2; the key itself never arrives, and set.ini keeps each choice.
  {
    auto savedProfile = [] {
      std::ifstream file("/cfg/tarsil/set.ini");
      std::string line;
      while (std::getline(file, line)) {
        if (line.rfind("type=", 0) == 0) return line.substr(5, 1);
      }
      return std::string("?");
    };
    virtualKeyboard->drain();
    keyboard.tap(KEY_F2);
    keyboard.tap(KEY_A);
    got = virtualKeyboard->keys(2);
    check(same(got, {{KEY_A, 1}, {KEY_A, 0}}), "after the profile key F2, A types itself",
          text(got));
    bool saved = waitFor([&] { return savedProfile() == "3"; });
    check(saved, "and set.ini says type=3", savedProfile());
    keyboard.tap(KEY_F2);
    keyboard.tap(KEY_A);
    got = virtualKeyboard->keys(2);
    check(same(got, {{KEY_C, 1}, {KEY_C, 0}}), "F2 in profile 3 goes back: A arrives as C",
          text(got));
    saved = waitFor([&] { return savedProfile() == "2"; });
    check(saved, "and set.ini says type=2", savedProfile());
  }

  // Latency: what the daemon adds between a keyboard and the system.
  {
    const auto through = percentiles(latencies(keyboard, *virtualKeyboard, 500));
    const auto direct = percentiles(latencies(other, otherOwn, 500));
    std::printf(
        "latency through tarsild (us): p50 %.0f p99 %.0f; the kernel alone: p50 %.0f p99 %.0f; "
        "added: p50 %.0f p99 %.0f\n",
        through.p50, through.p99, direct.p50, direct.p99, through.p50 - direct.p50,
        through.p99 - direct.p99);
    const auto handOff = percentiles(handOffs(500));
    std::printf("latency of a hand-off to another process and back (us): p50 %.0f p99 %.0f\n",
                handOff.p50, handOff.p99);
  }

  // Idle: no key, no wake-up.
  {
    const Usage before = usageOf(daemon);
    sleep(2);
    const Usage after = usageOf(daemon);
    std::printf("idle 2 s: %ld context switches, %ld CPU ticks\n", after.switches - before.switches,
                after.ticks - before.ticks);
    check(after.switches == before.switches, "tarsild sleeps while no key is pressed");
  }

  // The keyboard goes while F1 is held: its keys come up, translation stops.
  virtualKeyboard->drain();
  keyboard.key(KEY_F1, 1);
  got = virtualKeyboard->keys(2);
  keyboard.destroy();
  released = virtualKeyboard->keys(2);
  check(
      same(got, {{KEY_LEFTCTRL, 1}, {KEY_C, 1}}) && same(released, {{KEY_LEFTCTRL, 0}, {KEY_C, 0}}),
      "unplugging the keyboard with F1 held releases Ctrl and C",
      text(got) + " / " + text(released));
  check(waitFor([] { return logText().find("translation is off") != std::string::npos; }),
        "unplugging the keyboard stops translation");

  // Plugged in again, it is translated again.
  keyboard.create();
  Reader ownAgain(keyboard.node());
  check(waitFor([&] { return grabbed(keyboard, ownAgain, *virtualKeyboard); }),
        "a keyboard plugged in later is taken");
  keyboard.tap(KEY_A);
  got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_C, 1}, {KEY_C, 0}}), "and translated", text(got));

  // kill -9: the kernel ends the grab with the process.
  kill(daemon, SIGKILL);
  waitpid(daemon, nullptr, 0);
  check(seenOnItsOwnNode(keyboard, ownAgain), "after kill -9 the keyboard is no longer taken");
  check(waitFor([] { return nodeNamed(kVirtualName).empty(); }),
        "and the virtual keyboard is gone");

  // SIGTERM: held keys come up, the keyboard is handed back.
  daemon = startDaemon();
  check(waitFor([&] { return !(virtualNode = nodeNamed(kVirtualName)).empty(); }),
        "tarsild starts again");
  virtualKeyboard = std::make_unique<Reader>(virtualNode);
  check(waitFor([&] { return grabbed(keyboard, ownAgain, *virtualKeyboard); }),
        "and takes the keyboard");
  keyboard.key(KEY_F1, 1);
  got = virtualKeyboard->keys(2);
  kill(daemon, SIGTERM);
  released = virtualKeyboard->keys(2);
  int status = -1;
  waitpid(daemon, &status, 0);
  check(
      same(got, {{KEY_LEFTCTRL, 1}, {KEY_C, 1}}) && same(released, {{KEY_LEFTCTRL, 0}, {KEY_C, 0}}),
      "SIGTERM with F1 held releases Ctrl and C", text(got) + " / " + text(released));
  check(WIFEXITED(status) && WEXITSTATUS(status) == 0, "and tarsild ends with exit code 0");
  keyboard.key(KEY_F1, 0);
  check(seenOnItsOwnNode(keyboard, ownAgain), "and hands the keyboard back");

  // --any-keyboard: the other vendor's keyboard is translated too.
  daemon = startDaemon("--any-keyboard");
  check(waitFor([&] { return !(virtualNode = nodeNamed(kVirtualName)).empty(); }),
        "tarsild --any-keyboard starts");
  virtualKeyboard = std::make_unique<Reader>(virtualNode);
  check(waitFor([&] { return grabbed(other, otherOwn, *virtualKeyboard); }),
        "and takes the other vendor's keyboard");
  other.tap(KEY_A);
  got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_C, 1}, {KEY_C, 0}}), "whose A arrives as C", text(got));
  kill(daemon, SIGTERM);
  waitpid(daemon, nullptr, 0);

  std::printf("probe time: %.1f s\n", (nowMs() - started) / 1e3);
  if (failures != 0) std::printf("--- tarsild's log ---\n%s---\n", logText().c_str());
  std::printf("TARSIL-VM: %s\n", failures == 0 ? "PASS" : "FAIL");
  return failures == 0 ? 0 : 1;
}
