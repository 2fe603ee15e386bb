#include "framework/win32/win_app.h"

namespace {
CWinApp* currentApp = nullptr;
}  // namespace

CWinApp::CWinApp(const wchar_t* appName) : m_pszAppName(appName) { currentApp = this; }

CWinApp::~CWinApp() {
  if (currentApp == this) currentApp = nullptr;
}

bool CWinApp::InitInstance() { return true; }

CWinApp* CWinApp::Current() { return currentApp; }

int CWinApp::Run(HINSTANCE instance, const wchar_t* commandLine) {
  if (currentApp == nullptr) return 1;
  currentApp->instance_ = instance;
  currentApp->commandLine_ = commandLine ? commandLine : L"";
  currentApp->InitInstance();
  return 0;
}

std::wstring modulePath() {
  // Long paths: grow the buffer until the whole path fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

int AfxMessageBox(const std::wstring& text, UINT type, HWND owner) {
  CWinApp* app = CWinApp::Current();
  return MessageBoxW(owner, text.c_str(), app != nullptr ? app->m_pszAppName : nullptr, type);
}
