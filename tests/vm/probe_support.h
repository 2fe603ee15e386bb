#pragma once

// What the probe in the test machine types with and reads from: keyboards
// made through uinput, readers of event nodes, the daemon's log, and the
// one-line checks it prints.

#include <linux/input.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace probe {

inline constexpr const char* kDaemon = "/bin/tarsild";
inline constexpr const char* kCtl = "/bin/tarsilctl";
inline constexpr const char* kLog = "/tmp/tarsild.log";
inline constexpr const char* kSettings = "/cfg/tarsil/set.ini";
inline constexpr const char* kVirtualName = "Tarsil virtual keyboard";

// Prints "ok - what" or "not ok - what: detail" and counts failures.
void check(bool ok, const std::string& what, const std::string& detail = "");
int failures();

double nowMs();
void sleepMs(double ms);

// Polls `done` every few milliseconds until it holds or `ms` pass.
template <typename Done>
bool waitFor(Done done, double ms = 10000) {
  const double end = nowMs() + ms;
  while (!done()) {
    if (nowMs() > end) return false;
    sleepMs(5);
  }
  return true;
}

// The event node of the input device of that name; empty when none.
std::string nodeNamed(const std::string& name);

// A keyboard made through uinput: USB, with the vendor asked for.
class FakeKeyboard {
 public:
  FakeKeyboard(const char* name, std::uint16_t vendor);
  ~FakeKeyboard();
  FakeKeyboard(const FakeKeyboard&) = delete;
  FakeKeyboard& operator=(const FakeKeyboard&) = delete;

  void create();
  void destroy();

  // One report, as a keyboard sends it: the key and SYN_REPORT in one write.
  void key(std::uint16_t code, std::int32_t value) const;
  void tap(std::uint16_t code) const {
    key(code, 1);
    key(code, 0);
  }
  // The lamp the system last set on this keyboard, if it set one since.
  std::optional<int> lamp(std::uint16_t which) const;
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
  explicit Reader(const std::string& node);
  ~Reader();
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  struct Key {
    std::uint16_t code;
    std::int32_t value;
    double ms;
  };
  // The key events that arrive within `ms`, until `count` of them came.
  std::vector<Key> keys(std::size_t count, double ms = 5000);
  // Every key event already waiting.
  std::vector<Key> pending() { return keys(1000, 0); }
  void drain() { pending(); }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

std::string text(const std::vector<Reader::Key>& keys);
bool same(const std::vector<Reader::Key>& keys,
          const std::vector<std::pair<std::uint16_t, std::int32_t>>& expected);

// The keys a node's device reports down now.
std::vector<std::uint16_t> keysDown(const std::string& node);

std::string logText();
// How often `text` occurs in the daemon's log.
std::size_t logCount(const std::string& text);

// CPU time a process's main thread has used, in nanoseconds, and its
// context switches.
struct Usage {
  long switches = 0;
  long long cpuNs = 0;
};
Usage usageOf(pid_t pid);

// Keeps the console from reading the keyboards, as a graphical desktop
// does with its own (KDSKBMODE K_OFF): typed keys then pile up in no
// terminal, and only the programs reading event nodes get them.
void muteConsoleKeyboard();

// Writes `content` over `path` in place, as an editor that saves into the
// file does (truncated, then written).
bool writeInPlace(const char* path, const std::string& content);

}  // namespace probe
