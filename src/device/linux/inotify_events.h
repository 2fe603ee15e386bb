#pragma once

#include <errno.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <string_view>

namespace tarsil {

// Reads every event a non-blocking inotify descriptor holds and calls
// visit(event, name) for each; name is empty for the watched file itself.
template <typename Visit>
void forEachInotifyEvent(int fd, Visit&& visit) {
  alignas(inotify_event) std::array<char, 4096> buffer;
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      visit(*event, event->len > 0 ? std::string_view(event->name) : std::string_view());
    }
  }
}

}  // namespace tarsil
