#pragma once
// The options of the command line: each flag is stored under its name as typed, with the
// value "TRUE" until a following argument replaces it. A value is stored under the flag's
// upper-cased name, so only an upper-case flag keeps the argument that follows it visible to
// lookups, which fold the name asked for to upper case.
#include <map>
#include <optional>
#include <string>

class CommandLineOptions {
public:
  void ParseParam(const std::wstring& param, bool isFlag, bool isLast);
  std::optional<std::wstring> GetOption(const std::wstring& name) const;
  bool empty() const { return m_options.empty(); }
  const std::map<std::wstring, std::wstring>& options() const { return m_options; }

private:
  std::map<std::wstring, std::wstring> m_options;  // names compare case-sensitively
  std::wstring m_strLastFlag;
};

// ASCII letters to upper case; everything else unchanged.
std::wstring AsciiUpper(std::wstring text);
