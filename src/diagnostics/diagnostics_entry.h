#pragma once
// The LED diagnostics dialog as the main window holds and runs it.
#include <memory>

class CWnd;
class CDiagnosis;
class DeviceServices;

// Built once with the main window and released with it.
CDiagnosis* CreateDiagnosis(CWnd* mainWindow, DeviceServices& devices);
void DeleteDiagnosis(CDiagnosis* dialog);
// The owner's deleter: the dialog's type is complete only behind this header.
struct DiagnosisDeleter {
  void operator()(CDiagnosis* dialog) const { DeleteDiagnosis(dialog); }
};
using DiagnosisPtr = std::unique_ptr<CDiagnosis, DiagnosisDeleter>;

// Diagnostics button: the dialog runs modally for the touch screen at deviceIndex.
void RunDiagnosis(CDiagnosis& dialog, int deviceIndex);
bool IsDiagnosisVisible(const CDiagnosis& dialog);
// Its touch screen was unplugged while it runs: it ends with this result.
void EndDiagnosis(CDiagnosis& dialog, int result);
