#include "base/text.h"

#include <windows.h>

std::string ToCodePage(unsigned codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring FromCodePage(unsigned codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), size);
  return out;
}

std::string ToAnsi(const std::wstring& text) { return ToCodePage(CP_ACP, text); }

std::wstring FromAnsi(const std::string& text) { return FromCodePage(CP_ACP, text); }
