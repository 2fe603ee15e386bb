#include "ui/main/qt/settings_file_watch.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

// Long enough to take a save's rename and the folder's other changes as one.
constexpr int kSettleMilliseconds = 20;

}  // namespace

SettingsFileWatch::SettingsFileWatch() {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMilliseconds);
  QObject::connect(&settle_, &QTimer::timeout, [this] {
    watchFile();
    if (changed_) changed_();
  });
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, [this] { settle_.start(); });
  QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, [this] { settle_.start(); });
}

bool SettingsFileWatch::start(const std::filesystem::path& settings,
                              std::function<void()> changed) {
  changed_ = std::move(changed);
  file_ = QFile::decodeName(settings.c_str());
  const bool watching = watcher_.addPath(QFileInfo(file_).absolutePath());
  watchFile();
  return watching;
}

void SettingsFileWatch::watchFile() {
  // The watch may still be on the inode a save has replaced.
  if (watcher_.files().contains(file_)) watcher_.removePath(file_);
  if (QFileInfo::exists(file_)) watcher_.addPath(file_);
}
