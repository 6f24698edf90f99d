#pragma once
// Where the console update looks for its image file.
#include <string>

// A bare file name (no backslash, slash or drive colon) is looked up in the current
// directory; any other name is used as it is, relative or absolute.
std::wstring ResolveImagePath(const std::wstring& name, const std::wstring& currentDirectory);
