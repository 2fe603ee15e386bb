// How exactly the macro player keeps a macro's delays when a Linux loop
// drives it as tarsild does: the monotonic clock, a timerfd armed for the
// next step and a wait in epoll. Strokes are stamped as they are handed
// out (no device is written).
//
//   player_timing [STEPS] [SECONDS]
//
// 1. A sequence of STEPS steps (default 200) with delays of 1 to 60 ms: per
//    step, the gap to the step before minus its delay, as minimum, median,
//    99th percentile and maximum.
// 2. A toggle macro of four steps 20 ms apart repeating for SECONDS
//    (default 5): the CPU time the process used, as a share of one core.

#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/macro_player.h"
#include "timed_macros.h"

namespace tarsil {
namespace {

PlayerTime monotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<PlayerTime>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

double cpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](timeval t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

std::vector<PlayerTime> stamps;

void stamp(void*, const KeyStroke*, std::size_t count) {
  const PlayerTime now = monotonic();
  for (std::size_t i = 0; i < count; ++i) stamps.push_back(now);
}

// Runs the player until `until` (microseconds), sleeping in epoll on a
// timerfd armed for the next step.
void drive(MacroPlayer& player, int timer, int epoll, PlayerTime until) {
  const StrokeOutput output{stamp, nullptr};
  for (;;) {
    const PlayerTime now = monotonic();
    if (now >= until) return;
    const std::optional<PlayerTime> next = player.run(now, output);
    if (!next && player.playingCount() == 0) return;
    itimerspec due{};
    const PlayerTime at = std::min(next.value_or(until), until);
    due.it_value.tv_sec = at / 1'000'000;
    due.it_value.tv_nsec = at % 1'000'000 * 1000;
    timerfd_settime(timer, TFD_TIMER_ABSTIME, &due, nullptr);
    epoll_event event{};
    epoll_wait(epoll, &event, 1, -1);
    std::uint64_t expirations = 0;
    (void)::read(timer, &expirations, sizeof(expirations));
  }
}

int run(int steps, int seconds) {
  const int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  epoll_event watch{};
  watch.events = EPOLLIN;
  epoll_ctl(epoll, EPOLL_CTL_ADD, timer, &watch);

  auto library = std::make_shared<MacroLibrary>();
  const TimedMacro sequence = bench::pacedSequence(steps);
  library->profiles[0] = {sequence, bench::steadyToggle()};
  MacroPlayer player;
  const StrokeOutput output{stamp, nullptr};
  player.setLibrary(library, output);

  player.press({1, 0, 112, true}, monotonic(), output);
  drive(player, timer, epoll, monotonic() + 120'000'000);
  std::vector<double> errors;
  for (std::size_t k = 1; k < stamps.size(); ++k) {
    errors.push_back(static_cast<double>(stamps[k] - stamps[k - 1]) / 1000.0 -
                     sequence.steps[k].delayMs);
  }
  bench::printGapErrors(errors);

  stamps.clear();
  const double cpuBefore = cpuMs();
  const PlayerTime start = monotonic();
  player.press({1, 1, 113, true}, start, output);
  drive(player, timer, epoll, start + seconds * 1'000'000LL);
  player.stopAll(output);
  const double wall = static_cast<double>(monotonic() - start) / 1000.0;
  const double cpu = cpuMs() - cpuBefore;
  bench::printToggleCost(wall, stamps.size(), cpu);
  close(timer);
  close(epoll);
  return 0;
}

}  // namespace
}  // namespace tarsil

int main(int argc, char** argv) {
  const int steps = argc > 1 ? std::max(2, std::atoi(argv[1])) : 200;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  return tarsil::run(steps, seconds);
}
