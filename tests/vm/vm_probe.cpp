// Runs inside the test machine, as its only program besides tarsild: makes
// keyboards through uinput, types on them, and reads what the system gets
// from them and from "Tarsil virtual keyboard". Prints one line per check,
// the measured figures, and "TARSIL-VM: PASS" or "TARSIL-VM: FAIL" last.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/linux/translation_pause.h"
#include "confinement.h"
#include "load_probe.h"
#include "probe_support.h"

using namespace probe;

namespace {

// tarsild as its unit runs it, its standard error into the log.
pid_t startDaemon(const char* option = nullptr) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int log = open(kLog, O_WRONLY | O_CREAT | O_APPEND, 0644);
    dup2(log, 2);
    if (!confineLikeTheUnit()) _exit(126);
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

// A waited-for process's exit code; -1 when it did not end in `ms`.
int exitCodeWithin(pid_t pid, double ms) {
  int status = 0;
  const bool ended = waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, ms);
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Whether A, tapped until it does within `ms`, arrives as `code`.
bool tapArrivesAs(const FakeKeyboard& keyboard, Reader& virtualKeyboard, std::uint16_t code,
                  double ms = 5000) {
  return waitFor(
      [&] {
        virtualKeyboard.drain();
        keyboard.tap(KEY_A);
        return same(virtualKeyboard.keys(2, 300), {{code, 1}, {code, 0}});
      },
      ms);
}

std::string fileText(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream all;
  all << file.rdbuf();
  return all.str();
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

// A control connection that pauses and is then dropped without a word, as
// when the window crashes: -1 when tarsild did not say "paused".
int pauseByHand() {
  const auto path = tarsil::TranslationPause::socketPath();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (!path) return -1;
  std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path->c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  char answer[16] = {};
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      write(fd, "pause\n", 6) != 6 || read(fd, answer, sizeof(answer) - 1) != 7 ||
      std::string(answer) != "paused\n") {
    close(fd);
    return -1;
  }
  return fd;
}

// The window's pause: paused, a key of the keyboard arrives untranslated,
// a key held across the pause keeps its meaning, what plays stops; resumed
// or dropped, keys are translated again, and nothing is left down.
// Profile 1 is active: A -> B, F1 -> Copy, F6 plays "paced".
void pauseFromAWindow(const FakeKeyboard& keyboard, Reader& virtualKeyboard,
                      const std::string& virtualNode) {
  using namespace std::chrono_literals;
  virtualKeyboard.drain();
  keyboard.key(KEY_F1, 1);
  const auto held = virtualKeyboard.keys(2);
  std::string whyNot;
  const auto path = tarsil::TranslationPause::socketPath();
  std::optional<tarsil::TranslationPause> pause;
  if (path) pause = tarsil::TranslationPause::request(*path, 5s, &whyNot);
  check(pause.has_value() && logCount("translation paused by a control connection") == 1,
        "the window's pause reaches tarsild through its control socket", whyNot);
  keyboard.tap(KEY_A);
  keyboard.key(KEY_F1, 0);
  keyboard.tap(KEY_F6);
  auto got = virtualKeyboard.keys(8, 1000);
  check(same(held, {{KEY_LEFTCTRL, 1}, {KEY_C, 1}}) &&
            same(got,
                 {{KEY_A, 1}, {KEY_A, 0}, {KEY_LEFTCTRL, 0}, {KEY_C, 0}, {KEY_F6, 1}, {KEY_F6, 0}}),
        "paused, A and F6 arrive as they are, and Copy held across the pause lets go of its keys",
        text(held) + " / " + text(got));
  if (pause) pause->resume();
  check(tapArrivesAs(keyboard, virtualKeyboard, KEY_B, 0) && logCount("translation resumed") == 1,
        "resumed, A arrives as B again");

  // A pause while F6 plays stops it; a connection dropped resumes.
  keyboard.tap(KEY_F6);
  const auto first = virtualKeyboard.keys(1, 3000);
  const int dropped = pauseByHand();
  keyboard.tap(KEY_A);
  got = virtualKeyboard.keys(8, 600);  // "paced" would have ended by then
  if (!got.empty() && got.front().code == KEY_H) got.erase(got.begin());  // H up, if it came
  check(dropped >= 0 && same(first, {{KEY_H, 1}}) && same(got, {{KEY_A, 1}, {KEY_A, 0}}) &&
            keysDown(virtualNode).empty(),
        "a pause stops what plays and leaves nothing down; A arrives as A",
        text(first) + " / " + text(got));
  if (dropped >= 0) close(dropped);
  check(tapArrivesAs(keyboard, virtualKeyboard, KEY_B) && keysDown(virtualNode).empty(),
        "the pausing connection dropped, A arrives as B again, nothing left down");
}

}  // namespace

