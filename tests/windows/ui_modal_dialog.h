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
    m_thread = std::thread([this, run] {
      m_nThreadId = ::GetCurrentThreadId();
      const HWND sync = CreateSyncWindow();
      m_hSyncWindow = sync;
      m_nResult = run();
      m_bEnded = true;
      ::DestroyWindow(sync);
    });
    WaitUntil([this] { return FindDialog() != nullptr || m_bEnded; });
    m_hWindow = FindDialog();
  }
  ~ModalDialogThread() {
    if (!m_bEnded && m_hWindow) ::PostMessageW(m_hWindow, WM_COMMAND, IDCANCEL, 0);
    m_thread.join();
  }
  ModalDialogThread(const ModalDialogThread&) = delete;
  ModalDialogThread& operator=(const ModalDialogThread&) = delete;

  HWND window() const { return m_hWindow; }
  HWND Item(int id) const { return ::GetDlgItem(m_hWindow, id); }
  bool IsOpen() const { return !m_bEnded && ::IsWindow(m_hWindow); }
  INT_PTR result() const { return m_nResult; }

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
    ::GetGUIThreadInfo(m_nThreadId, &info);
    return info.hwndFocus;
  }
  void SetFocus(int id) const {
    ::SendMessageW(m_hWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
  }
  // A key pressed and released on the focused control, through the dialog's message loop.
  void PressKey(UINT key) const {
    HWND target = Focus();
    const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    ::PostMessageW(target, WM_KEYDOWN, key, 1 | (scan << 16));
    ::PostMessageW(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
  }
  // Waits until the dialog's thread has handled everything posted to it before. A message
  // sent from another thread would not do: the thread takes sent messages ahead of the posted
  // ones, so a marker is posted behind them to a window of the thread, and its handling is
  // waited for.
  void Sync() const {
    const HWND sync = m_hSyncWindow.load();
    const LPARAM token = ++m_nSyncPosted;
    if (!sync || !::PostMessageW(sync, kSyncMessage, 0, token)) return;
    WaitUntil([&] { return m_nSyncHandled.load() >= token || m_bEnded.load(); });
  }

  // Keeps the dialog's thread busy from when it reaches everything posted before until
  // `release` is set: what is sent or posted to it meanwhile waits, as behind a slow handler.
  void Hold(HANDLE release) const {
    const HWND sync = m_hSyncWindow.load();
    if (sync) ::PostMessageW(sync, kHoldMessage, 0, reinterpret_cast<LPARAM>(release));
    WaitUntil([&] { return m_bHeld.load(); });
  }

  bool WaitForEnd(DWORD timeoutMs = kHangLimitMs) const {
    return WaitUntil([this] { return m_bEnded.load(); }, timeoutMs);
  }
  // The limit only ends a wait for something that will never happen: a slow, loaded machine
  // must never reach it.
  static constexpr DWORD kHangLimitMs = 30000;
  static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kHangLimitMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::GetTickCount64() < deadline) {
      if (condition()) return true;
      ::Sleep(5);
    }
    return condition();
  }

private:
  static constexpr UINT kSyncMessage = WM_APP + 0x3F00;
  static constexpr UINT kHoldMessage = WM_APP + 0x3F01;

  // A message-only window on the dialog's thread that notes the markers Sync posts.
  HWND CreateSyncWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = L"PelnixTestSync";
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpfnWndProc = [](HWND window, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
      auto* self = reinterpret_cast<ModalDialogThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
      if (msg == kSyncMessage) {
        self->m_nSyncHandled = lp;
        return 0;
      }
      if (msg == kHoldMessage) {
        self->m_bHeld = true;
        ::WaitForSingleObject(reinterpret_cast<HANDLE>(lp), kHangLimitMs);
        self->m_bHeld = false;
        return 0;
      }
      return ::DefWindowProcW(window, msg, wp, lp);
    };
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return window;
  }

  HWND FindDialog() const {
    if (!m_nThreadId) return nullptr;
    HWND found = nullptr;
    ::EnumThreadWindows(m_nThreadId, [](HWND window, LPARAM out) -> BOOL {
      wchar_t name[16] = {};
      ::GetClassNameW(window, name, 16);
      if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
      *reinterpret_cast<HWND*>(out) = window;
      return FALSE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
  }

  std::thread m_thread;
  std::atomic<DWORD> m_nThreadId{0};
  std::atomic<bool> m_bEnded{false};
  std::atomic<INT_PTR> m_nResult{-1};
  std::atomic<HWND> m_hSyncWindow{nullptr};
  mutable std::atomic<LPARAM> m_nSyncPosted{0};
  std::atomic<LPARAM> m_nSyncHandled{0};
  std::atomic<bool> m_bHeld{false};
  HWND m_hWindow = nullptr;
};
