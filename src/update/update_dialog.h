#pragma once
// CUpdate: the firmware update dialog. Sends the raw block stream of "update\vorlane" to the
// touch screen in slot 0 through the device thread, one packet per reply, and shows the
// progress; modeless, closes itself at the end.
#include <memory>

#include "base/timer_resolution.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "update/core/update_dialog_machine.h"
#include "update/update_entry.h"

class DeviceServices;

class CUpdate : public CDialog {
public:
  // The update of the touch screen in slot 0 of `devices`.
  explicit CUpdate(DeviceServices& devices, CWnd* parent = nullptr);
  ~CUpdate() override;

  static constexpr UINT_PTR kTimerId = 10;
  static constexpr UINT kEndDelayMs = 2000;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  bool OnTimer(UINT_PTR id) override;  // the end delay: closes the dialog
  bool OnClose() override;
  void PostNcDestroy() override;

private:
  enum class State { Sending, Finishing, Failed };

  void OnReply(const DeviceReport& reply);
  void OnTouchScreenRemoved();      // fails a transfer whose touch screen has gone
  void Fail(const wchar_t* text);   // only the status text shows, then the dialog closes
  void Finish();
  void ShowOnlyStatus(const wchar_t* text);
  bool PostRequest(const std::uint8_t* report);  // a request to the touch screen it began with

  DeviceServices& m_devices;
  CProgressCtrl m_ctrlProgress;
  CStatic m_ctrlPercent;
  CStatic m_ctrlStatus;
  CStatic m_ctrlSending;
  std::unique_ptr<UpdateDialogMachine> m_pMachine;
  // Held from the begin request until the dialog closes: the packets follow one another as
  // fast as the replies and the device thread's waits allow.
  std::unique_ptr<FineTimerResolution> m_pFineTimer;
  State m_nState = State::Sending;
  std::shared_ptr<AttachedTouchScreen> m_pDevice;  // the touch screen in slot 0 when the transfer began
  bool m_bDeleteOnDestroy = false;

  friend void OpenUpdateDialog(CWnd* owner, DeviceServices& devices);
};
