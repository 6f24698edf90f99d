// Resource-only module for the link cursor test (its resources are all it has).
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
