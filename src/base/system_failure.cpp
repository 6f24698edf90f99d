#include "base/system_failure.h"

#include <windows.h>

namespace {

// The system's text for `error`, without its trailing line end; empty when it has none.
std::wstring SystemMessageText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : L"";
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return text;
}

}  // namespace

std::wstring SystemFailureText(const wchar_t* call, const std::wstring& details,
                               unsigned long error) {
  std::wstring text = L"PelnixCpl: ";
  text += call != nullptr ? call : L"?";
  text += L"(" + details + L") failed: error " + std::to_wstring(error);
  const std::wstring message = SystemMessageText(error);
  if (!message.empty()) text += L": " + message;
  return text;
}

void RecordSystemFailure(const wchar_t* call, const std::wstring& details) {
  RecordSystemFailure(call, details, GetLastError());
}

void RecordSystemFailure(const wchar_t* call, const std::wstring& details, unsigned long error) {
  // The record must not change what the caller sees next.
  const DWORD saved = GetLastError();
  OutputDebugStringW((SystemFailureText(call, details, error) + L"\r\n").c_str());
  SetLastError(saved);
}
