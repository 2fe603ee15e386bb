#include <windows.h>

#include "app/win32/tarsil_app.h"

// The one application object, constructed when the program loads.
TarsilApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return CWinApp::Run(instance, commandLine);
}
