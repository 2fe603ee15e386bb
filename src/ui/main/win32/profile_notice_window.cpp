#include "ui/main/win32/profile_notice_window.h"

#include "ui/skin/win32/skin_pictures.h"

namespace {

constexpr wchar_t kClassName[] = L"TarsilProfileNotice";
constexpr UINT_PTR kHideTimer = 1;

// The skin's colours: white for the profile, cyan for the program.
constexpr COLORREF kHeadlineInk = RGB(245, 247, 250);
constexpr COLORREF kDetailInk = RGB(0, 208, 255);
// Left of the text: the notice's amber bar.
constexpr int kTextLeft = 28;
constexpr int kTextRightMargin = 52;  // the mark sits there

HFONT createFont(int pixels, int weight) {
  return CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"Segoe UI");
}

}  // namespace

ProfileNoticeWindow::~ProfileNoticeWindow() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

void ProfileNoticeWindow::create(const std::filesystem::path& programFolder, HWND owner) {
  std::pair<const wchar_t*, CBitmap*> files[] = {{L"notice_mask.bmp", &mask_},
                                                 {L"notice_normal.bmp", &background_}};
  if (!loadSkinPictures(programFolder, files).empty()) return;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);
  const SIZE size = mask_.GetSize();
  // Owned by the main window, so it has no taskbar button of its own.
  const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                                      kClassName, L"Tarsil Software notice", WS_POPUP, 0, 0,
                                      size.cx, size.cy, owner, nullptr, instance, nullptr);
  if (window == nullptr) return;
  SubclassWindow(window);
  SetWindowRgn(m_hWnd, createOutlineRegion(mask_), FALSE);
  headlineFont_.reset(createFont(20, FW_BOLD));
  detailFont_.reset(createFont(14, FW_NORMAL));
}

void ProfileNoticeWindow::show(const tarsil::ProfileNotice& notice) {
  if (m_hWnd == nullptr) return;
  headline_.assign(notice.headline.begin(), notice.headline.end());
  detail_.assign(notice.detail.begin(), notice.detail.end());
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const tarsil::SlotRect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  std::optional<tarsil::SlotRect> taskbar;
  RECT bar{};
  if (const HWND shell = FindWindowW(L"Shell_TrayWnd", nullptr);
      shell != nullptr && IsWindowVisible(shell) && GetWindowRect(shell, &bar)) {
    taskbar = tarsil::SlotRect{bar.left, bar.top, bar.right, bar.bottom};
  }
  const SIZE size = mask_.GetSize();
  const tarsil::NoticePlace place = tarsil::placeNotice(
      screen, {work.left, work.top, work.right, work.bottom}, taskbar, size.cx, size.cy);
  SetWindowPos(m_hWnd, HWND_TOPMOST, place.x, place.y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(m_hWnd, nullptr, FALSE);
  // A second switch within the second restarts the time.
  SetTimer(m_hWnd, kHideTimer, tarsil::kNoticeMilliseconds, nullptr);
}

void ProfileNoticeWindow::paint(HDC dc) const {
  const SIZE size = mask_.GetSize();
  copyPictureArea(dc, background_.handle(), 0, 0, size.cx, size.cy);
  SetBkMode(dc, TRANSPARENT);
  RECT text{kTextLeft, 0, size.cx - kTextRightMargin, size.cy};
  const bool twoLines = !detail_.empty();
  if (twoLines) text.bottom = size.cy * 11 / 20;
  {
    const SelectedObject font(dc, headlineFont_.get());
    SetTextColor(dc, kHeadlineInk);
    DrawTextW(dc, headline_.c_str(), static_cast<int>(headline_.size()), &text,
              DT_SINGLELINE | DT_LEFT | (twoLines ? DT_BOTTOM : DT_VCENTER) | DT_END_ELLIPSIS |
                  DT_NOPREFIX);
  }
  if (!twoLines) return;
  RECT below{kTextLeft, text.bottom + 2, size.cx - kTextRightMargin, size.cy};
  const SelectedObject font(dc, detailFont_.get());
  SetTextColor(dc, kDetailInk);
  DrawTextW(dc, detail_.c_str(), static_cast<int>(detail_.size()), &below,
            DT_SINGLELINE | DT_LEFT | DT_TOP | DT_END_ELLIPSIS | DT_NOPREFIX);
}

bool ProfileNoticeWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_PAINT: {
      PaintDC dc(m_hWnd);
      paint(dc.get());
      result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_MOUSEACTIVATE:
      // A click on the notice leaves the focus where it is.
      result = MA_NOACTIVATE;
      return true;
    case WM_TIMER:
      if (wParam != kHideTimer) return false;
      KillTimer(m_hWnd, kHideTimer);
      ShowWindow(m_hWnd, SW_HIDE);
      result = 0;
      return true;
    default:
      return CWnd::OnMessage(message, wParam, lParam, result);
  }
}
