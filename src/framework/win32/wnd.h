#pragma once

#include <windows.h>

// The base of every window object of the program: it holds the window handle
// and routes the window's messages to one OnMessage per class, which is that
// class's message map. A window is taken over by subclassing: its own window
// procedure (the dialog manager's, a button's) keeps whatever OnMessage
// leaves alone.
//
// A parent reflects WM_DRAWITEM, WM_COMMAND and WM_NOTIFY from a child
// control to the child's object first, so an owner-drawn control draws
// itself instead of its dialog drawing it.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  // The object that took over `window`, or nullptr.
  static CWnd* FromHandle(HWND window);

  // Takes over an existing window; false if it is null or already taken.
  bool SubclassWindow(HWND window);
  // Takes over control `id` of a dialog's template.
  bool SubclassDlgItem(int id, const CWnd& parent);
  // Gives the window its own procedure back; returns its handle.
  HWND UnsubclassWindow();

  HWND m_hWnd = nullptr;

 protected:
  // Runs just before a window is taken over (m_hWnd is already set), so a
  // class can adjust the window's style first.
  virtual void PreSubclassWindow();
  // Handles one message: returns true with `result` set when it did.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A notification the parent received for this control (WM_DRAWITEM,
  // WM_COMMAND, WM_NOTIFY). Returns true with `result` set when handled.
  virtual bool OnReflectedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The last message the window sees (WM_NCDESTROY); the object lets go of it.
  virtual void OnNcDestroy();

  // What the window's own procedure does with a message, for a handler
  // that adds to the default instead of replacing it.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The child control a notification comes from, if an object owns it.
  static CWnd* reflectionTarget(UINT message, WPARAM wParam, LPARAM lParam);

  WNDPROC original_ = nullptr;
};
