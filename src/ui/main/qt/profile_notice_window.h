#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <filesystem>

#include "ui/main/profile_notice.h"

// The small skinned note near the tray that says which profile is active
// after a switch the user did not make in the window. It never takes the
// focus and goes by itself.
class ProfileNoticeWindow : public QWidget {
 public:
  ProfileNoticeWindow();

  // Loads the notice's pictures from `skinFolder`; without them, no notice
  // is shown (the tray still tells).
  void load(const std::filesystem::path& skinFolder);
  void showNotice(const tarsil::ProfileNotice& notice);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage mask_;
  QImage background_;
  QString headline_;
  QString detail_;
  QTimer hideTimer_;
  bool loaded_ = false;
};
