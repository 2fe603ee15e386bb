#pragma once

#include <windows.h>

#include <string>

// Every notice of the program carries the program's name as its caption.
inline constexpr wchar_t kProgramCaption[] = L"Tarsil Software";

inline void showNotice(HWND owner, const std::wstring& text, UINT icon = MB_ICONWARNING) {
  MessageBoxW(owner, text.c_str(), kProgramCaption, MB_OK | icon);
}
