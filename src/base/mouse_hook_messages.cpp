#include "base/mouse_hook_messages.h"

#include "base/core/user_messages.h"

namespace {
MouseHookMessages g_messages;
}

const MouseHookMessages& RegisterMouseHookMessages() {
  g_messages.down = RegisterWindowMessageW(kMouseDownMessageName);
  g_messages.up = RegisterWindowMessageW(kMouseUpMessageName);
  g_messages.move = RegisterWindowMessageW(kMouseMoveMessageName);
  return g_messages;
}

const MouseHookMessages& GetMouseHookMessages() { return g_messages; }
