#pragma once
// Resource ids of the main window (dialog 102) and of its two list images.
#define IDD_PELNIXCPL_DIALOG 102
#define IDB_CALIBRATED 175    // list image 1: a calibrated touch screen
#define IDB_UNCALIBRATED 176  // list image 0: any other
// The same two images drawn for monitors at 150 % and 200 %.
#define IDB_CALIBRATED_150 1175
#define IDB_CALIBRATED_200 2175
#define IDB_UNCALIBRATED_150 1176
#define IDB_UNCALIBRATED_200 2176

#define IDC_TOUCHSCREEN_LIST 1064
#define IDC_MAPPING 1070
#define IDC_CALIBRATE 1056
#define IDC_REGION_CALIBRATE 1105
#define IDC_SETTINGS 1053
#define IDC_DIAGNOSTICS 1054
#define IDC_ABOUT 1055
#define IDC_HELP_MANUAL 57670
#define IDC_LIST_GROUP 1117
#define IDC_CALIBRATION_HINT 1118
#define IDC_CALIBRATE_AFTER 1119
#define IDC_CALIBRATE_NEW_MODEL 1120
#define IDC_CALIBRATE_INACCURATE 1125
#define IDC_MAPPING_AFTER 1122
#define IDC_MAPPING_SEVERAL 1123
#define IDC_REGION_AFTER 1124
#define IDC_REGION_PART 1121
#define IDC_LOGO_PICTURE 1089
