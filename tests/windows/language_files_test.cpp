// The language files as the program finds them in its Language folder: their bytes (real
// Windows reads a Unicode profile file only as UTF-16LE with a byte-order mark, Wine is
// more lenient, so the bytes are checked here) and what GetPrivateProfileStringW reads.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/core/language_keys.h"

namespace {

const char* const kLanguageIds[] = {"1033", "2052", "1041"};

// Every key the program asks for, from the table of named keys.
std::vector<std::wstring> AllKeys() {
  std::vector<std::wstring> keys;
  for (LangKey key : kLangKeys) keys.push_back(LangKeyName(key));
  return keys;
}

// PELNIX_DIST_DIR is a Unix path; Wine maps the Unix root to drive Z:.
std::wstring WindowsPath(const std::string& unixPath) {
  std::wstring path = unixPath.starts_with('/') ? L"Z:" : L"";
  for (char c : unixPath) path += (c == '/') ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

std::wstring LanguageFile(const char* id) {
  const char* dist = std::getenv("PELNIX_DIST_DIR");
  return WindowsPath(dist ? dist : ".") + L"\\Language\\" + std::wstring(id, id + 4) + L".ini";
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Decodes UTF-16LE after the byte-order mark; fails the test on an odd length, an
// unpaired surrogate or a NUL character.
std::wstring DecodeUtf16Le(const std::vector<unsigned char>& bytes, const char* id) {
  EXPECT_EQ(bytes.size() % 2, 0u) << id;
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    EXPECT_NE(c, L'\0') << id << " at " << i;
    if (c >= 0xD800 && c <= 0xDBFF) {
      bool paired = i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      EXPECT_TRUE(paired) << id << ": unpaired high surrogate at " << i;
      if (paired) ++i;
    } else {
      EXPECT_FALSE(c >= 0xDC00 && c <= 0xDFFF) << id << ": unpaired low surrogate at " << i;
    }
  }
  return text;
}

// Splits at CR LF; fails the test on a lone CR or LF and on a last line without CR LF.
std::vector<std::wstring> SplitCrLfLines(const std::wstring& text, const char* id) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n') {
      ADD_FAILURE() << id << ": line feed without carriage return, line " << lines.size() + 1;
    } else if (text[i] == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') {
        lines.push_back(text.substr(start, i - start));
        start = ++i + 1;
      } else {
        ADD_FAILURE() << id << ": carriage return without line feed, line " << lines.size() + 1;
      }
    }
  }
  EXPECT_EQ(start, text.size()) << id << ": the last line does not end with CR LF";
  return lines;
}

std::wstring ReadValue(const std::wstring& file, const std::wstring& key) {
  wchar_t buffer[1024] = {};
  GetPrivateProfileStringW(L"Language", key.c_str(), key.c_str(), buffer, 1024, file.c_str());
  return buffer;
}

TEST(LanguageFiles, AreUtf16LeWithByteOrderMarkAndCrLf) {
  for (const char* id : kLanguageIds) {
    std::vector<unsigned char> bytes = ReadBytes(LanguageFile(id));
    ASSERT_GE(bytes.size(), 4u) << id << ": missing or empty";
    EXPECT_EQ(bytes[0], 0xFF) << id;
    EXPECT_EQ(bytes[1], 0xFE) << id;
    std::wstring text = DecodeUtf16Le(bytes, id);
    ASSERT_FALSE(text.empty()) << id;
    EXPECT_NE(text[0], 0xFEFF) << id << ": a second byte-order mark";
    SplitCrLfLines(text, id);
  }
}

