#pragma once

#include <windows.h>

#include "framework/win32/dialog.h"
#include "framework/win32/gdi.h"

// What the program's skinned dialogs share: they have no caption or frame,
// so any point that is no control drags them; their background is one
// whole-window picture; and their edit boxes and lists sit in fields the
// skin draws around them, in the fields' ink and paper.
class SkinnedDialog : public CDialog {
 public:
  using CDialog::CDialog;

  static constexpr COLORREF kFieldPaper = RGB(8, 9, 12);
  static constexpr COLORREF kFieldInk = RGB(230, 236, 242);

 protected:
  // The picture the background is painted from now.
  virtual HBITMAP backgroundPicture() const = 0;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  BrushHandle fieldBrush_;
};
