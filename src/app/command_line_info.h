#pragma once
// CCommandLineInfoEx: the framework's command-line parser, collecting the options map.
#include <optional>
#include <string>

#include "app/core/command_line_options.h"
#include "framework/win_app.h"

class CCommandLineInfoEx : public CCommandLineInfo {
public:
  void ParseParam(const wchar_t* param, BOOL flag, BOOL last) override {
    m_options.ParseParam(param, flag != FALSE, last != FALSE);
    CCommandLineInfo::ParseParam(param, flag, last);
  }
  bool GetOption(const std::wstring& name, std::wstring& value) const {
    const auto found = m_options.GetOption(name);
    if (found) value = *found;
    return found.has_value();
  }
  bool HasOptions() const { return !m_options.empty(); }
  const CommandLineOptions& options() const { return m_options; }

private:
  CommandLineOptions m_options;
};
