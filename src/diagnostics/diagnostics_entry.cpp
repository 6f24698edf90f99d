// The diagnostics dialog as the main window holds and runs it.
#include "diagnostics/diagnostics_entry.h"

#include "diagnostics/diagnosis_dialog.h"

CDiagnosis* CreateDiagnosis(CWnd* mainWindow, DeviceServices& devices) {
  return new CDiagnosis(devices, mainWindow);
}

void DeleteDiagnosis(CDiagnosis* dialog) { delete dialog; }

void RunDiagnosis(CDiagnosis& dialog, int deviceIndex) {
  dialog.SetDeviceIndex(deviceIndex);
  dialog.DoModal();
}

bool IsDiagnosisVisible(const CDiagnosis& dialog) {
  return dialog.m_hWnd && dialog.IsWindowVisible();
}

void EndDiagnosis(CDiagnosis& dialog, int result) {
  if (dialog.m_hWnd) dialog.EndDialog(result);
}
