#include "update/core/image_path.h"

std::wstring ResolveImagePath(const std::wstring& name, const std::wstring& currentDirectory) {
  if (name.find_first_of(L"\\/:") != std::wstring::npos) return name;
  std::wstring path = currentDirectory;
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path + name;
}
