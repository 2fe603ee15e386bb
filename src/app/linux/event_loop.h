#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace tarsil {

// The daemon's one wait (epoll): every source it follows is a descriptor,
// with a name and what to do when it turns readable. A keyboard, a signal, a
// timer, a folder watch and a socket are all one add() each, and the wait
// wakes for nothing else: no timeout, no polling.
//
// Handlers run on the loop's thread one after another, so what one of them
// swaps (the settings, a device) is swapped between two events. A handler
// may add or remove sources, itself included: an event of a source removed
// earlier in the same wake-up is dropped, even if its descriptor number was
// used again meanwhile.
class EventLoop {
 public:
  using Handler = std::function<void()>;

  EventLoop();
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  bool open(std::string& error);

  // Follows `fd` (level-triggered: a handler reads what is waiting, or it
  // runs again at once) until remove(fd). False, with the reason naming the
  // source ("the settings folder"), when the kernel refuses.
  bool add(int fd, const std::string& name, Handler onReadable, std::string& error);
  void remove(int fd) noexcept;

  // Waits and runs handlers until stop(); false, with the reason, when the
  // wait itself failed.
  bool run(std::string& error);
  void stop() noexcept { running_ = false; }

 private:
  struct Source {
    int fd = -1;  // -1: removed, to be forgotten after the wake-up
    Handler onReadable;
  };

  int epoll_ = -1;
  std::map<std::uint64_t, Source> sources_;  // by the key epoll hands back
  std::uint64_t nextKey_ = 1;
  bool removed_ = false;
  bool running_ = false;
};

// A timer on the monotonic clock that the loop follows like any source
// (timerfd). Its handler calls acknowledge() first.
class Timer {
 public:
  using Clock = std::chrono::steady_clock;

  Timer() = default;
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  bool open(std::string& error);
  int fd() const noexcept { return fd_; }

  // Fires once at `when` (at once if that is past), in place of any earlier
  // arming.
  void fireAt(Clock::time_point when) noexcept;
  // Fires every `period` from now on.
  void fireEvery(Clock::duration period) noexcept;
  void disarm() noexcept;
  bool armed() const noexcept { return armed_; }
  // Takes the expiry the descriptor holds; a one-shot timer is then unarmed.
  void acknowledge() noexcept;

 private:
  void set(Clock::duration first, Clock::duration period, bool absolute) noexcept;

  int fd_ = -1;
  bool armed_ = false;
  bool periodic_ = false;
};

}  // namespace tarsil
