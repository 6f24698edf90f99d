#pragma once
#include <windows.h>

// The numbers of the three messages the mouse hook posts, registered by name at start-up so
// that the program and the hook library agree on them.
struct MouseHookMessages {
  UINT down = 0;
  UINT up = 0;
  UINT move = 0;
};
const MouseHookMessages& RegisterMouseHookMessages();
const MouseHookMessages& GetMouseHookMessages();
