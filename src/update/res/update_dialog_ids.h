#pragma once
// Resource ids of the firmware update dialog.
#define IDD_UPDATE 132

#define IDC_UPDATE_PROGRESS 1083
#define IDC_UPDATE_PERCENT 1084
#define IDC_UPDATE_STATUS 1085
#define IDC_UPDATE_SENDING 1086
