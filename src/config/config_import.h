#pragma once
#include <string>

// The console command -i: validates an INI file value by value and writes it into the
// driver's registry keys, reporting on standard output.
void RunConfigImport(const std::wstring& fileArgument);
