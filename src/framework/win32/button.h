#pragma once

#include "framework/win32/wnd.h"

// A push button of a dialog template, taken over with SubclassDlgItem by
// a class that draws or handles it itself.
class CButton : public CWnd {};
