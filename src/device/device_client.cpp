#include "device/device_client.h"

#include <algorithm>
#include <cstring>

#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/device_thread.h"
#include "device/touch_screen_list.h"

namespace device_client {

bool PostCommand(HWND replyWindow, int slot, std::uint8_t command1, std::uint8_t command2,
                 std::uint8_t payload, int replyIndex) {
  TouchScreenList& list = GetTouchScreenList();
  if (slot < 0 || slot >= kMaxTouchScreens || !list.device(slot)) return false;
  const std::uint8_t report[] = {protocol::kCommandReportId, command1, command2, payload};
  return PostReport(replyWindow, list.handle(slot), replyIndex < 0 ? slot : replyIndex, report,
                    sizeof report);
}

bool PostReport(HWND replyWindow, void* deviceHandle, int replyIndex, const std::uint8_t* report,
                std::size_t length) {
  auto request = std::make_unique<DeviceReport>();
  request->deviceHandle = deviceHandle;
  request->deviceIndex = replyIndex;
  request->window = replyWindow;
  std::memcpy(request->report, report, std::min<std::size_t>(length, kReportSize));
  return PostDeviceRequest(std::move(request));
}

bool StartTouchStream(HWND window, int slot) {
  return PostCommand(window, slot, protocol::kStreamOn >> 8, protocol::kStreamOn & 0xFF);
}

bool StopTouchStream(int slot) {
  return PostCommand(nullptr, slot, protocol::kStreamOff >> 8, protocol::kStreamOff & 0xFF);
}

void ForgetTouchStream() { g_bTouchStream.store(false); }
bool IsTouchStreamOn() { return g_bTouchStream.load(); }

std::unique_ptr<DeviceReport> TakeReply(LPARAM lParam) {
  return std::unique_ptr<DeviceReport>(reinterpret_cast<DeviceReport*>(lParam));
}

void HoldReply(std::unique_ptr<DeviceReport> reply) { g_pHeldReply.Hold(std::move(reply)); }
void ReleaseHeldReply() { g_pHeldReply.Clear(); }
bool HasHeldReply() { return !g_pHeldReply.empty(); }

void StopWorkers() { g_bStopWorkers.store(true); }
void AllowWorkers() { g_bStopWorkers.store(false); }
bool WorkersStopped() { return g_bStopWorkers.load(); }

void EnterAcknowledgeMode() { g_bAckMode.store(true); }

}  // namespace device_client
