#pragma once
// Conversions between the program's wide texts and the 8-bit texts of the console and files.
#include <string>
#include <string_view>

std::string ToAnsi(const std::wstring& text);   // the ANSI code page, as the console prints it
std::wstring FromAnsi(const std::string& text);

// The same in a given code page (CP_ACP, CP_UTF8, ...).
std::string ToCodePage(unsigned codePage, std::wstring_view text);
std::wstring FromCodePage(unsigned codePage, std::string_view bytes);
