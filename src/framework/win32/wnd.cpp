#include "framework/win32/wnd.h"

#include <commctrl.h>

namespace {

// The window property under which a window's object is found.
constexpr wchar_t kObjectProperty[] = L"Tarsil.CWnd";

}  // namespace

CWnd::~CWnd() { UnsubclassWindow(); }

CWnd* CWnd::FromHandle(HWND window) {
  return window != nullptr ? static_cast<CWnd*>(GetPropW(window, kObjectProperty)) : nullptr;
}

bool CWnd::SubclassWindow(HWND window) {
  if (window == nullptr || m_hWnd != nullptr || FromHandle(window) != nullptr) return false;
  m_hWnd = window;
  PreSubclassWindow();
  if (!SetPropW(window, kObjectProperty, this)) {
    m_hWnd = nullptr;
    return false;
  }
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
  return true;
}

bool CWnd::SubclassDlgItem(int id, const CWnd& parent) {
  return SubclassWindow(GetDlgItem(parent.m_hWnd, id));
}

HWND CWnd::UnsubclassWindow() {
  const HWND window = m_hWnd;
  if (window == nullptr) return nullptr;
  if (original_ != nullptr) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  }
  RemovePropW(window, kObjectProperty);
  original_ = nullptr;
  m_hWnd = nullptr;
  return window;
}

void CWnd::PreSubclassWindow() {}

bool CWnd::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CWnd::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CWnd::OnNcDestroy() {}

LRESULT CWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return original_ != nullptr ? CallWindowProcW(original_, m_hWnd, message, wParam, lParam)
                              : DefWindowProcW(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::reflectionTarget(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM:
      // wParam 0 is a menu item, which belongs to no control.
      return wParam != 0 ? FromHandle(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem)
                         : nullptr;
    case WM_COMMAND:
      return FromHandle(reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
      return FromHandle(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom);
    default:
      return nullptr;
  }
}

LRESULT CALLBACK CWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* self = FromHandle(window);
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  if (CWnd* child = reflectionTarget(message, wParam, lParam);
      child != nullptr && child != self &&
      child->OnReflectedMessage(message, wParam, lParam, result)) {
    return result;
  }
  if (message == WM_NCDESTROY) {
    // The window's last message: the object lets go of it before the
    // window's own procedure ends it.
    const WNDPROC original = self->original_;
    self->UnsubclassWindow();
    self->OnNcDestroy();
    return original != nullptr ? CallWindowProcW(original, window, message, wParam, lParam)
                               : DefWindowProcW(window, message, wParam, lParam);
  }
  if (self->OnMessage(message, wParam, lParam, result)) return result;
  return self->Default(message, wParam, lParam);
}
