#pragma once
// CDialog: a dialog built from a resource template, modal or modeless.
//
// Modal dialogs run our own message loop, so that PreTranslateMessage sees every message (the
// system's DialogBox loop never calls it); the owner is disabled while the dialog runs and
// enabled again before the dialog is destroyed, so activation returns to it.
#include <optional>

#include "framework/dialog_background.h"
#include "framework/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr)
      : m_nTemplateId(templateId), m_pParent(parent) {}
  ~CDialog() override;

  INT_PTR DoModal();
  BOOL Create(UINT templateId = 0, CWnd* parent = nullptr);  // modeless
  void EndDialog(INT_PTR result);
  bool IsModal() const { return m_bModal; }

  // Copies control values into members (save = TRUE) or members into controls.
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  BOOL PreTranslateMessage(MSG* msg) override;

  // What Enter does in this dialog before the dialog manager sees it.
  enum class EnterKey {
    Default,         // the dialog manager's: the default button
    PressesFocused,  // becomes Space, so it presses the focused control
    Ignored,         // dropped
  };

protected:
  // The dialog's flat background, erased with `color`; its texts drawn transparently over it in
  // `textColor` (CLR_INVALID: the controls' own). Without one the system's colours stay.
  void SetBackground(COLORREF color, COLORREF textColor = CLR_INVALID);
  // The background's brush (for drawing in the background colour), or null without one.
  HBRUSH BackgroundBrush() const { return m_background ? m_background->brush() : nullptr; }
  // `keptBy`: a control whose Enter is left to it (a list view that acts on its item).
  void SetEnterKey(EnterKey enterKey, HWND keptBy = nullptr) {
    m_nEnterKey = enterKey;
    m_hEnterKeptBy = keptBy;
  }
  // Escape never closes the dialog: its key messages are dropped.
  void IgnoreEscape() { m_bEscapeIgnored = true; }

  bool OnEraseBackground(HDC dc) override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT type) override;

  virtual BOOL OnInitDialog();  // binds the controls (UpdateData(FALSE)); TRUE sets the focus
  virtual void DoDataExchange(CDataExchange* dx) {}
  virtual void OnOK();          // IDOK: UpdateData, then ends with IDOK (modeless: destroys)
  virtual void OnCancel();      // IDCANCEL: ends with IDCANCEL (modeless: destroys)

  UINT m_nTemplateId;
  CWnd* m_pParent;

private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND CreateFromTemplate(HWND owner);
  void RunModalLoop();

  std::optional<DialogBackground> m_background;
  EnterKey m_nEnterKey = EnterKey::Default;
  HWND m_hEnterKeptBy = nullptr;
  bool m_bEscapeIgnored = false;
  bool m_bModal = false;
  bool m_bEndModal = false;
  INT_PTR m_nModalResult = -1;
};

// The dialog class's default handling of the dialog messages it does not handle itself is
// the dialog manager's: OnMessage returns false and DefDlgProc takes it.
