#include "ui/programs/win32/running_programs.h"

std::optional<std::u16string> programPathOf(DWORD process) {
  const HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (handle == nullptr) return std::nullopt;
  std::optional<std::u16string> result;
  // Paths may be longer than MAX_PATH; the system says when the buffer is short.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(handle, 0, path.data(), &size)) {
      result = std::u16string(path.begin(), path.begin() + size);
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) break;
    path.resize(path.size() * 2);
  }
  CloseHandle(handle);
  return result;
}

namespace {

BOOL CALLBACK collectWindow(HWND window, LPARAM data) {
  auto* windows = reinterpret_cast<std::vector<tarsil::RunningProgram>*>(data);
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
      (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
    return TRUE;
  }
  wchar_t title[256] = {};
  if (GetWindowTextW(window, title, 256) == 0) return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (const std::optional<std::u16string> path = programPathOf(process)) {
    const std::wstring text = title;
    windows->push_back({std::u16string(text.begin(), text.end()), *path});
  }
  return TRUE;
}

}  // namespace

std::vector<tarsil::RunningProgram> runningProgramWindows() {
  std::vector<tarsil::RunningProgram> windows;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}
