#include <windows.h>

#include "app/win32/ostrel_app.h"

// The one application object, constructed when the program loads.
COstrelApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return CWinApp::Run(instance, commandLine);
}
