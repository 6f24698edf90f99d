#include "update/update_dialog.h"

#include <cstdio>
#include <string>
#include <vector>

#include "base/core/user_messages.h"
#include "base/main_log.h"
#include "base/scoped_handle.h"
#include "base/system_failure.h"
#include "device/core/attached_touch_screen.h"
#include "device/core/device_report.h"
#include "device/device_services.h"
#include "framework/data_exchange.h"
#include "update/core/update_messages.h"
#include "update/image_file.h"
#include "update/res/update_dialog_ids.h"

namespace {

std::string Hex2(const char* format, unsigned a, unsigned b) {
  char text[32];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

CUpdate::CUpdate(DeviceServices& devices, CWnd* parent) : CDialog(IDD_UPDATE, parent), m_devices(devices) {
  SetBackground(kDialogBackgroundColor);
}

CUpdate::~CUpdate() = default;

void CUpdate::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_UPDATE_PROGRESS, m_ctrlProgress);
  DDX_Control(dx, IDC_UPDATE_PERCENT, m_ctrlPercent);
  DDX_Control(dx, IDC_UPDATE_STATUS, m_ctrlStatus);
  DDX_Control(dx, IDC_UPDATE_SENDING, m_ctrlSending);
}

BOOL CUpdate::OnInitDialog() {
  CDialog::OnInitDialog();
  m_ctrlProgress.SetRange(0, 100);
  m_ctrlProgress.SetPos(0);
  m_ctrlStatus.ShowWindow(SW_HIDE);

  std::vector<std::uint8_t> image;
  // The dialog's image: the whole decoded file is the block stream.
  switch (ReadImageFile(kDialogImagePath, image)) {
    case ImageFileRead::CannotOpen: Fail(kDialogReadFailed); return TRUE;
    case ImageFileRead::ReadFailed:
    case ImageFileRead::TooLarge: Fail(kDialogUpdateFailed); return TRUE;
    case ImageFileRead::Read: break;
  }
  m_pMachine = std::make_unique<UpdateDialogMachine>(std::move(image));
  m_pFineTimer = std::make_unique<FineTimerResolution>();
  // Without a touch screen in slot 0 there is nobody to update. The transfer stays with the
  // touch screen it began with, even if the list changes under it.
  m_pDevice = m_devices.list().shared(0);
  if (!m_pDevice || !PostRequest(DialogBeginRequest().data())) {
    Fail(kDialogUpdateFailed);
  }
  return TRUE;
}

bool CUpdate::PostRequest(const std::uint8_t* report) {
  return m_devices.client().PostReport(m_hWnd, m_pDevice, 0, report, kReportSize) != 0;
}

void CUpdate::ShowOnlyStatus(const wchar_t* text) {
  m_ctrlProgress.ShowWindow(SW_HIDE);
  m_ctrlPercent.ShowWindow(SW_HIDE);
  m_ctrlSending.ShowWindow(SW_HIDE);
  if (text) m_ctrlStatus.SetWindowText(text);
  m_ctrlStatus.ShowWindow(SW_SHOW);
}

void CUpdate::Fail(const wchar_t* text) {
  m_nState = State::Failed;
  ShowOnlyStatus(text);
  PostMessage(WM_CLOSE);
}

void CUpdate::Finish() {
  // The transfer is over: no reader of it reads on.
  m_devices.client().EndExchanges(m_hWnd);
  PostRequest(DialogFinishRequest().data());
  m_nState = State::Finishing;
  SetTimer(kTimerId, kEndDelayMs);
  ShowOnlyStatus(nullptr);  // still "Updating..."
}

void CUpdate::OnReply(const DeviceReport& reply) {
  if (!m_pMachine || m_nState != State::Sending) return;
  const std::uint8_t code = reply.report[1];
  const UpdateDialogMachine::Step step = m_pMachine->OnReply(code);
  if (step.action == UpdateDialogMachine::Action::GiveUp) {
    m_devices.client().EndExchanges(m_hWnd);  // the transfer is over: no reader of it reads on
    m_nState = State::Failed;
    ShowOnlyStatus(kDialogUpdateError);
    SetTimer(kTimerId, kEndDelayMs);
    return;
  }
  WriteMainLog(Hex2(kLogReceived, reply.report[0], reply.report[1]));
  if (step.percentChanged) {
    m_ctrlProgress.SetPos(step.percent);
    m_ctrlPercent.SetWindowText(std::to_wstring(step.percent) + L" %");
  }
  switch (step.action) {
    case UpdateDialogMachine::Action::Finish:
      Finish();
      break;
    case UpdateDialogMachine::Action::SendPacket:
      WriteMainLog(Hex2(kLogSent, step.packet[0], step.packet[1]));
      PostRequest(step.packet.data());
      break;
    default:
      break;
  }
}

bool CUpdate::OnTimer(UINT_PTR id) {
  if (id != kTimerId) return false;
  KillTimer(kTimerId);
  if (m_nState == State::Finishing) {
    m_ctrlStatus.SetWindowText(kDialogCompleted);
    UpdateWindow(m_hWnd);
    Sleep(200);
  }
  PostMessage(WM_CLOSE);
  return true;
}

void CUpdate::OnTouchScreenRemoved() {
  // A transfer whose touch screen was unplugged can never finish: saying so beats showing
  // "Updating..." for good.
  if (m_nState != State::Sending || !m_pDevice || !m_pDevice->gone()) return;
  m_devices.client().EndExchanges(m_hWnd);
  m_nState = State::Failed;
  ShowOnlyStatus(kDialogUpdateFailed);
  SetTimer(kTimerId, kEndDelayMs);
}

bool CUpdate::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  if (msg == UM_DEVICE_REMOVED) {
    OnTouchScreenRemoved();
    result = 0;
    return true;
  }
  const auto update = [this](UINT m, std::unique_ptr<DeviceReport> reply) {
    if (m == UM_REPLY_UPDATE && reply) OnReply(*reply);
  };
  if (!m_devices.client().DispatchReply(msg, lp, update)) return CDialog::OnMessage(msg, wp, lp, result);
  result = 0;
  return true;
}

bool CUpdate::OnClose() {
  KillTimer(kTimerId);
  m_pFineTimer.reset();
  OnCancel();
  return true;
}

void CUpdate::PostNcDestroy() {
  if (m_bDeleteOnDestroy) delete this;
}

void OpenUpdateDialog(CWnd* owner, DeviceServices& devices) {
  auto dialog = std::make_unique<CUpdate>(devices, owner);
  // A creation that failed may have destroyed a window already bound to the object: the object
  // deletes itself only once its window stands, and is deleted here otherwise.
  if (!dialog->Create(IDD_UPDATE, owner)) return;
  dialog->m_bDeleteOnDestroy = true;
  dialog.release();  // the window owns it now: it goes after the window's last message
}
