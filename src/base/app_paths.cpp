#include "base/app_paths.h"

#include <windows.h>

#include "base/core/paths.h"

// Both take the whole path, however long: a path cut at a fixed buffer would name another
// folder (the root of the drive, or a parent) and files would be read or written there.
std::wstring GetModuleDir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return DirectoryOfPath(path);
}

std::wstring GetCurrentDir() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  std::wstring path(size, L'\0');
  path.resize(GetCurrentDirectoryW(size, path.data()));
  return WithTrailingBackslash(path);
}
