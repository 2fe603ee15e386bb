#pragma once

#include <windows.h>

#include "framework/win32/wnd.h"

// A dialog built from a template resource and run modally. The dialog's
// window is taken over when it is created, so its messages reach OnMessage
// like any CWnd's; whatever OnMessage leaves alone gets the dialog
// manager's handling.
class CDialog : public CWnd {
 public:
  CDialog(UINT templateId, CWnd* parent);

  // Runs the dialog until EndDialog; returns the code passed to it, or -1
  // when the dialog could not be created.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);

 protected:
  // WM_INITDIALOG. Returning TRUE lets the dialog manager set the focus.
  virtual BOOL OnInitDialog();
  virtual void OnOK();      // IDOK: Enter
  virtual void OnCancel();  // IDCANCEL: Esc and Close

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  CWnd* parent_;
};
