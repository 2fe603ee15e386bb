#pragma once

#include <windows.h>

// Shows the first popup of menu resource `menuId` at the pointer, owned by
// `owner`; the chosen item arrives at `owner` as WM_COMMAND.
void showPopupMenu(HWND owner, UINT menuId);
