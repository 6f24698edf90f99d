#pragma once
// Help under Wine: what the shell does with a PDF file while a test runs, and the message box
// that the Help button shows when the manual cannot be opened.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>
#include <utility>

#include "windows/ui_main_window_harness.h"

namespace main_window_test {

// For as long as this lives, ".pdf" names the given file type (Wine hands PDF files to the
// host's browser otherwise); the type named before comes back afterwards.
class PdfFileType {
public:
  explicit PdfFileType(const wchar_t* type) {
    ::RegCreateKeyExW(kRoot, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hKey, &m_nCreated);
    wchar_t saved[256] = {};
    DWORD size = sizeof saved - sizeof(wchar_t);
    if (m_nCreated == REG_OPENED_EXISTING_KEY &&
        ::RegQueryValueExW(m_hKey, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS)
      m_saved = saved;
    SetType(type);
  }
  ~PdfFileType() {
    if (m_nCreated == REG_CREATED_NEW_KEY) {
      ::RegCloseKey(m_hKey);
      ::RegDeleteTreeW(kRoot, kKey);
      return;
    }
    if (m_saved) SetType(m_saved->c_str()); else ::RegDeleteValueW(m_hKey, nullptr);
    ::RegCloseKey(m_hKey);
  }
  PdfFileType(const PdfFileType&) = delete;
  PdfFileType& operator=(const PdfFileType&) = delete;

private:
  static inline const HKEY kRoot = HKEY_LOCAL_MACHINE;
  static constexpr const wchar_t* kKey = L"Software\\Classes\\.pdf";
  void SetType(const wchar_t* type) {
    ::RegSetValueExW(m_hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type),
                     static_cast<DWORD>((wcslen(type) + 1) * sizeof(wchar_t)));
  }
  HKEY m_hKey = nullptr;
  DWORD m_nCreated = 0;
  std::optional<std::wstring> m_saved;
};

// A computer without a PDF reader: ".pdf" is a file type that no program opens.
class NoPdfViewer : public PdfFileType {
public:
  NoPdfViewer() : PdfFileType(L"PelnixTest.NoViewer") {}
};

// A PDF reader that only writes down the file it was asked to open, into `record`.
class PdfRecorder : public PdfFileType {
public:
  explicit PdfRecorder(std::wstring record) : PdfFileType(kType), m_strRecord(std::move(record)) {
    ::DeleteFileW(m_strRecord.c_str());
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring command = std::wstring(system) + L"\\cmd.exe /c echo %1>\"" + m_strRecord + L"\"";
    ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hCommand, nullptr);
    ::RegSetValueExW(m_hCommand, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  ~PdfRecorder() {
    ::RegCloseKey(m_hCommand);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\PelnixTest.Recorder");
    ::DeleteFileW(m_strRecord.c_str());
  }

  // The file the reader was asked to open since the last call, once it has written it down;
  // empty when it was not asked within the limit.
  std::wstring TakeOpened() {
    std::wstring opened;
    ModalDialogThread::WaitUntil([&] {
      HANDLE file = ::CreateFileW(m_strRecord.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) return false;
      char text[1024] = {};
      DWORD read = 0;
      ::ReadFile(file, text, sizeof text - 1, &read, nullptr);
      ::CloseHandle(file);
      std::string line(text, read);
      if (line.find('\n') == std::string::npos) return false;  // still being written
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
      if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
      opened.assign(line.begin(), line.end());
      return true;
    });
    ::DeleteFileW(m_strRecord.c_str());
    return opened;
  }

private:
  static constexpr const wchar_t* kType = L"PelnixTest.Recorder";
  static constexpr const wchar_t* kCommandKey = L"Software\\Classes\\PelnixTest.Recorder\\shell\\open\\command";
  std::wstring m_strRecord;
  HKEY m_hCommand = nullptr;
};

// Presses Help and answers the message box it shows under the caption of key "70": returns
// the box's message key, or nothing when no box appeared.
inline std::wstring PressHelp(MainWindowRun& run) {
  ::PostMessageW(run.dialog().Item(IDC_HELP_MANUAL), BM_CLICK, 0, 0);
  HWND box = nullptr;
  std::wstring key;
  // The box counts once its text is there, so a box caught while it is being built is looked
  // at again.
  ModalDialogThread::WaitUntil([&] {
    box = nullptr;
    ::EnumWindows([](HWND window, LPARAM out) -> BOOL {
      wchar_t name[16] = {};
      ::GetClassNameW(window, name, 16);
      DWORD process = 0;
      ::GetWindowThreadProcessId(window, &process);
      if (process != ::GetCurrentProcessId() || std::wstring(name) != L"#32770" || !::IsWindowVisible(window))
        return TRUE;
      wchar_t caption[16] = {};
      ::GetWindowTextW(window, caption, 16);
      if (std::wstring(caption) != L"70") return TRUE;
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&box));
    if (!box) return false;
    for (const std::wstring& text : ChildTexts(box))
      if (text == L"73" || text == L"74") key = text;
    return !key.empty();
  });
  if (!box) return L"";
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(ModalDialogThread::WaitUntil([&] { return !::IsWindow(box); }));
  return key;
}

// Writes a small PDF file.
inline bool WritePdf(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const char pdf[] = "%PDF-1.4\n%%EOF\n";
  DWORD written = 0;
  const bool ok = ::WriteFile(file, pdf, sizeof pdf - 1, &written, nullptr) && written == sizeof pdf - 1;
  ::CloseHandle(file);
  return ok;
}

}  // namespace main_window_test
