#include "config/ini_file.h"

#include <windows.h>

#include <vector>

#include "base/scoped_handle.h"
#include "base/text.h"

namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk)
      return false;
    done += chunk;
  }
  return true;
}

}  // namespace

std::optional<IniFileText> ReadIniFile(const std::wstring& path) {
  const ScopedFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return IniFileText{};
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  std::string bytes;
  bool read = GetFileSizeEx(file.get(), &size) && size.QuadPart < (std::int64_t{1} << 31);
  if (read) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    read = bytes.empty() ||
           (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
            got == bytes.size());
  }
  if (!read) return std::nullopt;

  IniFileText result;
  result.existed = true;
  const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() >= 2 && raw[0] == 0xFF && raw[1] == 0xFE) {
    result.encoding = IniEncoding::Utf16Le;
    result.text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  } else if (bytes.size() >= 2 && raw[0] == 0xFE && raw[1] == 0xFF) {
    result.encoding = IniEncoding::Utf16Be;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      result.text += static_cast<wchar_t>(raw[i] << 8 | raw[i + 1]);
  } else if (bytes.size() >= 3 && raw[0] == 0xEF && raw[1] == 0xBB && raw[2] == 0xBF) {
    result.encoding = IniEncoding::Utf8;
    result.text = FromCodePage(CP_UTF8, std::string_view(bytes.data() + 3, bytes.size() - 3));
  } else {
    result.text = FromCodePage(CP_ACP, std::string_view(bytes.data(), bytes.size()));
  }
  return result;
}

IniEncoding EncodingFor(const std::wstring& text, IniEncoding current) {
  if (current != IniEncoding::Ansi || text.empty() || GetACP() == CP_UTF8) return current;
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       &usedDefault);
  return size > 0 && !usedDefault ? IniEncoding::Ansi : IniEncoding::Utf16Le;
}

bool WriteIniFile(const std::wstring& path, const std::wstring& text, IniEncoding encoding) {
  std::string bytes;
  switch (encoding) {
    case IniEncoding::Ansi:
      bytes = ToCodePage(CP_ACP, text);
      break;
    case IniEncoding::Utf8:
      bytes = "\xEF\xBB\xBF" + ToCodePage(CP_UTF8, text);
      break;
    case IniEncoding::Utf16Le:
      bytes = "\xFF\xFE";
      bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
      break;
    case IniEncoding::Utf16Be:
      bytes = "\xFE\xFF";
      for (wchar_t c : text) {
        bytes += static_cast<char>(c >> 8);
        bytes += static_cast<char>(c & 0xFF);
      }
      break;
  }

  // The temporary file lies in the same folder, so that the replacement is a rename.
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
  wchar_t temporary[MAX_PATH + 14];
  if (folder.size() >= MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"pnx", 0, temporary))
    return false;
  ScopedFileHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  bool written = file && WriteAll(file.get(), bytes);
  // Closed before the rename; a failed close may have lost written data.
  if (file) written = file.reset() && written;
  if (written)
    written = MoveFileExW(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!written) DeleteFileW(temporary);
  return written;
}
