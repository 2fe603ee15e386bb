#include "ui/skin/win32/skinned_dialog.h"

#include "ui/skin/win32/skin_pictures.h"

bool SkinnedDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NCHITTEST:
      result = Default(message, wParam, lParam);
      if (result == HTCLIENT) result = HTCAPTION;
      return true;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(m_hWnd, &client);
      copyPictureArea(reinterpret_cast<HDC>(wParam), backgroundPicture(), 0, 0, client.right,
                      client.bottom);
      result = 1;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      // List views keep colours of their own; everything else that asks is
      // a field of the skin (an edit box, a drop-down list and its parts).
      if (!fieldBrush_) fieldBrush_.reset(CreateSolidBrush(kFieldPaper));
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kFieldInk);
      SetBkColor(dc, kFieldPaper);
      result = reinterpret_cast<LRESULT>(fieldBrush_.get());
      return true;
    }
    default:
      return CDialog::OnMessage(message, wParam, lParam, result);
  }
}
