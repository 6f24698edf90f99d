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
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                  L"DBWIN_BUFFER");
    buffer_ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    data_ready_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    view_ = mapping_ ? MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096) : nullptr;
    if (buffer_ready_) SetEvent(buffer_ready_);
  }
  ~DebugOutputListener() {
    if (view_) UnmapViewOfFile(view_);
    for (HANDLE handle : {mapping_, buffer_ready_, data_ready_})
      if (handle) CloseHandle(handle);
  }
  bool Ready() const { return view_ != nullptr && buffer_ready_ && data_ready_; }

  // The next line written to the debug output by this process, or "" after `timeout` ms.
  std::string Next(DWORD timeout) {
    while (WaitForSingleObject(data_ready_, timeout) == WAIT_OBJECT_0) {
      const auto* record = static_cast<const char*>(view_);
      DWORD process = 0;
      memcpy(&process, record, sizeof process);
      std::string text(record + sizeof process);
      SetEvent(buffer_ready_);
      if (process == GetCurrentProcessId()) return text;
    }
    return "";
  }

private:
  HANDLE mapping_ = nullptr;
  HANDLE buffer_ready_ = nullptr;
  HANDLE data_ready_ = nullptr;
  void* view_ = nullptr;
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
