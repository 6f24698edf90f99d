#pragma once
// The main window under test: simulated touch screens plugged in, their driver records stored
// through our PelnixLib.dll, the device thread running, and the real window run modally on a
// thread of its own (ModalDialogThread), read and driven by messages from the test.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/test_driver_library.h"
#include "base/core/user_messages.h"
#include "config/driver_library.h"
#include "simulator/simulated_touch_screen.h"
#include "support/process_runner.h"
#include "ui/main_window.h"
#include "ui/res/main_window_ids.h"
#include "windows/config_test_registry.h"
#include "support/test_devices.h"
#include "windows/ui_modal_dialog.h"

namespace main_window_test {

// One touch screen: the number it answers to "v1", and the driver's record for that number.
struct Screen {
  std::uint8_t number;
  std::int32_t monitor;
  std::int32_t calibrated;
};

// Plugs the screens in (before the list is built), stores their records, builds the test's
// device services and starts their device thread. Once per process: the list is built once.
inline std::vector<std::shared_ptr<SimulatedTouchScreen>> Prepare(const std::vector<Screen>& screens) {
  std::vector<std::shared_ptr<SimulatedTouchScreen>> plugged;
  EXPECT_TRUE(TestDriverLibrary().LoadFrom(DistPath(kDriverLibraryName)));
  config_test::ClearDriverKeys();
  for (const Screen& screen : screens) {
    sim::TouchScreenConfig config;
    config.number = screen.number;
    plugged.push_back(SimulatedHid().Add(config));
    DeviceParameters record{};
    record.TouchScreenNo = screen.number;
    record.MonitorID = screen.monitor;
    record.IsCalibrate = screen.calibrated;
    EXPECT_TRUE(TestDriverLibrary().SetDeviceParameters(0x1000u + screen.number, record));
  }
  EXPECT_EQ(TestDevices().list().count(), screens.size());
  EXPECT_TRUE(TestDevices().StartDeviceThread());
  return plugged;
}

// Every UM_DEVICE_REMOVED that reached a top-level window of the program (the listener runs
// on the window's thread, the test reads on its own).
struct RemovalLog {
  std::mutex mutex;
  std::vector<LPARAM> indexes;
};
inline RemovalLog& Removals() {
  static RemovalLog log;
  return log;
}
inline std::vector<LPARAM> RemovedIndexes() {
  std::lock_guard<std::mutex> lock(Removals().mutex);
  return Removals().indexes;
}
inline void ClearRemovedIndexes() {
  std::lock_guard<std::mutex> lock(Removals().mutex);
  Removals().indexes.clear();
}

// A hidden top-level window of the program that records the removal broadcasts.
inline HWND CreateRemovalListener() {
  WNDCLASSW windowClass{};
  windowClass.lpszClassName = L"PelnixRemovalListener";
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpfnWndProc = [](HWND window, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == UM_DEVICE_REMOVED) {
      std::lock_guard<std::mutex> lock(Removals().mutex);
      Removals().indexes.push_back(lp);
    }
    return ::DefWindowProcW(window, msg, wp, lp);
  };
  ::RegisterClassW(&windowClass);
  return ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// The main window, running modally on its own thread from construction on.
class MainWindowRun {
public:
  MainWindowRun()
      : m_dialog([this] {
          m_hListener = CreateRemovalListener();
          const INT_PTR result = m_window.DoModal();
          // The program would end here; the quit message of a last removal is taken away.
          MSG msg;
          m_bQuit = ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
          ::DestroyWindow(m_hListener);
          return result;
        }) {}

  ModalDialogThread& dialog() { return m_dialog; }
  CPelnixCplDlg& window() { return m_window; }
  bool quitPosted() const { return m_bQuit; }

  bool WaitForListReady(DWORD timeoutMs = ModalDialogThread::kHangLimitMs) {
    return ModalDialogThread::WaitUntil([this] { return m_window.IsListReady(); }, timeoutMs);
  }

  HWND List() const { return const_cast<MainWindowRun*>(this)->m_dialog.Item(IDC_TOUCHSCREEN_LIST); }
  int ItemCount() const { return static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
  std::wstring ItemText(int item) const {
    wchar_t buffer[256] = {};
    LVITEMW lv{};
    lv.pszText = buffer;
    lv.cchTextMax = 256;
    ::SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    return buffer;
  }
  int ItemImage(int item) const {
    LVITEMW lv{};
    lv.mask = LVIF_IMAGE;
    lv.iItem = item;
    ::SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv));
    return lv.iImage;
  }
  int SelectedItem() const {
    return static_cast<int>(::SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }
  void Select(int item) const {
    LVITEMW lv{};
    lv.state = LVIS_SELECTED | LVIS_FOCUSED;
    lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
  }
  // The four action buttons as UpdateButtons left them: all enabled, all disabled, or mixed.
  std::string ActionButtons() {
    const int ids[] = {IDC_CALIBRATE, IDC_REGION_CALIBRATE, IDC_MAPPING, IDC_SETTINGS};
    int enabled = 0;
    for (int id : ids) enabled += m_dialog.Enabled(id) ? 1 : 0;
    return enabled == 4 ? "enabled" : enabled == 0 ? "disabled" : "mixed";
  }
  // Waits until the item shows the text (a "v1" reply may refresh it after the list is ready).
  bool WaitForItemText(int item, const std::wstring& text, DWORD timeoutMs = ModalDialogThread::kHangLimitMs) {
    return ModalDialogThread::WaitUntil([&] { return ItemText(item) == text; }, timeoutMs);
  }
  // A device event as the system sends it to the window.
  LRESULT DeviceEvent(WPARAM event, HANDLE handle) {
    DEV_BROADCAST_HANDLE broadcast{};
    broadcast.dbch_size = sizeof(broadcast);
    broadcast.dbch_devicetype = DBT_DEVTYP_HANDLE;
    broadcast.dbch_handle = handle;
    return ::SendMessageW(m_dialog.window(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&broadcast));
  }

private:
  CPelnixCplDlg m_window{TestDevices(), TestDriverLibrary()};
  HWND m_hListener = nullptr;
  std::atomic<bool> m_bQuit{false};
  ModalDialogThread m_dialog;  // last: it starts running the window at once
};

// The visible topmost window of the main window's thread: a calibration or mapping window.
inline HWND TopmostWindowOf(DWORD thread) {
  HWND found = nullptr;
  ::EnumThreadWindows(thread, [](HWND window, LPARAM out) -> BOOL {
    if (!::IsWindowVisible(window) || !(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

inline std::wstring ItemTextFor(int number, int monitor) {
  return L"TouchScreen No." + std::to_wstring(number) + L" \n   Monitor     No." + std::to_wstring(monitor);
}

}  // namespace main_window_test
