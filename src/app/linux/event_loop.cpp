#include "app/linux/event_loop.h"

#include <errno.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace tarsil {
namespace {

timespec timespecOf(Timer::Clock::duration duration) {
  const auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count();
  timespec time{};
  time.tv_sec = static_cast<time_t>(nanos / 1'000'000'000);
  time.tv_nsec = static_cast<long>(nanos % 1'000'000'000);
  return time;
}

}  // namespace

EventLoop::EventLoop() = default;

EventLoop::~EventLoop() {
  if (epoll_ >= 0) ::close(epoll_);
}

bool EventLoop::open(std::string& error) {
  epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
  if (epoll_ < 0) error = std::string("cannot wait for events: ") + std::strerror(errno);
  return epoll_ >= 0;
}

bool EventLoop::add(int fd, const std::string& name, Handler onReadable, std::string& error) {
  const std::uint64_t key = nextKey_++;
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = key;
  if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &event) != 0) {
    error = "cannot follow " + name + ": " + std::strerror(errno);
    return false;
  }
  sources_.emplace(key, Source{fd, std::move(onReadable)});
  return true;
}

void EventLoop::remove(int fd) noexcept {
  const auto found = std::find_if(sources_.begin(), sources_.end(),
                                  [fd](const auto& entry) { return entry.second.fd == fd; });
  if (found == sources_.end()) return;
  ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
  // Forgotten after the wake-up: its handler may be the one running.
  found->second.fd = -1;
  removed_ = true;
}

bool EventLoop::run(std::string& error) {
  std::array<epoll_event, 16> events;
  running_ = true;
  while (running_) {
    const int count = ::epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), -1);
    if (count < 0) {
      if (errno == EINTR) continue;
      error = std::string("waiting for events failed: ") + std::strerror(errno);
      return false;
    }
    for (int i = 0; i < count && running_; ++i) {
      const auto found = sources_.find(events[static_cast<std::size_t>(i)].data.u64);
      if (found == sources_.end() || found->second.fd < 0) continue;  // removed meanwhile
      found->second.onReadable();
    }
    if (removed_) {
      std::erase_if(sources_, [](const auto& entry) { return entry.second.fd < 0; });
      removed_ = false;
    }
  }
  return true;
}

Timer::~Timer() {
  if (fd_ >= 0) ::close(fd_);
}

bool Timer::open(std::string& error) {
  fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (fd_ < 0) error = std::string("cannot make a timer: ") + std::strerror(errno);
  return fd_ >= 0;
}

void Timer::fireAt(Clock::time_point when) noexcept {
  // steady_clock is CLOCK_MONOTONIC: its time points are the timer's.
  // Zero would disarm it; a time in the past fires at once.
  set(std::max(when.time_since_epoch(), Clock::duration(1)), {}, true);
}

void Timer::fireEvery(Clock::duration period) noexcept { set(period, period, false); }

void Timer::disarm() noexcept { set({}, {}, false); }

void Timer::set(Clock::duration first, Clock::duration period, bool absolute) noexcept {
  itimerspec spec{};
  spec.it_value = timespecOf(first);
  spec.it_interval = timespecOf(period);
  ::timerfd_settime(fd_, absolute ? TFD_TIMER_ABSTIME : 0, &spec, nullptr);
  armed_ = first != Clock::duration::zero();
  periodic_ = period != Clock::duration::zero();
}

void Timer::acknowledge() noexcept {
  std::uint64_t expiries = 0;
  while (::read(fd_, &expiries, sizeof(expiries)) < 0 && errno == EINTR) {
  }
  if (!periodic_) armed_ = false;
}

}  // namespace tarsil
