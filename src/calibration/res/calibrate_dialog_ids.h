#pragma once
// Resource ids of the calibration window (dialog 136) and of the region hint (dialog 172).
#define IDD_CALIBRATE 136
#define IDC_RECALIBRATE 1057
#define IDC_CALIBRATE_CANCEL 1069
#define IDC_HINT_STILL 1090         // opening hints 1090 to 1093
#define IDC_HINT_LIFT 1091
#define IDC_HINT_BULLSEYE 1092
#define IDC_HINT_ESCAPE 1093
#define IDC_HINT_DRAW 1094          // after-calibration hints 1094 to 1096
#define IDC_HINT_BEFORE_AGAIN 1095
#define IDC_HINT_DISCARD 1096
#define IDC_TOUCHES_DISAGREE 1097   // the four touches do not agree

#define IDD_REGION_HINT 172
#define IDC_REGION_HINT_TEXT 1090
