#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <functional>

// Tells the window that set.ini or its folder changed, so that the window
// can follow the file (KeyboardSession::followFile compares its content and
// ignores whatever else changed, its own saves included). A save that
// replaces the file shows as a change of the folder, a write into the file
// as a change of the file; a burst of either is told once.
class SettingsFileWatch {
 public:
  SettingsFileWatch();

  // False when the folder cannot be watched (the saves still compare the
  // file before they write, so nothing is written over unread).
  bool start(const std::filesystem::path& settings, std::function<void()> changed);

 private:
  // A file replaced by another is a new file to the system: it is watched
  // again whenever the folder changes.
  void watchFile();

  QFileSystemWatcher watcher_;
  QTimer settle_;
  QString file_;
  std::function<void()> changed_;
};
