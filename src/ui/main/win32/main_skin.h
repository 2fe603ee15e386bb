#pragma once

#include <windows.h>

#include <array>
#include <filesystem>
#include <string>

#include "framework/win32/bitmap.h"
#include "ui/main/keyboard_view.h"

// The main window's four pictures from the skin folder: the three states a
// part of the keyboard is drawn in, and the mask that gives the window its
// size and outline.
class MainSkin {
 public:
  // Loads skin\main_mask.bmp, main_normal.bmp, main_over.bmp and
  // main_down.bmp from `folder`. On failure, returns a sentence for the user
  // that names the file; the skin is then unusable.
  std::wstring load(const std::filesystem::path& folder);

  SIZE size() const { return mask_.GetSize(); }
  HBITMAP picture(tarsil::SlotState state) const {
    return pictures_[static_cast<std::size_t>(state)].handle();
  }
  // The window's outline from the mask, as one region; null if the mask's
  // pixels cannot be read.
  HRGN createOutline() const;

 private:
  CBitmap mask_;
  std::array<CBitmap, 3> pictures_;  // by SlotState
};

// Paints the view's copies on one device context: each copies the same
// rectangle of a state picture onto it.
class SkinPainter : public tarsil::SkinCanvas {
 public:
  SkinPainter(const MainSkin& skin, HDC target) : skin_(skin), target_(target) {}
  void copyPicture(tarsil::SlotState picture, const tarsil::SlotRect& area) override;

 private:
  const MainSkin& skin_;
  HDC target_;
};
