#include "real_stack.h"

#include <commctrl.h>

namespace real_stack {

namespace {
constexpr int kListId = 1064;
constexpr int kSettingsId = 1053;

struct Search {
  DWORD processId;
  HWND except;
  bool wantMain;
  HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != s->processId || !IsWindowVisible(window) || window == s->except) return TRUE;
  const bool main = GetDlgItem(window, kListId) != nullptr;
  if (main != s->wantMain) return TRUE;
  s->found = window;
  return FALSE;
}

HWND Find(DWORD processId, HWND except, bool wantMain) {
  Search s{processId, except, wantMain};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}
}  // namespace

std::wstring TouchScreenPath(unsigned slot) {
  for (const vts::HidInterface& i : vts::PresentHidInterfaces())
    if (i.virtualTouch && i.slot == slot) return i.path;
  return {};
}

HANDLE OpenTouchScreen(unsigned slot, bool overlapped) {
  const std::wstring path = TouchScreenPath(slot);
  if (path.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
}

HWND WaitForMainWindow(DWORD processId, DWORD timeoutMs) {
  HWND main = nullptr;
  WaitFor([&] {
    main = Find(processId, nullptr, true);
    return main && IsWindowEnabled(GetDlgItem(main, kSettingsId));
  }, timeoutMs);
  return main && IsWindowEnabled(GetDlgItem(main, kSettingsId)) ? main : nullptr;
}

HWND WaitForOtherWindow(DWORD processId, HWND except, DWORD timeoutMs) {
  HWND other = nullptr;
  WaitFor([&] { return (other = Find(processId, except, false)) != nullptr; }, timeoutMs);
  return other;
}

std::vector<int> ListViewImages(HWND list) {
  std::vector<int> images;
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return images;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; remote && i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = i;
    WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &item, sizeof(item), nullptr);
    images.push_back(item.iImage);
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return images;
}

std::vector<std::wstring> ListViewTexts(HWND list) {
  std::vector<std::wstring> texts;
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return texts;
  // The item and its text buffer live in the list's process: the message carries pointers.
  constexpr SIZE_T kChars = 256;
  auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                                   MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
      item.cchTextMax = kChars;
      WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
      SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote));
      wchar_t text[kChars] = {};
      ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof(text) - sizeof(wchar_t), nullptr);
      texts.emplace_back(text);
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return texts;
}

}  // namespace real_stack
