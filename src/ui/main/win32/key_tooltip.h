#pragma once

#include <windows.h>
// commctrl.h builds on windows.h.
#include <commctrl.h>

#include <string>

// The tooltip that names the key under the pointer: one tool over the whole
// window, shown by the tooltip control itself from the mouse moves the
// window relays to it.
class KeyTooltip {
 public:
  KeyTooltip() = default;
  ~KeyTooltip();
  KeyTooltip(const KeyTooltip&) = delete;
  KeyTooltip& operator=(const KeyTooltip&) = delete;

  void create(HWND owner);
  void setText(const std::wstring& text);
  // A mouse move over the window, in window coordinates.
  void relayMouseMove(POINT windowPoint);

  HWND handle() const { return tooltip_; }

 private:
  TOOLINFOW tool() const;

  HWND owner_ = nullptr;
  HWND tooltip_ = nullptr;
  std::wstring text_ = L"ToolTip";
};
