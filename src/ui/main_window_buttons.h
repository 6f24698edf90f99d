#pragma once
// The class of the main window's eight buttons.
#include "framework/controls.h"

using MainWindowButton = CButton;
