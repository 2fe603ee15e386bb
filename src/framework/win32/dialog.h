#pragma once

#include <windows.h>

// A dialog built from a template resource and run modally. A derived class
// binds the messages it handles in OnMessage (its message map); everything
// it leaves alone gets the dialog manager's default handling.
class CDialog {
 public:
  CDialog(UINT templateId, CDialog* parent);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog until EndDialog; returns the code passed to it, or -1
  // when the dialog could not be created.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result);

  HWND GetSafeHwnd() const { return m_hWnd; }

  HWND m_hWnd = nullptr;

 protected:
  // WM_INITDIALOG. Returning TRUE lets the dialog manager set the focus.
  virtual BOOL OnInitDialog();
  virtual void OnOK();      // IDOK: Enter
  virtual void OnCancel();  // IDCANCEL: Esc and Close
  // Handles one message: returns true with `result` set when it did.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The window is going away (WM_NCDESTROY): the last message it sees.
  virtual void OnDestroyed();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  CDialog* parent_;
};
