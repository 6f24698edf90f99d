// Loads hid.dll and winmm.dll by bare name, as a program that imports them does: the planting
// test's proof that a library planted beside a program is loaded when nothing prevents it.
#include <windows.h>

int wmain(void) {
  const BOOL hid = LoadLibraryW(L"hid.dll") != NULL;
  const BOOL winmm = LoadLibraryW(L"winmm.dll") != NULL;
  return hid && winmm ? 0 : 1;
}
