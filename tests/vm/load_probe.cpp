#include "load_probe.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace probe {
namespace {

timespec at(double ms) {
  timespec time{};
  time.tv_sec = static_cast<time_t>(ms / 1e3);
  time.tv_nsec = static_cast<long>((ms - static_cast<double>(time.tv_sec) * 1e3) * 1e6);
  return time;
}

void sleepUntil(double ms) {
  const timespec until = at(ms);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

// Runs `step` in a child every `everyMs` for `seconds`; the child's count of
// steps comes back through a pipe when it ends. Made before any thread of
// the probe's starts, so the child is a plain copy.
struct Child {
  pid_t pid = -1;
  int count = -1;
};

template <typename Step>
Child startChild(double everyMs, double seconds, Step step) {
  Child child;
  child.count = -1;
  int channel[2];
  if (pipe(channel) != 0) return child;
  child.pid = fork();
  if (child.pid == 0) {
    close(channel[0]);
    const double start = nowMs();
    int steps = 0;
    for (double next = start; nowMs() - start < seconds * 1e3; next += everyMs) {
      step(steps++);
      sleepUntil(next + everyMs);
    }
    if (write(channel[1], &steps, sizeof(steps)) != sizeof(steps)) _exit(1);
    _exit(0);
  }
  close(channel[1]);
  child.count = channel[0];  // the read end, until the child is waited for
  return child;
}

int waitChild(Child& child) {
  int steps = -1;
  if (read(child.count, &steps, sizeof(steps)) != sizeof(steps)) steps = -1;
  close(child.count);
  waitpid(child.pid, nullptr, 0);
  return steps;
}

// set.ini as the program saves it, every key of every profile written out
// (about 25 KB): profiles 1 and 2 give A the meaning B and C and F1 Copy,
// as the test's own set.ini does; `active` is the active profile.
std::string settingsAsSaved(char active) {
  std::vector<int> codes = {8, 9, 13, 16, 17, 18, 19, 20, 27, 44, 45, 46, 91, 92, 93, 144, 145};
  for (int code = 32; code <= 40; ++code) codes.push_back(code);
  for (int code = 48; code <= 57; ++code) codes.push_back(code);
  for (int code = 65; code <= 90; ++code) codes.push_back(code);
  for (int code = 96; code <= 123; ++code) codes.push_back(code);
  for (int code = 186; code <= 192; ++code) codes.push_back(code);
  for (int code = 219; code <= 222; ++code) codes.push_back(code);
  std::string text = std::string("[TYPE]\r\ntype=") + active + "\r\n";
  for (int profile = 1; profile <= 3; ++profile) {
    text += "[Profile" + std::to_string(profile) + "]\r\n";
    for (const int code : codes) {
      const std::string key = std::to_string(code);
      if (code == 112 && profile < 3) {
        text += "IndexPic112=3\r\nMacroIndex112=0\r\nSetName112=Copy\r\n";
        continue;
      }
      const int to = code == 'A' && profile < 3 ? 'A' + profile : code;
      const std::string name =
          to >= 'A' && to <= 'Z' ? std::string(1, static_cast<char>(to)) : std::to_string(to);
      text += "IndexPic" + key + "=0\r\nMacroIndex" + key + "=0\r\nSetName" + key + "=" + name +
              "\r\nKey" + key + "=" + std::to_string(to) + "\r\n";
    }
  }
  return text;
}

std::string tapFigures(const TapCounter::Counts& counts, long taps) {
  char line[200];
  std::snprintf(line, sizeof(line),
                "presses %ld/%ld, releases %ld/%ld (as B %ld, as C %ld, as A %ld), "
                "dropped by the reader %ld",
                counts.allPresses(), taps, counts.allReleases(), taps, counts.presses[KEY_B],
                counts.presses[KEY_C], counts.presses[KEY_A], counts.dropped);
  return line;
}

// Every tap arrived, each as one of the profile's keys and never as A.
bool wholeAndTranslated(const TapCounter::Counts& counts, long taps) {
  return counts.presses[KEY_B] + counts.presses[KEY_C] == taps &&
         counts.releases[KEY_B] + counts.releases[KEY_C] == taps && counts.allPresses() == taps &&
         counts.allReleases() == taps;
}

double threadCpuUs() {
  timespec used{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
  return static_cast<double>(used.tv_sec) * 1e6 + static_cast<double>(used.tv_nsec) / 1e3;
}

}  // namespace

TapCounter::TapCounter(const std::string& node) : reader_(node), thread_([this] { run(); }) {}

TapCounter::~TapCounter() {
  if (thread_.joinable()) finish(0);
}

long TapCounter::Counts::allPresses() const {
  return std::accumulate(presses.begin(), presses.end(), 0L);
}

long TapCounter::Counts::allReleases() const {
  return std::accumulate(releases.begin(), releases.end(), 0L);
}

TapCounter::Counts TapCounter::finish(double quietMs) {
  quietMs_ = quietMs;
  finishing_ = true;
  thread_.join();
  return counts_;
}

void TapCounter::run() {
  std::array<input_event, 64> events;
  double lastEvent = nowMs();
  for (;;) {
    pollfd ready{reader_.fd(), POLLIN, 0};
    if (poll(&ready, 1, 20) > 0) {
      const ssize_t got = read(reader_.fd(), events.data(), sizeof(events));
      for (ssize_t i = 0; i < got / static_cast<ssize_t>(sizeof(input_event)); ++i) {
        const input_event& event = events[static_cast<std::size_t>(i)];
        if (event.type == EV_SYN && event.code == SYN_DROPPED) ++counts_.dropped;
        if (event.type != EV_KEY || event.code >= KEY_CNT) continue;
        if (event.value == 1) ++counts_.presses[event.code];
        if (event.value == 0) ++counts_.releases[event.code];
      }
      if (got > 0) lastEvent = nowMs();
    }
    if (finishing_ && nowMs() - lastEvent >= quietMs_) return;
  }
}

double playTaps(const FakeKeyboard& keyboard, std::uint16_t code, int taps, double perSecond,
                int burst) {
  const double start = nowMs();
  const double everyMs = 1e3 * burst / perSecond;
  double next = start;
  for (int played = 0; played < taps; next += everyMs) {
    for (int i = 0; i < burst && played < taps; ++i, ++played) keyboard.tap(code);
    // Late (the machine was busy, or the host stopped it for a while): the
    // taps due meanwhile are not written in one rush, which no keyboard
    // does; the rate achieved is what counts.
    next = std::max(next, nowMs());
    sleepUntil(next + everyMs);
  }
  return taps * 1e3 / (nowMs() - start);
}

void reloadStorm(const FakeKeyboard& keyboard, const std::string& virtualNode) {
  constexpr int kTaps = 3000;
  const std::string contents[] = {settingsAsSaved('1'), settingsAsSaved('2')};
  Child rewriter =
      startChild(2, 10, [&](int step) { writeInPlace(kSettings, contents[step % 2]); });
  // The last word is profile 2's, whatever step the storm ended on.
  TapCounter counter(virtualNode);
  const double start = nowMs();
  const std::size_t reads = logCount("reread ");
  playTaps(keyboard, KEY_A, kTaps, kTaps / 10.0, 1);
  const int rewrites = waitChild(rewriter);
  writeInPlace(kSettings, contents[1]);
  const TapCounter::Counts counts = counter.finish();
  std::printf(
      "reload storm: set.ini written over %d times in %.1f s while %d taps of A were "
      "played, reread %zu times; %s\n",
      rewrites, (nowMs() - start) / 1e3, kTaps, logCount("reread ") - reads,
      tapFigures(counts, kTaps).c_str());
  check(wholeAndTranslated(counts, kTaps),
        "set.ini rewritten every 2 ms: every tap arrives, translated");
  // A read at most every half second while the storm lasts, not one per
  // rewrite: the keys never wait behind them.
  const std::size_t taken = logCount("reread ") - reads;
  check(taken < 100, "and the rewrites are read a few times, not each",
        std::to_string(taken) + " rereads");
  const auto down = keysDown(virtualNode);
  check(down.empty(), "and no key stays down", std::to_string(down.size()) + " keys down");
}

void hangUpStorm(const FakeKeyboard& keyboard, const std::string& virtualNode, pid_t daemon) {
  constexpr int kTaps = 1000;
  Child sender = startChild(0.2, 3, [daemon](int) { kill(daemon, SIGHUP); });
  TapCounter counter(virtualNode);
  const std::size_t reads = logCount("reread ");
  playTaps(keyboard, KEY_A, kTaps, kTaps / 3.0, 1);
  const int signals = waitChild(sender);
  const TapCounter::Counts counts = counter.finish();
  std::printf(
      "SIGHUP storm: %d signals in 3 s while %d taps of A were played, set.ini reread "
      "%zu times; %s\n",
      signals, kTaps, logCount("reread ") - reads, tapFigures(counts, kTaps).c_str());
  check(wholeAndTranslated(counts, kTaps), "SIGHUP every 0.2 ms: every tap arrives, translated");
  check(keysDown(virtualNode).empty(), "and no key stays down");
}

void losslessRates(const FakeKeyboard& keyboard, const std::string& virtualNode,
                   const FakeKeyboard& other, pid_t daemon) {
  // Bursts of 4 taps: 16 events, a quarter of what an event node buffers
  // for a reader, so a reader that keeps up never loses a burst.
  constexpr int kBurst = 4;
  constexpr double kRates[] = {1000, 1500, 2250, 3400, 5000, 7500, 11000, 17000, 25000, 38000};
  struct Path {
    const char* name;
    const FakeKeyboard& keyboard;
    std::string node;
    double best = 0;
    bool lost = false;
    double playerUs = 0;  // the player's own CPU time, writing the taps
    long playerTaps = 0;
  };
  Path paths[] = {{"through tarsild", keyboard, virtualNode},
                  {"read directly", other, other.node()}};
  Usage daemonUse;
  long daemonTaps = 0;
  // Rate by rate, the two paths one after the other: whatever else the
  // machine does meanwhile weighs on both alike.
  for (const double rate : kRates) {
    for (Path& path : paths) {
      if (path.lost) continue;
      const int taps = std::max(250, static_cast<int>(rate / 5));
      const Usage before = usageOf(daemon);
      TapCounter counter(path.node);
      const double playerBefore = threadCpuUs();
      const double achieved = playTaps(path.keyboard, KEY_A, taps, rate, kBurst);
      path.playerUs += threadCpuUs() - playerBefore;
      path.playerTaps += taps;
      const TapCounter::Counts counts = counter.finish(100);
      if (counts.allPresses() != taps || counts.allReleases() != taps) {
        path.lost = true;
        std::printf(
            "  at %.0f taps/s %s, %ld of %d presses were lost (%ld dropped by the "
            "reader)\n",
            achieved, path.name, taps - counts.allPresses(), taps, counts.dropped);
        continue;
      }
      path.best = achieved;
      if (&path == &paths[0]) {
        const Usage after = usageOf(daemon);
        daemonUse.cpuNs += after.cpuNs - before.cpuNs;
        daemonUse.switches += after.switches - before.switches;
        daemonTaps += taps;
      }
    }
    if (paths[0].lost && paths[1].lost) break;
  }
  std::printf(
      "highest lossless rate (taps/s, bursts of %d): through tarsild %.0f, read directly "
      "%.0f\n",
      kBurst, paths[0].best, paths[1].best);
  if (daemonTaps > 0) {
    std::printf(
        "tarsild per tap (press and release) up to that rate: %.1f us of CPU time, %.1f "
        "context switches; writing a tap into a uinput keyboard costs its writer %.1f us\n",
        static_cast<double>(daemonUse.cpuNs) / 1e3 / static_cast<double>(daemonTaps),
        static_cast<double>(daemonUse.switches) / static_cast<double>(daemonTaps),
        paths[1].playerUs / static_cast<double>(std::max(1L, paths[1].playerTaps)));
  }
}

}  // namespace probe
