#pragma once
// The class of the main window's eight buttons.
#include "framework/controls/xp_button.h"

using MainWindowButton = CXPButton;
