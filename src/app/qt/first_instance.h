#pragma once

#include <QLocalServer>
#include <QString>

#include <functional>

// One window program per user: the first start listens on a socket in the
// user's runtime folder, and a second start reaches it there, asks it to
// show its window (unless it was started for the tray) and ends.
class FirstInstance {
 public:
  // True when a first instance answered at `socketPath`; it was asked to
  // show its window when `showWindow`.
  static bool reach(const QString& socketPath, bool showWindow);

  // Listens at `socketPath`; `show` runs for every later start that asks.
  // False when the socket cannot be made: later starts then run on their own.
  bool listen(const QString& socketPath, std::function<void()> show);

 private:
  QLocalServer server_;
  std::function<void()> show_;
};
