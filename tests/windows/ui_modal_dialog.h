#pragma once
// Runs a real dialog modally on a thread of its own, so that a test drives it from outside the
// way input arrives: clicks sent to its controls, and key messages posted to the modal loop,
// which runs PreTranslateMessage on them as it does in the program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class ModalDialogThread {
public:
  // `run` builds the dialog and returns what its DoModal returned.
  explicit ModalDialogThread(std::function<INT_PTR()> run) {
    thread_ = std::thread([this, run] {
      threadId_ = ::GetCurrentThreadId();
      result_ = run();
      ended_ = true;
    });
    WaitUntil([this] { return FindDialog() != nullptr || ended_; }, 10000);
    window_ = FindDialog();
  }
  ~ModalDialogThread() {
    if (!ended_ && window_) ::PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
    thread_.join();
  }
  ModalDialogThread(const ModalDialogThread&) = delete;
  ModalDialogThread& operator=(const ModalDialogThread&) = delete;

  HWND window() const { return window_; }
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  bool IsOpen() const { return !ended_ && ::IsWindow(window_); }
  INT_PTR result() const { return result_; }

  // A mouse click on a button, as the button handles it.
  void Click(int id) const { ::SendMessageW(Item(id), BM_CLICK, 0, 0); }
  bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
  bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
  int SliderPos(int id) const { return static_cast<int>(::SendMessageW(Item(id), TBM_GETPOS, 0, 0)); }
  std::wstring Text(HWND window) const {
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return text;
  }
  std::wstring Text(int id) const { return Text(Item(id)); }

  // The keyboard focus of the dialog's thread.
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(threadId_, &info);
    return info.hwndFocus;
  }
  void SetFocus(int id) const {
    ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
  }
  // A key pressed and released on the focused control, through the dialog's message loop.
  void PressKey(UINT key) const {
    HWND target = Focus();
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
  }
  // Waits until the dialog's thread has handled everything posted before.
  void Sync() const { ::SendMessageW(window_, WM_NULL, 0, 0); }

  bool WaitForEnd(DWORD timeoutMs = 5000) const {
    return WaitUntil([this] { return ended_.load(); }, timeoutMs);
  }
  static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 5) {
      if (condition()) return true;
      ::Sleep(5);
    }
    return condition();
  }

private:
  HWND FindDialog() const {
    if (!threadId_) return nullptr;
    HWND found = nullptr;
    ::EnumThreadWindows(threadId_, [](HWND window, LPARAM out) -> BOOL {
      wchar_t name[16] = {};
      ::GetClassNameW(window, name, 16);
      if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  std::thread thread_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> ended_{false};
  std::atomic<INT_PTR> result_{-1};
  HWND window_ = nullptr;
};
