#pragma once
#include <string>

std::wstring GetModuleDir();   // the executable's folder, without a trailing backslash
std::wstring GetCurrentDir();  // the current folder, with exactly one trailing backslash
