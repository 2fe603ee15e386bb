#pragma once

#include <windows.h>

#include <array>

#include "framework/win32/button.h"
#include "ui/controls/bit_button_state.h"

// A skin button: an owner-drawn push button whose whole face is one of four
// pictures. Which one it shows is its BitButtonState's decision; this class
// feeds that state the mouse's events and paints the chosen face.
class BitmapButton : public CButton {
 public:
  // The button's state (owned by its dialog's model), and the four
  // whole-window pictures its faces are cut from at `area`, in the order
  // normal, hover, pressed, disabled.
  void setSkin(tarsil::BitButtonState& state, const std::array<HBITMAP, 4>& pictures, RECT area);

 protected:
  void PreSubclassWindow() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void DrawItem(const DRAWITEMSTRUCT& item);
  void repaint() { InvalidateRect(m_hWnd, nullptr, FALSE); }

  tarsil::BitButtonState* state_ = nullptr;
  std::array<HBITMAP, 4> pictures_{};
  RECT area_{};
};
