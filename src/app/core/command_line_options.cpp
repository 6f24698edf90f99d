#include "app/core/command_line_options.h"

std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

void CommandLineOptions::ParseParam(const std::wstring& param, bool isFlag, bool) {
  if (isFlag) {
    m_options[param] = L"TRUE";
    m_strLastFlag = param;
  } else if (!m_strLastFlag.empty()) {
    m_options[AsciiUpper(m_strLastFlag)] = param;
    m_strLastFlag.clear();
  }
}

std::optional<std::wstring> CommandLineOptions::GetOption(const std::wstring& name) const {
  const auto found = m_options.find(AsciiUpper(name));
  if (found == m_options.end()) return std::nullopt;
  return found->second;
}
