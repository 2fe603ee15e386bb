#pragma once

#include <optional>
#include <string>
#include <thread>

#include "session/keyboard_session.h"

namespace tarsil {

// Reads the layout and the settings on a thread of its own, at the lowest
// priority, so that no key ever waits for a file however large: the loop
// follows fd(), takes the result when it turns readable and swaps it in
// between two key events. Settings that were replaced are handed back to
// be freed on that thread too.
class SettingsReader {
 public:
  SettingsReader() = default;
  ~SettingsReader();
  SettingsReader(const SettingsReader&) = delete;
  SettingsReader& operator=(const SettingsReader&) = delete;

  bool open(std::string& error);
  // Readable once a read is done.
  int fd() const noexcept { return fd_; }

  // Begins a read; one at a time.
  void start(const SessionFiles& files, const SessionOptions& options);
  bool running() const noexcept { return thread_.joinable(); }

  struct Result {
    KeyboardSession session;  // running() false: nothing usable was read
    Notices notices;
  };
  // The read's result, once fd() is readable.
  Result take();

  // Settings no longer in use: freed at the next read, off the key path.
  void retire(KeyboardSession old) { retired_ = std::move(old); }

 private:
  int fd_ = -1;  // an eventfd
  std::thread thread_;
  Result result_;
  std::optional<KeyboardSession> retired_;
};

}  // namespace tarsil
