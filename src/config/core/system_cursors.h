#pragma once
// The system cursors the control panel replaces to hide the mouse cursor.
#include <array>

// Values of "Control Panel\Cursors", in the order they are written.
inline constexpr std::array<const wchar_t*, 15> kSystemCursorNames{
    L"Arrow", L"AppStarting", L"Hand",     L"Wait",     L"Crosshair",
    L"Help",  L"IBeam",       L"No",       L"NWPen",    L"SizeAll",
    L"SizeNESW", L"SizeNS",   L"SizeNWSE", L"SizeWE",   L"UpArrow"};

// The invisible cursor the driver package installs; an expandable path.
inline constexpr const wchar_t* kNullCursorPath = L"%SYSTEMROOT%\\Cursors\\null.cur";
