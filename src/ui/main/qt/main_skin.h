#pragma once

#include <QImage>
#include <QRegion>
#include <QString>

#include <array>
#include <filesystem>

#include "ui/main/keyboard_view.h"

// The main window's four pictures from the skin folder: the three states a
// part of the keyboard is drawn in, and the mask that gives the window its
// size and outline.
class MainSkin {
 public:
  // Loads main_mask.bmp, main_normal.bmp, main_over.bmp and main_down.bmp
  // from `skinFolder`. On failure, returns a sentence for the user that
  // names the file; the skin is then unusable.
  QString load(const std::filesystem::path& skinFolder);

  QSize size() const { return mask_.size(); }
  const QImage& picture(tarsil::SlotState state) const {
    return pictures_[static_cast<std::size_t>(state)];
  }
  QRegion outline() const;

 private:
  QImage mask_;
  std::array<QImage, 3> pictures_;  // by SlotState
};

// The window's picture as it is shown. The view's copies land here, and the
// window repaints the parts they covered: Qt paints only in a paint event,
// where Windows lets the view draw on the window at once.
class SkinFrame : public tarsil::SkinCanvas {
 public:
  explicit SkinFrame(const MainSkin& skin) : skin_(skin) {}

  // A frame of the skin's size, not yet drawn.
  void resize();
  void copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) override;
  // What the copies since the last call covered.
  QRegion takeChanged();
  const QImage& image() const { return frame_; }

 private:
  const MainSkin& skin_;
  QImage frame_;
  QRegion changed_;
};
