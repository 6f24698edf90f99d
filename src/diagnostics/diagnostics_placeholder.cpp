// Until the diagnostics dialog exists (its button stays disabled in any case).
#include "diagnostics/diagnostics_entry.h"

CDiagnosis* CreateDiagnosis(CWnd*) { return nullptr; }
void DeleteDiagnosis(CDiagnosis*) {}
void RunDiagnosis(CDiagnosis&, int) {}
bool IsDiagnosisVisible(const CDiagnosis&) { return false; }
void EndDiagnosis(CDiagnosis&, int) {}
