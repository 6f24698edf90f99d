// A recorded system failure reaches the debug output, read here as a debug-output viewer reads
// it: through the DBWIN_BUFFER section and its two events.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/system_failure.h"

namespace {

class DebugOutputListener {
public:
  DebugOutputListener() {
    m_hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                  L"DBWIN_BUFFER");
    m_hBufferReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    m_hDataReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    m_pView = m_hMapping ? MapViewOfFile(m_hMapping, FILE_MAP_READ, 0, 0, 4096) : nullptr;
    if (m_hBufferReady) SetEvent(m_hBufferReady);
  }
  ~DebugOutputListener() {
    if (m_pView) UnmapViewOfFile(m_pView);
    for (HANDLE handle : {m_hMapping, m_hBufferReady, m_hDataReady})
      if (handle) CloseHandle(handle);
  }
  bool Ready() const { return m_pView != nullptr && m_hBufferReady && m_hDataReady; }

  // The next line written to the debug output by this process, or "" after `timeout` ms.
  std::string Next(DWORD timeout) {
    while (WaitForSingleObject(m_hDataReady, timeout) == WAIT_OBJECT_0) {
      const auto* record = static_cast<const char*>(m_pView);
      DWORD process = 0;
      memcpy(&process, record, sizeof process);
      std::string text(record + sizeof process);
      SetEvent(m_hBufferReady);
      if (process == GetCurrentProcessId()) return text;
    }
    return "";
  }

private:
  HANDLE m_hMapping = nullptr;
  HANDLE m_hBufferReady = nullptr;
  HANDLE m_hDataReady = nullptr;
  void* m_pView = nullptr;
};

TEST(SystemFailure, AFailingCallReachesTheDebugOutputByNameWithTheSystemText) {
  DebugOutputListener listener;
  ASSERT_TRUE(listener.Ready());

  const HANDLE file = CreateFileW(L"C:\\no such folder\\missing.bin", GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_EQ(file, INVALID_HANDLE_VALUE);
  RecordSystemFailure(L"CreateFileW", L"C:\\no such folder\\missing.bin");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));  // left as it was

  const std::string line = listener.Next(5000);
  EXPECT_EQ(line.rfind("PelnixCpl: CreateFileW(C:\\no such folder\\missing.bin) failed: error 3: ", 0),
            0u) << line;
  EXPECT_GT(line.size(), 70u) << "the system's text is missing: " << line;
  EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
}

TEST(SystemFailure, AGivenCodeIsRecordedInsteadOfTheLastError) {
  SetLastError(ERROR_SUCCESS);
  const std::wstring text = SystemFailureText(L"RegOpenKeyExW", L"HKLM\\x", ERROR_ACCESS_DENIED);
  EXPECT_EQ(text.rfind(L"PelnixCpl: RegOpenKeyExW(HKLM\\x) failed: error 5: ", 0), 0u);
  // A code the system has no text for ends the line at its number.
  EXPECT_EQ(SystemFailureText(L"Call", L"", 0x20001234), L"PelnixCpl: Call() failed: error 536875572");
}

}  // namespace
