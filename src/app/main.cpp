// The program's entry point and its one application object.
#include <windows.h>

#include "app/pelnix_cpl_app.h"

namespace {
CPelnixCplApp theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  AfxWinMain(instance);
  return 0;  // every way out of the program ends with exit code 0
}
