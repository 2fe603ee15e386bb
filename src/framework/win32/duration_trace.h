#pragma once

#include <chrono>

// Times a step that runs while a low-level keyboard hook is installed (key
// events wait meanwhile, and Windows removes a hook that keeps them waiting
// too long). At its end the time goes to the debugger's output, where a
// debug viewer, or Wine's +debugstr channel, shows it:
//   "Tarsil Software: <what> took 12.3 ms".
class DurationTrace {
 public:
  explicit DurationTrace(const char* what)
      : what_(what), started_(std::chrono::steady_clock::now()) {}
  ~DurationTrace();
  DurationTrace(const DurationTrace&) = delete;
  DurationTrace& operator=(const DurationTrace&) = delete;

 private:
  const char* what_;
  std::chrono::steady_clock::time_point started_;
};
