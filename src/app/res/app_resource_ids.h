#pragma once
// Resource ids of the program as a whole.
#define IDR_MAINFRAME 128  // the program's icon
