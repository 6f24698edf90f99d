#pragma once
#include <string>

// The console command -e: copies the driver's stored configuration into an INI file and
// reports on standard output. fileArgument is the text that followed the flag.
void RunConfigExport(const std::wstring& fileArgument);