// Each file is one [Language] section that holds every key once and nothing else, with
// a line feed written only as the two characters \n.
TEST(LanguageFiles, HoldEveryKeyOnceInOneSection) {
  std::vector<std::wstring> expected = AllKeys();
  for (const char* id : kLanguageIds) {
    std::vector<std::wstring> lines =
        SplitCrLfLines(DecodeUtf16Le(ReadBytes(LanguageFile(id)), id), id);
    std::map<std::wstring, int> seen;
    int sections = 0;
    for (const std::wstring& line : lines) {
      if (line.empty() || line[0] == L';') continue;
      if (line[0] == L'[') {
        EXPECT_EQ(line, L"[Language]") << id;
        ++sections;
        continue;
      }
      size_t eq = line.find(L'=');
      ASSERT_NE(eq, std::wstring::npos) << id << ": a line that is no key";
      EXPECT_EQ(sections, 1) << id << ": a key outside the section";
      std::wstring value = line.substr(eq + 1);
      EXPECT_FALSE(value.empty()) << id << " key " << line.substr(0, eq).c_str();
      EXPECT_LE(value.size(), 1023u) << id;
      for (size_t b = value.find(L'\\'); b != std::wstring::npos; b = value.find(L'\\', b + 2))
        EXPECT_EQ(value.substr(b, 2), L"\\n") << id << ": a backslash that is not \\n";
      ++seen[line.substr(0, eq)];
    }
    EXPECT_EQ(sections, 1) << id;
    EXPECT_EQ(seen.size(), expected.size()) << id << ": keys other than the program's";
    for (const std::wstring& key : expected)
      EXPECT_EQ(seen[key], 1) << id << " key " << std::string(key.begin(), key.end());
  }
}

// What the program reads: every key has a text of its own in every file.
TEST(LanguageFiles, ProfileApiReadsEveryKey) {
  for (const char* id : kLanguageIds) {
    std::wstring file = LanguageFile(id);
    for (const std::wstring& key : AllKeys()) {
      std::wstring value = ReadValue(file, key);
      EXPECT_FALSE(value.empty()) << id << " key " << std::string(key.begin(), key.end());
      EXPECT_NE(value, key) << id << " key " << std::string(key.begin(), key.end())
                            << " not found";
    }
  }
}

TEST(LanguageFiles, ProfileApiReadsTextsExactly) {
  std::wstring en = LanguageFile("1033"), zh = LanguageFile("2052"), ja = LanguageFile("1041");

  EXPECT_EQ(ReadValue(en, L"79"), L"TouchScreen Control Panel");
  EXPECT_EQ(ReadValue(en, L"3"), L"Region\\nCalibrate");
  EXPECT_EQ(ReadValue(en, L"47"),
            L"2. The calibration coordinates are detemined by the point where the finger "
            L"leaves the touchscreen.");
  // The group box caption keeps its trailing blank: the quotes around it are dropped.
  EXPECT_EQ(ReadValue(en, L"9"), L"TouchScreen List ");

  EXPECT_EQ(ReadValue(zh, L"79"), L"触摸屏控制面板");
  EXPECT_EQ(ReadValue(zh, L"3"), L"区域\\n校准");
  EXPECT_EQ(ReadValue(zh, L"9"), L"触摸屏列表 ");
  EXPECT_EQ(ReadValue(zh, L"71"), L"未找到触摸屏");

  EXPECT_EQ(ReadValue(ja, L"79"), L"タッチスクリーン コントロールパネル");
  EXPECT_EQ(ReadValue(ja, L"39"), L"キャンセル");
  EXPECT_EQ(ReadValue(ja, L"3"), L"領域\\n校正");
  EXPECT_EQ(ReadValue(ja, L"71"), L"タッチスクリーンが見つかりません");
}

// A translated file left as a copy of the English one would pass every check above.
TEST(LanguageFiles, TranslationsDifferFromEnglish) {
  std::wstring en = LanguageFile("1033");
  for (const char* id : {"2052", "1041"}) {
    std::wstring file = LanguageFile(id);
    int same = 0;
    for (const std::wstring& key : AllKeys())
      if (ReadValue(file, key) == ReadValue(en, key)) ++same;
    // Only the maker's name, the copyright line and "OK" may stay in English.
    EXPECT_LE(same, 3) << id;
  }
}

}  // namespace
