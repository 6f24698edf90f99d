#pragma once
// CDiagnosis: the modal "Diagnostics" dialog of one touch screen. A run asks the touch screen
// for its LED test ("o", then "Zv", then "Zg") through the device client, shows the decoded
// report line by line in its list box, and Export appends the list to a text file.
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/core/led_test_run.h"
#include "framework/controls.h"
#include "framework/controls/xp_button.h"
#include "framework/dialog.h"

struct DeviceReport;

class DeviceServices;

class CDiagnosis : public CDialog {
public:
  // The LED test of a touch screen of `devices`.
  explicit CDiagnosis(DeviceServices& devices, CWnd* parent = nullptr);

  // The touch screen's slot in the TouchScreenList; set before the dialog runs.
  void SetDeviceIndex(int index) { m_nDeviceIndex = index; }
  int deviceIndex() const { return m_nDeviceIndex; }

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool OnButtonClicked(UINT id) override;
  void OnDestroy() override;

private:
  void StartRun();
  void OnReply(UINT msg, std::unique_ptr<DeviceReport> reply);  // "o", "Zv" and "Zg"
  void OnOpenReply(std::unique_ptr<DeviceReport> reply);
  void FinishRun();
  void ShowReport(const std::vector<std::string>& lines);
  void AbandonRun();  // a run under way ends unfinished (removal, closing)
  void OnRemoved(int index);
  void Export();
  bool PostStep(char command1, char command2);
  std::vector<std::wstring> ListLines() const;

  DeviceServices& m_devices;
  int m_nDeviceIndex = -1;
  CListBox m_ctrlList;
  CXPButton m_btnDiagnostics;
  CXPButton m_btnExport;
  CXPButton m_btnClose;
  led::LedTestRun m_run;
};
