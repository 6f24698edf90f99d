// ui_shot_driver.exe: drives a running PelnixCpl.exe for scripts/screenshots.sh.
//   wait              waits (up to 60 s) until the main window's list is ready (Settings enabled)
//   click ID          clicks the main window's button ID (posted, so a modal dialog may open)
//   open-properties   double-clicks the touch screen list (the selected screen's properties)
//   open-diagnostics [LINE]  selects the last touch screen, opens the diagnostics dialog for
//                     it (its button stays disabled, so the command goes to the main window
//                     itself), runs the LED test, waits (up to 20 s) for the report and
//                     scrolls it to show LINE (0-based) at the top
//   rect [main]       prints the client area of the open dialog (or the main window), WxH+X+Y
//   close             closes the open dialog (Cancel)
//   click-dialog ID   clicks the button ID of the open dialog (the calibration window's OK...)
//   rect-item ID      prints the main window's control ID on the screen, WxH+X+Y (whole window)
//   rect-hint         prints the region hint (182 x 54), when it shows (whole window)
//   rect-calibration  prints the calibration window (borderless, topmost), when it shows
//   cursor            prints the cursor position as the program reads it, X,Y
// Inside a Wine virtual desktop, run it in the same desktop (explorer /desktop=NAME,WxH):
// the rectangles are then the desktop's.
// Exit code 0 on success, 1 when the window it needs is not there. The program is found by its
// file name: PelnixCpl.exe, or the name in PELNIX_SHOT_IMAGE.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kListId = 1064;
constexpr int kSettingsId = 1053;
constexpr int kDiagnosticsId = 1054;        // main window
constexpr int kRunDiagnosticsId = 1063;     // diagnostics dialog
constexpr int kExportId = 1057;             // diagnostics dialog, enabled once a report is shown
constexpr int kReportListId = 1018;         // diagnostics dialog
constexpr int kCalibrateOkId = 1;           // calibration window
constexpr int kHintWidth = 182, kHintHeight = 54;

std::wstring ProgramName() {
  wchar_t name[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"PELNIX_SHOT_IMAGE", name, MAX_PATH);
  return length > 0 && length < MAX_PATH ? name : L"PelnixCpl.exe";
}

bool IsProgramWindow(HWND window) {
  static const std::wstring program = L"\\" + ProgramName();
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return false;
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const bool named = ::QueryFullProcessImageNameW(process, 0, path, &size) && size >= program.size() &&
                     _wcsicmp(path + size - program.size(), program.c_str()) == 0;
  ::CloseHandle(process);
  return named;
}

struct Found {
  HWND main = nullptr;         // the top-level window with the touch screen list
  HWND dialog = nullptr;       // another visible top-level window of the program
  HWND hint = nullptr;         // the region hint among them
  HWND calibration = nullptr;  // the calibration window among them
};

Found FindWindows() {
  Found found;
  ::EnumWindows([](HWND window, LPARAM data) -> BOOL {
    auto* result = reinterpret_cast<Found*>(data);
    if (!::IsWindowVisible(window) || !IsProgramWindow(window)) return TRUE;
    if (::GetDlgItem(window, kListId)) {
      result->main = window;
    } else if (::GetWindow(window, GW_OWNER)) {
      result->dialog = window;
      RECT r{};
      ::GetWindowRect(window, &r);
      const bool topmost = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      if (r.right - r.left == kHintWidth && r.bottom - r.top == kHintHeight) result->hint = window;
      else if (topmost && ::GetDlgItem(window, kCalibrateOkId)) result->calibration = window;
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

int PrintRect(HWND window) {
  if (!window) return 1;
  // The client area: without a window manager under Xvfb nobody paints the caption bar.
  RECT rect{};
  ::GetClientRect(window, &rect);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
  return 0;
}

// The whole window, frame included.
int PrintWindowRect(HWND window) {
  if (!window) return 1;
  RECT rect{};
  ::GetWindowRect(window, &rect);
  std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
  return 0;
}

// Waits up to timeoutMs for `ready`; false when it never came.
template <typename Ready>
bool WaitFor(Ready ready, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 100) {
    if (ready()) return true;
    ::Sleep(100);
  }
  return ready();
}

int OpenDiagnostics(HWND main, int topLine) {
  HWND list = main ? ::GetDlgItem(main, kListId) : nullptr;
  if (!list) return 1;
  ::PostMessageW(list, WM_KEYDOWN, VK_END, 0);
  ::PostMessageW(list, WM_KEYUP, VK_END, 0xC0000000);
  ::Sleep(500);
  ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(kDiagnosticsId, BN_CLICKED), 0);
  HWND dialog = nullptr;
  if (!WaitFor([&] { return (dialog = FindWindows().dialog) != nullptr; }, 10000)) return 1;
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kRunDiagnosticsId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, kRunDiagnosticsId)));
  if (!WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(dialog, kExportId)) != FALSE; }, 20000)) return 1;
  ::SendMessageW(::GetDlgItem(dialog, kReportListId), LB_SETTOPINDEX, static_cast<WPARAM>(topLine), 0);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  if (command == L"wait") {
    for (int i = 0; i < 600; ++i) {
      const Found found = FindWindows();
      if (found.main && ::IsWindowEnabled(::GetDlgItem(found.main, kSettingsId))) return 0;
      ::Sleep(100);
    }
    return 1;
  }
  const Found found = FindWindows();
  if (command == L"click" && argc > 2) {
    if (!found.main) return 1;
    ::PostMessageW(::GetDlgItem(found.main, _wtoi(argv[2])), BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"open-properties") {
    HWND list = found.main ? ::GetDlgItem(found.main, kListId) : nullptr;
    if (!list) return 1;
    ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 20));
    return 0;
  }
  if (command == L"open-diagnostics") {
    return OpenDiagnostics(found.main, argc > 2 ? _wtoi(argv[2]) : 0);
  }
  if (command == L"rect") return PrintRect(argc > 2 ? found.main : found.dialog);
  if (command == L"rect-item" && argc > 2) return PrintWindowRect(found.main ? ::GetDlgItem(found.main, _wtoi(argv[2])) : nullptr);
  if (command == L"rect-hint") return PrintWindowRect(found.hint);
  if (command == L"cursor") {
    POINT cursor{};
    if (!::GetCursorPos(&cursor)) return 1;
    std::printf("%ld,%ld\n", cursor.x, cursor.y);
    return 0;
  }
  if (command == L"rect-calibration") return PrintWindowRect(found.calibration);
  if (command == L"click-dialog" && argc > 2) {
    HWND button = found.dialog ? ::GetDlgItem(found.dialog, _wtoi(argv[2])) : nullptr;
    if (!button) return 1;
    ::PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (command == L"close") {
    if (!found.dialog) return 1;
    ::PostMessageW(found.dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
  }
  return 2;
}
