#include "ui/main/win32/settings_file_watch.h"

bool SettingsFileWatch::start(HWND window, UINT message, const std::filesystem::path& folder) {
  stop();
  window_ = window;
  message_ = message;
  // A save replaces the file by renaming a new one over it: a name change.
  change_ = FindFirstChangeNotificationW(
      folder.c_str(), FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
  if (change_ == INVALID_HANDLE_VALUE) return false;
  if (!RegisterWaitForSingleObject(&wait_, change_, changed, this, INFINITE, WT_EXECUTEDEFAULT)) {
    wait_ = nullptr;
    stop();
    return false;
  }
  return true;
}

void SettingsFileWatch::stop() {
  if (wait_ != nullptr) {
    // Waits for a call of `changed` that is under way.
    UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
    wait_ = nullptr;
  }
  if (change_ != INVALID_HANDLE_VALUE) {
    FindCloseChangeNotification(change_);
    change_ = INVALID_HANDLE_VALUE;
  }
}

void CALLBACK SettingsFileWatch::changed(void* context, BOOLEAN) {
  auto* watch = static_cast<SettingsFileWatch*>(context);
  if (!watch->posted_.exchange(true)) PostMessageW(watch->window_, watch->message_, 0, 0);
  FindNextChangeNotification(watch->change_);
}
