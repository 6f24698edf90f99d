#pragma once
// Resource ids of the LED diagnostics dialog.
#define IDD_DIAGNOSIS 134

#define IDC_DIAGNOSIS_START 1063
#define IDC_DIAGNOSIS_EXPORT 1057
#define IDC_DIAGNOSIS_GROUP 1137
#define IDC_DIAGNOSIS_LIST 1018
