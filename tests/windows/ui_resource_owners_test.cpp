// The owners of system resources: a handle closes once and moves with its owner; a GDI object
// is deleted with its owner; a selection puts back what the device context held.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "base/scoped_handle.h"
#include "framework/gdi.h"

namespace {

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return ::GetHandleInformation(handle, &flags) != FALSE;
}

bool IsOpenKey(HKEY key) {
  DWORD subkeys = 0;
  return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(ResourceOwners, HandlesCloseOnceWithTheirLastOwner) {
  ScopedHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE raw = event.get();
  ASSERT_TRUE(event);
  ScopedHandle moved(std::move(event));
  EXPECT_FALSE(event.valid());
  EXPECT_EQ(moved.get(), raw);
  event = std::move(moved);
  EXPECT_TRUE(IsOpenHandle(raw));
  EXPECT_TRUE(event.reset());
  EXPECT_FALSE(IsOpenHandle(raw));
  EXPECT_TRUE(event.reset()) << "nothing held: nothing to close";

  // A file owner's empty value is INVALID_HANDLE_VALUE, never closed.
  const ScopedFileHandle missing(::CreateFileW(L"C:\\no such folder\\file", GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);

  HKEY opened = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &opened), ERROR_SUCCESS);
  {
    ScopedRegKey key(opened);
    const ScopedRegKey kept(std::move(key));
    EXPECT_TRUE(IsOpenKey(opened));
  }
  EXPECT_FALSE(IsOpenKey(opened));
}

TEST(ResourceOwners, GdiObjectsGoWithTheirOwnerAndSelectionsComeBack) {
  const MemoryDC dc(nullptr);
  ASSERT_NE(static_cast<HDC>(dc), nullptr);
  const HGDIOBJ originalBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
  const HGDIOBJ originalPen = ::GetCurrentObject(dc, OBJ_PEN);
  HBRUSH rawBrush = nullptr;
  {
    const ScopedBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    const ScopedPen first(::CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    const ScopedPen second(::CreatePen(PS_SOLID, 2, RGB(0, 0, 0)));
    rawBrush = brush;
    {
      const SelectionScope brushSelected(dc, brush);
      SelectionScope penSelected(dc, first);
      penSelected.Select(second);
      EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), rawBrush);
      EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), static_cast<HGDIOBJ>(second));
      const SelectionScope nothing(dc, nullptr);  // selects nothing, restores nothing
    }
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_BRUSH), originalBrush);
    EXPECT_EQ(::GetCurrentObject(dc, OBJ_PEN), originalPen);
    EXPECT_EQ(::GetObjectType(rawBrush), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(::GetObjectType(rawBrush), 0u);
}

}  // namespace
