#include "framework/win32/dialog.h"

#include "framework/win32/win_app.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

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

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  // Enter, Esc and Close arrive as these two commands, from the dialog
  // manager rather than from a control.
  if (message != WM_COMMAND) return false;
  switch (LOWORD(wParam)) {
    case IDOK:
      OnOK();
      break;
    case IDCANCEL:
      OnCancel();
      break;
    default:
      return false;
  }
  result = 0;
  return true;
}

// The dialog manager's procedure for the template. It only takes the window
// over at WM_INITDIALOG; from then on CWnd's procedure sees every message
// first, and this one answers "not handled" to whatever is handed on.
INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* self = reinterpret_cast<CDialog*>(lParam);
  if (!self->SubclassWindow(window)) return FALSE;
  return self->OnInitDialog();
}
