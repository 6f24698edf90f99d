#pragma once
// The mouse hook of region calibration, from Hook.dll beside the program. The library is
// loaded on first use; when it is missing both calls do nothing.
#include <windows.h>

#include <string>

#include "base/scoped_handle.h"

void StartMouseHook(HWND window);
void StopMouseHook(HWND window);

// One loaded copy of a mouse-hook library: what the two calls above use, with the library
// from the program's folder.
class MouseHookLibrary {
public:
  explicit MouseHookLibrary(const std::wstring& path);
  ~MouseHookLibrary();
  MouseHookLibrary(const MouseHookLibrary&) = delete;
  MouseHookLibrary& operator=(const MouseHookLibrary&) = delete;

  bool IsLoaded() const { return m_pStart && m_pStop; }
  void Start(HWND window) const;
  void Stop(HWND window) const;

private:
  using HookFunction = BOOL(WINAPI*)(HWND);
  ScopedModule m_hModule;
  HookFunction m_pStart = nullptr;
  HookFunction m_pStop = nullptr;
};
