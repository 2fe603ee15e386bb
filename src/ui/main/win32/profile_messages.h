#pragma once

#include <windows.h>

// Profile switches that reach the main window as posted messages, never
// made where they are asked for. wParam: the profile 1..3, or 0 for the one
// after the active one.
//
// From the keyboard hook, whose call must return at once: a profile key.
inline constexpr UINT WM_PROFILE_KEY = WM_USER + 103;
// From a second start of the program with --profile.
inline constexpr UINT WM_PROFILE_REQUEST = WM_USER + 104;
