#pragma once
// Resource ids of the "About" dialog and its logo bitmap.
#define IDD_ABOUT 133
#define IDB_LOGO 177
#define IDB_LOGO_150 1177  // the logo drawn for 150 % and 200 %
#define IDB_LOGO_200 2177

#define IDC_ABOUT_LOGO 1089
#define IDC_ABOUT_MAKER 1136
#define IDC_DRIVER_VERSION_LABEL 1134
#define IDC_CONTROL_PANEL_VERSION_LABEL 1135
#define IDC_DRIVER_VERSION 1141
#define IDC_CONTROL_PANEL_VERSION 1142
#define IDC_ABOUT_NOTICE1 1139
#define IDC_ABOUT_NOTICE2 1140
#define IDC_ABOUT_LINK 1071
#define IDC_ABOUT_RULE 1143
#define IDC_ABOUT_UPDATE 1057
