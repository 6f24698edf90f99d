#include "calibration/mouse_hook.h"

#include "base/app_paths.h"

MouseHookLibrary::MouseHookLibrary(const std::wstring& path) {
  // By full path: a Hook.dll elsewhere on the search path is never picked up.
  m_hModule.reset(::LoadLibraryW(path.c_str()));
  if (!m_hModule) return;
  m_pStart = reinterpret_cast<HookFunction>(reinterpret_cast<void*>(::GetProcAddress(m_hModule.get(), "StartMouseHook")));
  m_pStop = reinterpret_cast<HookFunction>(reinterpret_cast<void*>(::GetProcAddress(m_hModule.get(), "StopMouseHook")));
}

MouseHookLibrary::~MouseHookLibrary() = default;

void MouseHookLibrary::Start(HWND window) const {
  if (IsLoaded()) m_pStart(window);
}

void MouseHookLibrary::Stop(HWND window) const {
  if (IsLoaded()) m_pStop(window);
}

namespace {
// Loaded once, on the first call, and kept for the life of the program: a hook that runs
// must not lose its code. Only the user-interface thread calls in.
const MouseHookLibrary& ProgramHookLibrary() {
  static const MouseHookLibrary library(GetModuleDir() + L"\\Hook.dll");
  return library;
}
}  // namespace

void StartMouseHook(HWND window) { ProgramHookLibrary().Start(window); }

void StopMouseHook(HWND window) { ProgramHookLibrary().Stop(window); }
