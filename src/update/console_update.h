#pragma once
#include <string>

// The console command -u: checks a firmware image file and updates every attached touch
// screen from it, reporting progress on the console.
void RunConsoleUpdate(const std::wstring& fileArgument);
