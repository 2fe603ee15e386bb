#pragma once

// tarsild under load: key taps played fast, or while set.ini is rewritten or
// SIGHUP sent without pause, counted where the system receives them.

#include <sys/types.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>

#include "probe_support.h"

namespace probe {

// Counts, on a thread of its own, the key presses and releases that arrive
// on a node: what a program reading that node as fast as it can gets.
class TapCounter {
 public:
  explicit TapCounter(const std::string& node);
  ~TapCounter();
  TapCounter(const TapCounter&) = delete;
  TapCounter& operator=(const TapCounter&) = delete;

  struct Counts {
    std::array<long, KEY_CNT> presses{};
    std::array<long, KEY_CNT> releases{};
    long dropped = 0;  // SYN_DROPPED: the kernel dropped events for this reader
    long allPresses() const;
    long allReleases() const;
  };
  // Once the node has been quiet for `quietMs`: stops and tells what came.
  Counts finish(double quietMs = 150);

 private:
  void run();

  Reader reader_;
  Counts counts_;
  std::atomic<bool> finishing_{false};
  double quietMs_ = 0;
  std::thread thread_;
};

// Taps `code` `taps` times at `perSecond`, `burst` taps written back to back
// at a time, every press and release a report of its own. The rate
// achieved, in taps per second.
double playTaps(const FakeKeyboard& keyboard, std::uint16_t code, int taps, double perSecond,
                int burst);

// While 3,000 taps of A are played over 10 s, set.ini (as the program
// saves it: every key of every profile) is written over in place every
// 2 ms, switching between profile 1 (A is B) and profile 2 (A is C), and
// ends on profile 2: every tap arrives translated (never as A, which a
// half-written file would give), none is lost, no key stays down.
void reloadStorm(const FakeKeyboard& keyboard, const std::string& virtualNode);

// SIGHUP every 0.2 ms for 3 s while 1,000 taps are played.
void hangUpStorm(const FakeKeyboard& keyboard, const std::string& virtualNode, pid_t daemon);

// The highest rate of taps that arrives whole through tarsild (keyboard to
// the virtual keyboard) and read directly from another keyboard's node, on
// the same ladder of rates; and tarsild's CPU time per tap.
void losslessRates(const FakeKeyboard& keyboard, const std::string& virtualNode,
                   const FakeKeyboard& other, pid_t daemon);

}  // namespace probe
