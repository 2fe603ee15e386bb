// Key Echo: the end-to-end tests' witness. A plain window that writes every
// key message it receives to a log file, one line each, so a script can
// compare what was typed with what an application really got after the
// translation hook had its say.
//
//   key_echo.exe LOGFILE                echo window "Key Echo"
//   key_echo.exe --query OUTFILE [TITLE]
//       write the foreground window's title and, on a second line, the state
//       of the top-level window TITLE: missing, iconic, hidden or shown
//   key_echo.exe --front TITLE          bring the window TITLE forward
//   key_echo.exe --minimize TITLE       minimise the window TITLE
//   key_echo.exe --send VK              press and release VK with SendInput,
//                                       which marks the strokes injected
//   key_echo.exe --held OUTFILE VK...   write, on one line, those of the codes
//                                       VK... that are logically down on the
//                                       desktop (GetAsyncKeyState)
//   key_echo.exe --texts OUTFILE TITLE  write the text of every static
//                                       control of the shown top-level
//                                       windows TITLE (a message box's text)
//
// Log lines, flushed one by one so a reader polling the file never sees half
// a line:
//   down 66 ext=0 scan=48 t=T   WM_KEYDOWN (vk, lParam bit 24, scan code), and
//                               when it arrived, in microseconds
//   up 66 ext=0 scan=48 t=T     WM_KEYUP
//   down 18 ext=0 scan=56 sys t=T  WM_SYSKEYDOWN / WM_SYSKEYUP carry " sys"
//   ready                       the window is shown and was made foreground
//   active 1 / active 0         the window gained / lost activation
//   front                       a trigger file asked for the foreground

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kTitle[] = L"Key Echo";
constexpr UINT_PTR kTriggerTimer = 1;

HANDLE logFile = INVALID_HANDLE_VALUE;
std::wstring triggerPath;

void writeLine(const char* text) {
  if (logFile == INVALID_HANDLE_VALUE) return;
  std::string line(text);
  line += '\n';
  DWORD written = 0;
  // The handle is unbuffered: each WriteFile is one append the script can
  // read at once.
  WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(logFile);
}

// Microseconds on the performance counter: a game reads its input as it
// comes, and the gaps between keys are what the timed macros are judged by.
long long microseconds() {
  static const long long frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<long long>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart / frequency * 1000000 +
         counter.QuadPart % frequency * 1000000 / frequency;
}

void logKey(UINT message, WPARAM wParam, LPARAM lParam) {
  const long long at = microseconds();
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool sys = message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
  const unsigned extended = (static_cast<unsigned long long>(lParam) >> 24) & 1u;
  const unsigned scan = (static_cast<unsigned long long>(lParam) >> 16) & 0xFFu;
  char text[96];
  std::snprintf(text, sizeof(text), "%s %u ext=%u scan=%u%s t=%lld", down ? "down" : "up",
                static_cast<unsigned>(wParam), extended, scan, sys ? " sys" : "", at);
  writeLine(text);
}

void comeForward(HWND window) {
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  SetActiveWindow(window);
  SetFocus(window);
}

