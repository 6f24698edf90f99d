#pragma once
// Conversions between the program's wide texts and the 8-bit texts of the console and files.
#include <string>

std::string ToAnsi(const std::wstring& text);   // the ANSI code page, as the console prints it
std::wstring FromAnsi(const std::string& text);
