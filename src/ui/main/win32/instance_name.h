#pragma once

// Names the running instance twice: the named mutex that marks it, and the
// window property that marks its main window for a second start to find.
inline constexpr wchar_t kInstanceName[] = L"game keyboard";
