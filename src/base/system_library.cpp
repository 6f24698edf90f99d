#include "base/system_library.h"

#include "base/system_failure.h"
#include "base/text.h"

#include <string>

void RestrictDllSearch() {
  if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    RecordSystemFailure(L"SetDefaultDllDirectories", L"LOAD_LIBRARY_SEARCH_SYSTEM32");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!library) RecordSystemFailure(L"LoadLibraryExW", name);
  return library;
}

FARPROC FindSystemFunction(HMODULE library, const char* name) {
  if (!library) return nullptr;
  const FARPROC found = GetProcAddress(library, name);
  if (!found) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(library, module, MAX_PATH);
    RecordSystemFailure(L"GetProcAddress", std::wstring(module) + L" " + FromAnsi(name));
  }
  return found;
}
