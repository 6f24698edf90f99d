#pragma once
// Captions of a dialog's controls from the language strings, replaced when the dialog opens.
#include <windows.h>

#include <span>

struct ControlText {
  int id;
  const wchar_t* key;  // language key
};

// Sets each control's text to its key's language string (the key itself when it is missing).
void SetControlTexts(HWND dialog, std::span<const ControlText> texts);
