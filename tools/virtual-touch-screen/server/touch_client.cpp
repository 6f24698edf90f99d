#include "touch_client.h"

#include <windows.h>

namespace vts {

std::string SendCommand(const std::string& line, unsigned waitMs) {
  const ULONGLONG end = GetTickCount64() + waitMs;
  HANDLE pipe;
  for (;;) {
    pipe = CreateFileW(kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE) break;
    if (GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeW(kPipeName, 1000);
    else if (GetTickCount64() >= end) return "error no virtual touch screen server is running";
    else Sleep(50);
  }
  const std::string request = line + "\n";
  DWORD written = 0;
  std::string answer;
  if (WriteFile(pipe, request.data(), static_cast<DWORD>(request.size()), &written, nullptr)) {
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read) {
      answer.append(buffer, read);
      if (answer.find('\n') != std::string::npos) break;
    }
  }
  CloseHandle(pipe);
  if (auto at = answer.find('\n'); at != std::string::npos) answer.resize(at);
  return answer.empty() ? "error the virtual touch screen server gave no answer" : answer;
}

}  // namespace vts
