// The system-settings step: the three mouse values and the 15 cursors of the current user
// in Wine's registry, after Apply with each combination of double click and cursor hiding.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "config/core/system_cursors.h"
#include "config/system_settings.h"
#include "support/process_runner.h"

namespace {

std::wstring ReadString(const wchar_t* path, const wchar_t* name, DWORD* type = nullptr,
                        DWORD* bytes = nullptr) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"<no key>";
  wchar_t buffer[512] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t), valueType = 0;
  const LONG status = RegQueryValueExW(key, name, nullptr, &valueType,
                                       reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return L"<missing>";
  if (type) *type = valueType;
  if (bytes) *bytes = size;
  return buffer;
}

void WriteString(const wchar_t* path, const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * 2));
  RegCloseKey(key);
}

constexpr const wchar_t* kMouse = L"Control Panel\\Mouse";
constexpr const wchar_t* kCursors = L"Control Panel\\Cursors";
constexpr const wchar_t* kMouseValues[] = {L"DoubleClickWidth", L"DoubleClickHeight",
                                           L"DoubleClickSpeed"};

// The user's mouse and cursor values are put back after each test.
class ConfigSystemSettings : public testing::Test {
protected:
  void SetUp() override {
    for (const wchar_t* name : kMouseValues) m_saved.emplace_back(ReadString(kMouse, name));
    WriteString(kMouse, L"DoubleClickWidth", L"4");
    WriteString(kMouse, L"DoubleClickHeight", L"4");
    WriteString(kMouse, L"DoubleClickSpeed", L"500");
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kCursors, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegCloseKey(key);
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i)
      if (m_saved[i][0] != L'<') WriteString(kMouse, kMouseValues[i], m_saved[i]);
    RestoreCursors();
    SystemParametersInfoW(SPI_SETDOUBLECLICKTIME, 500, nullptr, 0);
  }

  void ExpectCursors(const std::wstring& file) {
    for (const wchar_t* name : kSystemCursorNames) {
      DWORD type = 0, bytes = 0;
      EXPECT_EQ(ReadString(kCursors, name, &type, &bytes), file) << name;
      EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ)) << name;
      EXPECT_EQ(bytes, (file.size() + 1) * sizeof(wchar_t)) << name;  // terminating null stored
    }
  }

  std::vector<std::wstring> m_saved;
};

}  // namespace

TEST_F(ConfigSystemSettings, DoubleClickOnCursorsHidden) {
  ApplySystemSettings(1, 400, 8, 1);
  DWORD type = 0, bytes = 0;
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickWidth", &type, &bytes), L"8");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(bytes, 4u);
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickHeight"), L"8");
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickSpeed"), L"400");
  EXPECT_EQ(GetDoubleClickTime(), 400u);
  ExpectCursors(L"%SYSTEMROOT%\\Cursors\\null.cur");
}

TEST_F(ConfigSystemSettings, DoubleClickOnCursorsShown) {
  ApplySystemSettings(1, 1000, 32, 0);
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickWidth"), L"32");
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickHeight"), L"32");
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickSpeed"), L"1000");
  ExpectCursors(L"");
}

TEST_F(ConfigSystemSettings, DoubleClickOffWritesNoMouseValues) {
  ApplySystemSettings(0, 400, 8, 1);
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickWidth"), L"4");
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickHeight"), L"4");
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickSpeed"), L"500");
  ExpectCursors(L"%SYSTEMROOT%\\Cursors\\null.cur");

  ApplySystemSettings(0, 400, 8, 0);
  EXPECT_EQ(ReadString(kMouse, L"DoubleClickSpeed"), L"500");
  ExpectCursors(L"");
}

TEST_F(ConfigSystemSettings, CursorsAreRewrittenOnEveryApply) {
  ApplySystemSettings(1, 500, 12, 1);
  // A cursor changed by hand in between is set again though HideCursor did not change.
  WriteString(kCursors, L"No", L"custom.cur");
  ApplySystemSettings(1, 500, 12, 1);
  ExpectCursors(L"%SYSTEMROOT%\\Cursors\\null.cur");
  ApplySystemSettings(1, 500, 12, 0);
  ExpectCursors(L"");
}

TEST(ConfigNullCursor, ShippedCursorIsInvisible) {
  HCURSOR cursor = static_cast<HCURSOR>(
      LoadImageW(nullptr, DistPath(L"null.cur").c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
  ASSERT_NE(cursor, nullptr);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, 32, 32};
  HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  ASSERT_TRUE(DrawIconEx(memory, 0, 0, cursor, 32, 32, 0, nullptr, DI_NORMAL));
  int changed = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) changed += GetPixel(memory, x, y) != RGB(10, 200, 30);
  EXPECT_EQ(changed, 0);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  DestroyCursor(cursor);
}
