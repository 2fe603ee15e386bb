#include "framework/win32/dialog.h"

#include "framework/win32/win_app.h"

CDialog::CDialog(UINT templateId, CDialog* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  CWinApp* app = CWinApp::Current();
  const HINSTANCE instance = app ? app->instance() : GetModuleHandleW(nullptr);
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId_),
                         parent_ ? parent_->m_hWnd : nullptr, &CDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CDialog::OnDestroyed() {}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->m_hWnd = window;
  } else {
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (self == nullptr) return FALSE;

  if (message == WM_INITDIALOG) return self->OnInitDialog();
  LRESULT result = 0;
  if (self->OnMessage(message, wParam, lParam, result)) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        self->OnOK();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        self->OnCancel();
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      self->OnDestroyed();
      self->m_hWnd = nullptr;
      SetWindowLongPtrW(window, DWLP_USER, 0);
      break;
    default:
      break;
  }
  return FALSE;
}
