#include "ui/controls/win32/bitmap_button.h"

#include <windowsx.h>

#include "framework/win32/gdi.h"

namespace {

// The hover report comes as soon as the pointer rests.
constexpr DWORD kHoverTime = 1;  // millisecond

}  // namespace

void BitmapButton::setSkin(tarsil::BitButtonState& state, const std::array<HBITMAP, 4>& pictures,
                           RECT area) {
  state_ = &state;
  pictures_ = pictures;
  area_ = area;
  if (m_hWnd != nullptr) repaint();
}

void BitmapButton::PreSubclassWindow() {
  // Whatever push-button style the template gave it, the button draws itself.
  const LONG_PTR style = GetWindowLongPtrW(m_hWnd, GWL_STYLE);
  SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | BS_OWNERDRAW);
}

bool BitmapButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (state_ == nullptr) return false;
  switch (message) {
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, kHoverTime};
      state_->mouseMove(TrackMouseEvent(&track) != FALSE);
      return false;
    }
    case WM_MOUSEHOVER:
      state_->mouseHover();
      repaint();
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      state_->mouseLeave();
      repaint();
      result = 0;
      return true;
    case WM_LBUTTONDOWN:
      state_->buttonDown();
      repaint();
      return false;
    case WM_LBUTTONUP: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(m_hWnd, &at);
      state_->buttonUp(WindowFromPoint(at) == m_hWnd);
      repaint();
      // The default handling sends the click to the dialog, which may
      // change the state again.
      result = Default(message, wParam, lParam);
      return true;
    }
    default:
      return false;
  }
}

bool BitmapButton::OnReflectedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  if (message != WM_DRAWITEM) return false;
  DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  result = TRUE;
  return true;
}

void BitmapButton::DrawItem(const DRAWITEMSTRUCT& item) {
  if (state_ == nullptr) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const tarsil::ButtonFace face = state_->face((item.itemState & ODS_DISABLED) != 0);
  const HBITMAP picture = pictures_[static_cast<std::size_t>(face)];
  if (picture == nullptr) return;
  MemoryDC source(item.hDC);
  SelectedObject selected(source.get(), picture);
  BitBlt(item.hDC, 0, 0, client.right, client.bottom, source.get(), area_.left, area_.top, SRCCOPY);
}
