#include "framework/dialog.h"

#include <string>

#include "base/system_failure.h"
#include "framework/data_exchange.h"
#include "framework/win_app.h"

namespace {
// The dialog being created on this thread: it is bound on the first message it receives
// (WM_SETFONT comes before WM_INITDIALOG).
thread_local CDialog* g_pCreating = nullptr;

bool ReturnsValueDirectly(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}
}  // namespace

CDialog::~CDialog() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    HWND hwnd = m_hWnd;
    Unbind();
    ::DestroyWindow(hwnd);
  }
}

HWND CDialog::CreateFromTemplate(HWND owner) {
  HINSTANCE instance = AfxGetResourceHandle();
  const std::wstring name = L"dialog " + std::to_wstring(m_nTemplateId);
  HRSRC resource = ::FindResourceW(instance, MAKEINTRESOURCEW(m_nTemplateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (!resource) {
    RecordSystemFailure(L"FindResourceW", name);
    return nullptr;
  }
  HGLOBAL loaded = ::LoadResource(instance, resource);
  auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
  if (!dialogTemplate) {
    RecordSystemFailure(L"LoadResource", name);
    return nullptr;
  }
  g_pCreating = this;
  HWND hwnd = ::CreateDialogIndirectParamW(instance, dialogTemplate, owner, &CDialog::DialogProc,
                                           reinterpret_cast<LPARAM>(this));
  if (!hwnd) RecordSystemFailure(L"CreateDialogIndirectParamW", name);
  g_pCreating = nullptr;
  return hwnd;
}

INT_PTR CDialog::DoModal() {
  HWND owner = m_pParent ? m_pParent->m_hWnd : nullptr;
  if (!owner && AfxGetApp() && AfxGetApp()->m_pMainWnd != this && AfxGetApp()->m_pMainWnd)
    owner = AfxGetApp()->m_pMainWnd->m_hWnd;
  m_bModal = true;
  m_bEndModal = false;
  m_nModalResult = -1;
  HWND hwnd = CreateFromTemplate(owner);
  if (!hwnd) {
    m_bModal = false;
    return -1;
  }
  const bool reenableOwner = owner && ::IsWindowEnabled(owner);
  if (reenableOwner) ::EnableWindow(owner, FALSE);
  if (!m_bEndModal) {
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    RunModalLoop();
  }
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  if (owner && ::GetActiveWindow() == hwnd) ::SetActiveWindow(owner);
  ::ShowWindow(hwnd, SW_HIDE);
  if (m_hWnd) ::DestroyWindow(hwnd);
  m_bModal = false;
  return m_nModalResult;
}

void CDialog::RunModalLoop() {
  MSG msg;
  while (!m_bEndModal) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The quit message belongs to the outer loop: put it back and end this dialog.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    bool consumed = CWnd::WalkPreTranslateTree(&msg);
    if (!consumed && !msg.hwnd) consumed = PreTranslateMessage(&msg);
    if (!consumed) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  if (templateId) m_nTemplateId = templateId;
  if (parent) m_pParent = parent;
  m_bModal = false;
  return CreateFromTemplate(m_pParent ? m_pParent->m_hWnd : nullptr) != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
  if (m_bModal) {
    m_nModalResult = result;
    m_bEndModal = true;
    // Wakes the loop when EndDialog is called outside a dispatched message.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
  } else {
    DestroyWindow();
  }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  // Keyboard navigation of this dialog (Tab, arrows, Enter, Escape) for its own messages.
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return FALSE;
  if (!m_hWnd || (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))) return FALSE;
  // Enter without Alt: with Alt it comes as WM_SYSKEYDOWN or WM_SYSCHAR, and as Space there it
  // would open the window menu.
  const bool enter = msg->wParam == VK_RETURN &&
                     (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR) &&
                     (!m_hEnterKeptBy || ::GetFocus() != m_hEnterKeptBy);
  if (msg->wParam == VK_ESCAPE && m_bEscapeIgnored) return TRUE;
  if (enter && m_nEnterKey == EnterKey::Ignored) return TRUE;
  if (enter && m_nEnterKey == EnterKey::PressesFocused) msg->wParam = VK_SPACE;
  return ::IsDialogMessageW(m_hWnd, msg);
}

void CDialog::SetBackground(COLORREF color, COLORREF textColor) { m_background.emplace(color, textColor); }

bool CDialog::OnEraseBackground(HDC dc) { return m_background && m_background->Erase(m_hWnd, dc); }

HBRUSH CDialog::OnCtlColor(HDC dc, HWND control, UINT type) {
  return m_background ? m_background->CtlColor(dc, type) : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<CDialog*>(FromHandlePermanent(hwnd));
  if (!self && g_pCreating) {
    self = g_pCreating;
    g_pCreating = nullptr;
    self->Bind(hwnd);
  }
  if (!self) return FALSE;
  return self->RunMessage(hwnd, msg, wp, lp, [&] { return self->HandleMessage(msg, wp, lp); });
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  bool handled = ReflectToChild(m_hWnd, msg, wp, lp, result);
  if (!handled) handled = OnMessage(msg, wp, lp, result);
  if (!handled) {
    switch (msg) {
      case WM_INITDIALOG:
        return OnInitDialog();
      case WM_COMMAND:
        if (lp == 0 || HIWORD(wp) == BN_CLICKED) {
          if (LOWORD(wp) == IDOK) { OnOK(); return TRUE; }
          if (LOWORD(wp) == IDCANCEL) { OnCancel(); return TRUE; }
        }
        return FALSE;
      default:
        return FALSE;
    }
  }
  if (ReturnsValueDirectly(msg)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}
