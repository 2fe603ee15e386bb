#pragma once

#include <windows.h>

#include <string>

// The application object: one global instance, started by the entry point.
// Only what this program uses of such a framework: the instance handle, the
// command line, the name, the main window, and a start-up operation.
class CWnd;

class CWinApp {
 public:
  // `appName` names the program to the user, as the caption of its notices.
  explicit CWinApp(const wchar_t* appName);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Runs once at start. Returning false ends the program without a message
  // loop of the application's own.
  virtual bool InitInstance();

  HINSTANCE instance() const { return instance_; }
  const std::wstring& commandLine() const { return commandLine_; }

  CWnd* m_pMainWnd = nullptr;
  const wchar_t* const m_pszAppName;

  // The one application object, or nullptr before it is constructed.
  static CWinApp* Current();

  // The entry point's work: records the instance and command line, then
  // runs InitInstance. Returns the process exit code.
  static int Run(HINSTANCE instance, const wchar_t* commandLine);

 private:
  HINSTANCE instance_ = nullptr;
  std::wstring commandLine_;
};

// The full path of the running executable, or empty when it cannot be had.
std::wstring modulePath();

// A notice with an OK button (and `type`'s icon), under the application's
// name as every notice of the program. Returns the button chosen.
int AfxMessageBox(const std::wstring& text, UINT type = MB_OK, HWND owner = nullptr);
