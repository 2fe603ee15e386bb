#pragma once

#include "framework/win32/dialog.h"
#include "resource.h"

// The About box: all of it is in its template, the version included.
class AboutDialog : public CDialog {
 public:
  explicit AboutDialog(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}
};
