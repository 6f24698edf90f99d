#pragma once
// The part of the driver settings the system itself must share: its double-click time and
// area, and the cursors, replaced by an invisible one to hide the mouse cursor. Called after
// the settings have gone to PelnixLib.dll.
#include <cstdint>

// Double-click values to the running system (and, when enabled, to "Control Panel\Mouse" of
// the current user), then the cursors hidden or restored and reloaded.
void ApplySystemSettings(std::int32_t enableDoubleClick, std::int32_t doubleClickTime,
                         std::int32_t doubleClickArea, std::int32_t hideCursor);

// Every system cursor of the current user set to the null cursor.
void HideCursors();

// Every system cursor of the current user set to the system's default (an empty value). A
// scheme chosen before is not remembered.
void RestoreCursors();
