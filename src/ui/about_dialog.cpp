#include "ui/about_dialog.h"

#include "base/language.h"
#include "framework/data_exchange.h"
#include "framework/dialog_texts.h"
#include "ui/res/about_dialog_ids.h"
#include "update/update_entry.h"

namespace {

// The version lines (IDC_DRIVER_VERSION, IDC_CONTROL_PANEL_VERSION) keep the template's
// fixed texts.
constexpr ControlText kCaptions[] = {
    {IDOK, LangKey::Ok},
    {IDC_DRIVER_VERSION_LABEL, LangKey::DriverVersionLabel},
    {IDC_CONTROL_PANEL_VERSION_LABEL, LangKey::ControlPanelVersionLabel},
    {IDC_ABOUT_MAKER, LangKey::MakerName},
    {IDC_ABOUT_NOTICE1, LangKey::Copyright},
    {IDC_ABOUT_NOTICE2, LangKey::RightsReserved},
};

static_assert(CImageStatic::kLogo.at100 == IDB_LOGO && CImageStatic::kLogo.at150 == IDB_LOGO_150 &&
              CImageStatic::kLogo.at200 == IDB_LOGO_200, "the logo's drawings are the About box's bitmaps");

// The maker's web site.
constexpr const wchar_t* kMakerSiteUrl = L"https://www.pelnix.example/";

}  // namespace

CVersion::CVersion(DeviceServices& devices, CWnd* parent) : CDialog(IDD_ABOUT, parent), m_devices(devices) {
  SetBackground(kDialogBackgroundColor);
  m_ctrlLink.SetURL(kMakerSiteUrl);
}

void CVersion::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_ABOUT_LINK, m_ctrlLink);
  DDX_Control(dx, IDC_ABOUT_LOGO, m_ctrlPicture);
  DDX_Control(dx, IDOK, m_btnOK);
}

BOOL CVersion::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(LoadLangString(LangKey::AboutTitle));
  SetControlTexts(m_hWnd, kCaptions);
  m_ctrlLink.SetLinkText(LoadLangString(LangKey::WebSiteLink));  // and the link fits its new text
  m_ctrlPicture.SetDpi(WindowDpi(m_hWnd));
  return TRUE;
}

bool CVersion::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  // The logo follows the monitor; the dialog manager scales the window and its texts.
  if (msg == WM_DPICHANGED) m_ctrlPicture.SetDpi(LOWORD(wp));
  return CDialog::OnMessage(msg, wp, lp, result);
}

bool CVersion::OnButtonClicked(UINT id) {
  if (id != IDC_ABOUT_UPDATE) return false;
  OnUpdate();
  return true;
}

void CVersion::OnUpdate() {
  // The update window outlives this dialog: its owner is the window that opened the About box.
  OpenUpdateDialog(m_pParent, m_devices);
  EndDialog(IDOK);
}
