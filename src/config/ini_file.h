#pragma once
// A whole INI file as wide text, read and written in the encodings the profile functions
// know: 8-bit text in the ANSI code page, or UTF-16LE, UTF-16BE or UTF-8 after a byte-order
// mark.
#include <optional>
#include <string>

enum class IniEncoding { Ansi, Utf16Le, Utf16Be, Utf8 };

struct IniFileText {
  std::wstring text;
  IniEncoding encoding = IniEncoding::Ansi;
  bool existed = false;
};

// The file's text; an empty ANSI text when the file does not exist; nothing when it exists
// but cannot be read, or its folder is missing.
std::optional<IniFileText> ReadIniFile(const std::wstring& path);

// The encoding to write a text in: the file's own, unless an 8-bit file cannot hold the text
// in the ANSI code page; then UTF-16LE with its mark, which Windows reads as Unicode.
IniEncoding EncodingFor(const std::wstring& text, IniEncoding current);

// Writes the whole file at once through a temporary file beside it, so that a failed write
// leaves the old file as it was. False when it could not be written.
bool WriteIniFile(const std::wstring& path, const std::wstring& text, IniEncoding encoding);
