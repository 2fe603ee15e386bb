#include "ui/main/win32/key_tooltip.h"

#include <uxtheme.h>

namespace {

constexpr COLORREF kBackground = 0xE0FFFF;  // pale yellow
constexpr int kInitialDelay = 50;           // milliseconds
constexpr int kMaxWidth = 600;              // pixels

}  // namespace

KeyTooltip::~KeyTooltip() {
  if (tooltip_ != nullptr) DestroyWindow(tooltip_);
}

TOOLINFOW KeyTooltip::tool() const {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = owner_;
  tool.uId = 0;
  tool.lpszText = const_cast<wchar_t*>(text_.c_str());
  GetClientRect(owner_, &tool.rect);
  return tool;
}

void KeyTooltip::create(HWND owner) {
  owner_ = owner;
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tooltip_ == nullptr) return;
  // A themed tooltip ignores its background colour; this one keeps the
  // skin's pale yellow on every system.
  SetWindowTheme(tooltip_, L"", L"");
  TOOLINFOW info = tool();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(tooltip_, TTM_SETTIPBKCOLOR, kBackground, 0);
  // A width makes the tooltip break lines at '\n': a macro key's second
  // line says how its macro plays.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, kMaxWidth);
  SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_INITIAL, kInitialDelay);
}

void KeyTooltip::setText(const std::wstring& text) {
  if (tooltip_ == nullptr) return;
  text_ = text;
  TOOLINFOW info = tool();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void KeyTooltip::relayMouseMove(POINT windowPoint) {
  if (tooltip_ == nullptr) return;
  // The whole window answers as caption, so the pointer's moves arrive as
  // non-client messages, which a tooltip does not follow. It is told of an
  // ordinary move at the same point instead.
  MSG message{};
  message.hwnd = owner_;
  message.message = WM_MOUSEMOVE;
  message.lParam = MAKELPARAM(windowPoint.x, windowPoint.y);
  message.pt = windowPoint;
  ClientToScreen(owner_, &message.pt);
  message.time = static_cast<DWORD>(GetMessageTime());
  SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}
