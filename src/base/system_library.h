#pragma once
// Libraries of the system, loaded from the system folder only.
//
// The program runs elevated, often from a folder a user can write to (a download, a USB
// stick). Windows looks for a library that is not one of its known DLLs in the program's own
// folder first, so a library imported statically or loaded by bare name could be a planted
// copy. Start-up restricts the process's search to the system folder, and every system library
// the program needs beyond the loader's own is loaded here, by name from the system folder.
#include <windows.h>

// Restricts the DLL search of every later load to the system folder (SetDefaultDllDirectories).
// Called first thing at start-up. Libraries loaded by full path (our own PelnixLib.dll and
// Hook.dll) are not affected.
void RestrictDllSearch();

// LoadLibraryExW(name, LOAD_LIBRARY_SEARCH_SYSTEM32): the library from the system folder, or
// nullptr with the failure recorded. The module stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The function `name` of `library`, or `fallback` when the library or the function is missing
// (the failure recorded), so that callers call through the result unconditionally.
FARPROC FindSystemFunction(HMODULE library, const char* name);

template <typename Function>
Function SystemFunction(HMODULE library, const char* name, Function fallback) {
  const FARPROC found = FindSystemFunction(library, name);
  return found ? reinterpret_cast<Function>(reinterpret_cast<void*>(found)) : fallback;
}
