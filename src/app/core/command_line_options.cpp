#include "app/core/command_line_options.h"

std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

void CommandLineOptions::ParseParam(const std::wstring& param, bool isFlag, bool) {
  if (isFlag) {
    options_[param] = L"TRUE";
    lastFlag_ = param;
  } else if (!lastFlag_.empty()) {
    options_[AsciiUpper(lastFlag_)] = param;
    lastFlag_.clear();
  }
}

std::optional<std::wstring> CommandLineOptions::GetOption(const std::wstring& name) const {
  const auto found = options_.find(AsciiUpper(name));
  if (found == options_.end()) return std::nullopt;
  return found->second;
}
