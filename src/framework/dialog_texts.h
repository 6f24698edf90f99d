#pragma once
// Captions of a dialog's controls from the language strings, replaced when the dialog opens.
#include <windows.h>

#include <span>

#include "base/core/language_keys.h"

struct ControlText {
  int id;
  LangKey key;
};

// Sets each control's text to its key's language string (the key's number when it is missing).
void SetControlTexts(HWND dialog, std::span<const ControlText> texts);
