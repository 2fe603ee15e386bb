#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>

// Tells a window that something changed in the folder of set.ini, so that
// the window can follow the file (KeyboardSession::followFile compares its
// content and ignores whatever else changed, its own saves included). A
// thread of the system's pool waits on the folder's change notification and
// posts the message; changes that come before the window has looked post
// it once.
class SettingsFileWatch {
 public:
  SettingsFileWatch() = default;
  ~SettingsFileWatch() { stop(); }
  SettingsFileWatch(const SettingsFileWatch&) = delete;
  SettingsFileWatch& operator=(const SettingsFileWatch&) = delete;

  // False when the folder cannot be watched (the saves still compare the
  // file before they write, so nothing is written over unread).
  bool start(HWND window, UINT message, const std::filesystem::path& folder);
  void stop();
  // The window is about to look: a change from now on posts again.
  void looking() { posted_ = false; }

 private:
  static void CALLBACK changed(void* watch, BOOLEAN timedOut);

  HANDLE change_ = INVALID_HANDLE_VALUE;
  HANDLE wait_ = nullptr;
  HWND window_ = nullptr;
  UINT message_ = 0;
  std::atomic<bool> posted_{false};
};
