#pragma once

#include "framework/win32/dialog.h"
#include "resource.h"

// The About box: all of it is in its template, the version included.
class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}
};