int main() {
  const double started = nowMs();
  muteConsoleKeyboard();
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
  const std::string gaps = confinementGaps(daemon);
  check(gaps.empty(),
        "tarsild runs as its unit confines it: no capabilities, no new privileges, no network, "
        "read-only files",
        gaps.empty() ? "" : "missing:" + gaps);
  // One daemon per user: a second one says so and ends.
  {
    const std::size_t told = logCount("already running");
    const int code = exitCodeWithin(startDaemon(), 10000);
    check(code == 1 && logCount("already running") == told + 1,
          "a second tarsild of the same user is refused, and says why",
          "exit code " + std::to_string(code));
  }
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
  // F6 plays "paced" once: H, J, K and L pressed and released with the
  // delays of a recording; each gap within 2 ms of its delay at the median.
  {
    keyboard.tap(KEY_F6);
    got = virtualKeyboard->keys(8, 3000);
    const double delays[] = {30, 45, 25, 60, 35, 50, 20};
    std::vector<double> errors;
    std::string measured;
    for (std::size_t k = 1; k < got.size() && k <= std::size(delays); ++k) {
      const double error = got[k].ms - got[k - 1].ms - delays[k - 1];
      errors.push_back(error < 0 ? -error : error);
      measured += (measured.empty() ? "" : " ") + std::to_string(error).substr(0, 5);
    }
    std::sort(errors.begin(), errors.end());
    const double median = errors.empty() ? 1e9 : errors[(errors.size() - 1) / 2];
    check(same(got, {{KEY_H, 1},
                     {KEY_H, 0},
                     {KEY_J, 1},
                     {KEY_J, 0},
                     {KEY_K, 1},
                     {KEY_K, 0},
                     {KEY_L, 1},
                     {KEY_L, 0}}) &&
              median <= 2,
          "F6 plays its sequence with the recorded delays, within 2 ms at the median",
          text(got) + "; gap minus delay (ms): " + measured + "; median error " +
              std::to_string(median).substr(0, 5));
  }
  pauseFromAWindow(keyboard, *virtualKeyboard, virtualNode);
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
  check(tapArrivesAs(keyboard, *virtualKeyboard, KEY_C),
        "after tarsilctl profile 2, A arrives as C");
  const std::string profile2 = fileText(kSettings);

  // Random bytes over set.ini are no settings: the ones in use stay. An
  // empty file means every key types itself.
  {
    const std::size_t kept = logCount("keeping the settings in use");
    std::mt19937 random(16);
    std::string noise(4096, '\0');
    for (char& byte : noise) byte = static_cast<char>(random());
    writeInPlace(kSettings, noise);
    check(waitFor([&] { return logCount("keeping the settings in use") > kept; }) &&
              tapArrivesAs(keyboard, *virtualKeyboard, KEY_C, 0),
          "random bytes over set.ini are refused: A still arrives as C");
    writeInPlace(kSettings, "");
    check(tapArrivesAs(keyboard, *virtualKeyboard, KEY_A), "an empty set.ini: A types itself");
    writeInPlace(kSettings, profile2);
    check(tapArrivesAs(keyboard, *virtualKeyboard, KEY_C), "set.ini back: A arrives as C");
  }

  // Profile keys: F2 goes to profile 3 (where A types itself) and there back
  // to 2; the key itself never arrives, and the A right behind it already
  // follows the new profile.
  virtualKeyboard->drain();
  keyboard.tap(KEY_F2);
  keyboard.tap(KEY_A);
  got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_A, 1}, {KEY_A, 0}}), "after the profile key F2, A types itself", text(got));
  keyboard.tap(KEY_F2);
  keyboard.tap(KEY_A);
  got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_C, 1}, {KEY_C, 0}}), "F2 in profile 3 goes back: A arrives as C",
        text(got));

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
    std::printf("idle 2 s: %ld context switches, %.1f ms of CPU time\n",
                after.switches - before.switches,
                static_cast<double>(after.cpuNs - before.cpuNs) / 1e6);
    check(after.switches == before.switches, "tarsild sleeps while no key is pressed");
  }

  // Load: reread storms, then the highest rate without loss.
  reloadStorm(keyboard, virtualNode);
  check(tapArrivesAs(keyboard, *virtualKeyboard, KEY_C),
        "after the storm, set.ini's last content is in use: A arrives as C");
  hangUpStorm(keyboard, virtualNode, daemon);
  losslessRates(keyboard, virtualNode, other, daemon);

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

  // Another program holds the keyboard when tarsild starts: tarsild takes
  // it once that program lets go, without a key being typed.
  ioctl(ownAgain.fd(), EVIOCGRAB, 1);
  const std::size_t taken = logCount("translating \"Tarsil test keyboard\"");
  daemon = startDaemon();
  check(waitFor([&] { return !(virtualNode = nodeNamed(kVirtualName)).empty(); }),
        "tarsild starts again");
  virtualKeyboard = std::make_unique<Reader>(virtualNode);
  check(waitFor([] { return logCount("another program holds it") > 0; }) &&
            seenOnItsOwnNode(keyboard, ownAgain),
        "while another program holds the keyboard, tarsild says so and leaves it");
  ioctl(ownAgain.fd(), EVIOCGRAB, 0);
  check(waitFor([&] { return logCount("translating \"Tarsil test keyboard\"") > taken; }),
        "once that program lets go, tarsild takes the keyboard");
  check(grabbed(keyboard, ownAgain, *virtualKeyboard), "and translates it");

  // SIGTERM: held keys come up, the keyboard is handed back.
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

  // --any-keyboard: the other vendor's keyboard is translated too. Not
  // open to tarsild at first, it is named with the udev rule that would
  // open it alone, and taken once access is granted.
  chmod(other.node().c_str(), 0);
  daemon = startDaemon("--any-keyboard");
  check(waitFor([&] { return !(virtualNode = nodeNamed(kVirtualName)).empty(); }),
        "tarsild --any-keyboard starts");
  virtualKeyboard = std::make_unique<Reader>(virtualNode);
  check(waitFor(
            [] { return logCount("ATTRS{id/vendor}==\"046d\", ATTRS{id/product}==\"0002\"") > 0; }),
        "a keyboard it may not open is named with the udev rule for it alone");
  chmod(other.node().c_str(), 0600);
  check(waitFor([&] { return grabbed(other, otherOwn, *virtualKeyboard); }),
        "once it may, tarsild takes the other vendor's keyboard");
  other.tap(KEY_A);
  got = virtualKeyboard->keys(2);
  check(same(got, {{KEY_C, 1}, {KEY_C, 0}}), "whose A arrives as C", text(got));
  kill(daemon, SIGTERM);
  waitpid(daemon, nullptr, 0);

  std::printf("probe time: %.1f s\n", (nowMs() - started) / 1e3);
  if (failures() != 0) std::printf("--- tarsild's log ---\n%s---\n", logText().c_str());
  std::printf("TARSIL-VM: %s\n", failures() == 0 ? "PASS" : "FAIL");
  return failures() == 0 ? 0 : 1;
}
