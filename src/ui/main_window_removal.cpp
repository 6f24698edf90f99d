// The main window follows the removal of a touch screen: a removal query closes its handle,
// a completed removal takes it out of the list, tells the other windows, and ends the program
// when it was the last one. Arrivals are not handled: the list is built once.
#include <windows.h>
#include <dbt.h>

#include "base/core/user_messages.h"
#include "calibration/calibration_entry.h"
#include "device/device_services.h"
#include "diagnostics/diagnostics_entry.h"
#include "ui/main_window.h"

LRESULT CPelnixCplDlg::OnDeviceChange(WPARAM event, LPARAM data) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (!header || header->dbch_devicetype != DBT_DEVTYP_HANDLE) return 0;
  const HANDLE handle = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(header)->dbch_handle;
  TouchScreenList& list = m_devices.list();

  switch (event) {
    case DBT_DEVICEQUERYREMOVE: {
      // Our handle must not keep the device from going; the request is always granted.
      const int index = list.FindByHandle(handle);
      if (index >= 0) list.Close(index);
      return TRUE;
    }
    case DBT_DEVICEREMOVEPENDING:
    case DBT_DEVICEREMOVECOMPLETE: {
      const int index = list.FindByHandle(handle);
      if (index >= 0) RemoveTouchScreen(index);
      RefreshList();
      UpdateButtons();
      return TRUE;
    }
    default:
      return 0;
  }
}

void CPelnixCplDlg::RemoveTouchScreen(int index) {
  TouchScreenList& list = m_devices.list();
  if (TouchScreenDevice* device = list.device(index))
    PostMessage(UM_UNREGISTER_NOTIFY, 0, reinterpret_cast<LPARAM>(device->DeviceNotify));

  if (m_pDiagnosis && IsDiagnosisVisible(*m_pDiagnosis) && index == m_nSelected) EndDiagnosis(*m_pDiagnosis, 1);

  const bool calibrating = m_pCalibrateDlg && CalibrationDeviceIndex(*m_pCalibrateDlg) == index;
  if (calibrating) {
    CalibrationDeviceRemoved(*m_pCalibrateDlg);
    m_devices.client().ForgetTouchStream();
  }
  if (index == m_nSelected) m_nSelected = -1;
  // Any removal ends a mapping unsaved; it stops taking touches before the slots move, so that
  // no touch already queued is taken for the touch screen that moves into another's slot.
  if (m_pMatchDlg) StopMappingTouches(*m_pMatchDlg);

  list.RemoveAt(index);
  // The touch screens after it moved down one slot; a calibration window follows its own.
  if (m_pCalibrateDlg && !calibrating) {
    const int calibrated = CalibrationDeviceIndex(*m_pCalibrateDlg);
    if (calibrated > index) SetCalibrationDeviceIndex(*m_pCalibrateDlg, calibrated - 1);
  }

  BroadcastDeviceRemoved(index);
  if (list.count() == 0) ::PostQuitMessage(0);
}

void CPelnixCplDlg::BroadcastDeviceRemoved(int index) {
  // Every top-level window of this program hears of it; other programs' windows, which
  // may give the same message number a meaning of their own, do not.
  struct Broadcast {
    DWORD process;
    LPARAM index;
  } broadcast{::GetCurrentProcessId(), index};
  ::EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        const auto& message = *reinterpret_cast<const Broadcast*>(data);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == message.process) ::PostMessageW(window, UM_DEVICE_REMOVED, 0, message.index);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&broadcast));
}
