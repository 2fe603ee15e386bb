#pragma once

#include <cstdint>
#include <optional>

#include "framework/win32/win_app.h"

// The application: one instance per logged-on user; the first runs the main
// window modally and ends with it.
class TarsilApp : public CWinApp {
 public:
  TarsilApp() : CWinApp(L"Tarsil Software") {}
  bool InitInstance() override;

 private:
  // True for the first instance. A second one gets false, after bringing the
  // first one's main window (and any dialog it has open) forward if asked
  // to, or after asking it to make `profile` active, which leaves it as it
  // is otherwise.
  static bool IsFirstInstance(bool bringForward, std::optional<std::int32_t> profile);
};
