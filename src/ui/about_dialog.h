#pragma once
// CVersion: the modal "About" dialog: the logo, the maker, the fixed driver and control panel
// versions, the notice and the link to the maker's web site. Its Update button is created
// hidden; pressed, it opens the firmware update dialog and closes the About box.
#include "framework/dialog.h"
#include "framework/controls/hyper_link.h"
#include "framework/controls/image_static.h"
#include "framework/controls/xp_button.h"

class DeviceServices;

class CVersion : public CDialog {
public:
  // `devices`: the touch screens the update dialog would update.
  explicit CVersion(DeviceServices& devices, CWnd* parent = nullptr);
  int logoBitmap() const { return m_ctrlPicture.bitmapId(); }

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  bool OnButtonClicked(UINT id) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
  void OnUpdate();

  DeviceServices& m_devices;
  CHyperLink m_ctrlLink;
  CImageStatic m_ctrlPicture;
  CXPButton m_btnOK;
};