LRESULT CALLBACK echoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      logKey(message, wParam, lParam);
      // Handled here and never handed to DefWindowProc: an Alt or F10 release
      // would otherwise enter menu mode and swallow the keys that follow.
      return 0;
    case WM_ACTIVATE:
      writeLine(LOWORD(wParam) != WA_INACTIVE ? "active 1" : "active 0");
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(window);
      return 0;
    case WM_TIMER:
      // A script cannot call SetForegroundWindow itself; it drops a file
      // beside the log instead, and this window answers by coming forward.
      if (wParam == kTriggerTimer && DeleteFileW(triggerPath.c_str())) {
        comeForward(window);
        writeLine("front");
      }
      return 0;
    case WM_SYSCOMMAND:
      // Keyboard-driven system menu (Alt+Space) would open a modal menu loop.
      if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int runEcho(HINSTANCE instance, const wchar_t* logPath) {
  logFile =
      CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (logFile == INVALID_HANDLE_VALUE) return 2;
  triggerPath = std::wstring(logPath) + L".front";

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = echoProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"TarsilKeyEcho";
  if (RegisterClassW(&windowClass) == 0) return 3;

  HWND window = CreateWindowExW(0, windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, 40, 40,
                                320, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 4;
  comeForward(window);
  SetTimer(window, kTriggerTimer, 50, nullptr);
  writeLine("ready");

  // No IsDialogMessage and no accelerators: every key message reaches the
  // window procedure as it was posted.
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  CloseHandle(logFile);
  return 0;
}

const char* windowState(const wchar_t* title) {
  HWND window = FindWindowW(nullptr, title);
  if (window == nullptr) return "missing";
  if (IsIconic(window)) return "iconic";
  return IsWindowVisible(window) ? "shown" : "hidden";
}

int query(const wchar_t* outPath, const wchar_t* title) {
  wchar_t foregroundTitle[256] = L"";
  HWND foreground = GetForegroundWindow();
  if (foreground != nullptr) GetWindowTextW(foreground, foregroundTitle, 256);
  char utf8[1024] = "";
  WideCharToMultiByte(CP_UTF8, 0, foregroundTitle, -1, utf8, sizeof(utf8), nullptr, nullptr);
  // Written under a temporary name and renamed, so the script never reads a
  // half-written answer.
  const std::wstring partial = std::wstring(outPath) + L".part";
  FILE* out = _wfopen(partial.c_str(), L"wb");
  if (out == nullptr) return 2;
  std::fprintf(out, "%s\n", utf8);
  if (title != nullptr) std::fprintf(out, "%s\n", windowState(title));
  std::fclose(out);
  return MoveFileExW(partial.c_str(), outPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}

int bringForward(const wchar_t* title) {
  HWND window = FindWindowW(nullptr, title);
  if (window == nullptr) return 2;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  return SetForegroundWindow(window) ? 0 : 3;
}

int minimize(const wchar_t* title) {
  HWND window = FindWindowW(nullptr, title);
  if (window == nullptr) return 2;
  ShowWindow(window, SW_MINIMIZE);
  return 0;
}

// Another program's synthetic strokes, as a remapping or accessibility tool
// would send them.
int sendKey(const wchar_t* code) {
  const WORD vk = static_cast<WORD>(std::wcstoul(code, nullptr, 10));
  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF);
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2 ? 0 : 2;
}

// The desktop's key state is what every program sees: a key that a hook
// pressed and never released stays down here even with no window focused.
int held(const wchar_t* outPath, wchar_t** codes, int count) {
  std::string line;
  for (int i = 0; i < count; ++i) {
    const int vk = static_cast<int>(std::wcstoul(codes[i], nullptr, 10));
    if ((GetAsyncKeyState(vk) & 0x8000) == 0) continue;
    if (!line.empty()) line += ' ';
    line += std::to_string(vk);
  }
  const std::wstring partial = std::wstring(outPath) + L".part";
  FILE* out = _wfopen(partial.c_str(), L"wb");
  if (out == nullptr) return 2;
  std::fprintf(out, "%s\n", line.c_str());
  std::fclose(out);
  return MoveFileExW(partial.c_str(), outPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}

std::string utf8(const wchar_t* text) {
  char buffer[4096] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

int texts(const wchar_t* outPath, const wchar_t* title) {
  struct Search {
    const wchar_t* title;
    std::string found;
  } search{title, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* self = reinterpret_cast<Search*>(data);
        wchar_t text[256] = L"";
        GetWindowTextW(window, text, 256);
        if (!IsWindowVisible(window) || std::wcscmp(text, self->title) != 0) return TRUE;
        EnumChildWindows(
            window,
            [](HWND child, LPARAM found) -> BOOL {
              wchar_t className[32] = L"";
              GetClassNameW(child, className, 32);
              if (_wcsicmp(className, L"Static") != 0) return TRUE;
              wchar_t childText[2048] = L"";
              GetWindowTextW(child, childText, 2048);
              if (childText[0] != L'\0')
                *reinterpret_cast<std::string*>(found) += utf8(childText) + "\n";
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&self->found));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  const std::wstring partial = std::wstring(outPath) + L".part";
  FILE* out = _wfopen(partial.c_str(), L"wb");
  if (out == nullptr) return 2;
  std::fputs(search.found.c_str(), out);
  std::fclose(out);
  return MoveFileExW(partial.c_str(), outPath, MOVEFILE_REPLACE_EXISTING) ? 0 : 3;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 1;
  int result = 1;
  const auto option = [&](const wchar_t* name) { return std::wcscmp(argv[1], name) == 0; };
  if ((argc == 3 || argc == 4) && option(L"--query")) {
    result = query(argv[2], argc == 4 ? argv[3] : nullptr);
  } else if (argc == 3 && option(L"--front")) {
    result = bringForward(argv[2]);
  } else if (argc == 3 && option(L"--minimize")) {
    result = minimize(argv[2]);
  } else if (argc == 3 && option(L"--send")) {
    result = sendKey(argv[2]);
  } else if (argc == 4 && option(L"--texts")) {
    result = texts(argv[2], argv[3]);
  } else if (argc >= 4 && option(L"--held")) {
    result = held(argv[2], argv + 3, argc - 3);
  } else if (argc == 2) {
    result = runEcho(instance, argv[1]);
  }
  LocalFree(argv);
  return result;
}
