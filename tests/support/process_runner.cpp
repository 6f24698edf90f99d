#include "support/process_runner.h"

#include <shellapi.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

std::wstring FolderFromEnvironment(const wchar_t* variable) {
  const wchar_t* value = _wgetenv(variable);
  if (!value) return L".";
  std::wstring folder = value;
  // Unix paths from ctest: Wine maps the root of the file system to drive Z.
  if (!folder.empty() && folder[0] == L'/') {
    for (wchar_t& c : folder) if (c == L'/') c = L'\\';
    folder = L"Z:" + folder;
  }
  return folder;
}

}  // namespace

HANDLE StartProgram(const std::wstring& commandLine, const std::wstring& workingDirectory) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process))
    return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

ProgramResult RunProgram(const std::wstring& commandLine, const std::wstring& workingDirectory,
                         DWORD timeoutMs, const std::function<void(DWORD processId)>& whileRunning) {
  ProgramResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = writeEnd;
  startup.hStdError = nul;
  PROCESS_INFORMATION process{};
  std::wstring mutableLine = commandLine;
  const BOOL started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(),
                                      &startup, &process);
  CloseHandle(writeEnd);
  CloseHandle(nul);
  if (!started) {
    CloseHandle(readEnd);
    result.exitCode = static_cast<DWORD>(-1);
    return result;
  }
  CloseHandle(process.hThread);

  std::thread reader([&] {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) result.output.append(buffer, got);
  });
  if (whileRunning) whileRunning(process.dwProcessId);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  reader.join();
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(readEnd);
  return result;
}

std::wstring DistPath(const std::wstring& name) { return FolderFromEnvironment(L"PELNIX_DIST_DIR") + L"\\" + name; }
std::wstring DemoPath(const std::wstring& name) { return FolderFromEnvironment(L"PELNIX_DEMO_DIR") + L"\\" + name; }
std::wstring DistProgram() { return L"\"" + DistPath(L"PelnixCpl.exe") + L"\""; }

TempFolder::TempFolder() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    m_strPath = std::wstring(base) + L"pelnix-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(InterlockedIncrement(&counter));
    if (CreateDirectoryW(m_strPath.c_str(), nullptr)) break;
  }
}

TempFolder::~TempFolder() {
  // SHFileOperation wants a double-null-terminated list.
  std::wstring from = m_strPath + L'\0';
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

namespace {
struct WindowSearch {
  DWORD processId;
  HWND found;
};
BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}
BOOL CALLBACK CollectChildText(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(WindowText(child));
  return TRUE;
}
}  // namespace

HWND WaitForProcessWindow(DWORD processId, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    WindowSearch search{processId, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    Sleep(20);
  } while (GetTickCount64() < deadline);
  return nullptr;
}

std::vector<std::wstring> ChildTexts(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(window, &CollectChildText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}
