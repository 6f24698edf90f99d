#include "framework/dialog_texts.h"

#include "base/language.h"

void SetControlTexts(HWND dialog, std::span<const ControlText> texts) {
  for (const ControlText& text : texts)
    ::SetDlgItemTextW(dialog, text.id, LoadLangString(text.key).c_str());
}
