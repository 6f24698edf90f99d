#pragma once
// Runs a program the way a shell would, with its standard output captured byte for byte.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/window_text.h"  // WindowText, for the tests that read windows

struct ProgramResult {
  std::string output;  // every byte the program wrote to standard output
  DWORD exitCode = 0;
  bool timedOut = false;  // the program was killed after the time-out
};

// commandLine holds the program path first (quote it when it has blanks). Standard input is
// the null device; standard error is discarded.
// whileRunning, when given, runs on the calling thread once the program has started (to drive
// its windows); the time-out counts from its return.
ProgramResult RunProgram(const std::wstring& commandLine, const std::wstring& workingDirectory,
                         DWORD timeoutMs = 30000,
                         const std::function<void(DWORD processId)>& whileRunning = {});

// The first visible top-level window of a process, waiting up to timeoutMs; null if none.
HWND WaitForProcessWindow(DWORD processId, DWORD timeoutMs);
// The texts of a window's child controls, in order.
std::vector<std::wstring> ChildTexts(HWND window);

// Starts a program without waiting; the caller closes the returned process handle.
HANDLE StartProgram(const std::wstring& commandLine, const std::wstring& workingDirectory);

// A file of the program as a user gets it (PELNIX_DIST_DIR) or of the demo (PELNIX_DEMO_DIR),
// as a Windows path.
std::wstring DistPath(const std::wstring& name);
std::wstring DemoPath(const std::wstring& name);
// The quoted path of PelnixCpl.exe in the dist folder, ready to start a command line.
std::wstring DistProgram();

// A new empty folder for one test, removed with its contents by the destructor.
class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return m_strPath; }  // no trailing backslash
  std::wstring File(const std::wstring& name) const { return m_strPath + L"\\" + name; }

private:
  std::wstring m_strPath;
};

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
