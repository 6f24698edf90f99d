#include "device/report_worker.h"

#include <atomic>
#include <cwchar>
#include <string>

#include "base/system_failure.h"
#include "device/core/protocol_state.h"
#include "device/core/report_protocol.h"
#include "device/device_query.h"
#include "device/exchange_timing.h"
#include "device/worker_pool.h"
#include "device/reply_windows.h"

namespace {

std::atomic<int> g_runningWorkers{0};

// One request's worker, run on a thread of the pool.
class ReportJob final : public PooledJob {
public:
  ReportJob(const DeviceContext& context, std::unique_ptr<DeviceReport> request, WorkerKind kind)
      : context_(context), request_(std::move(request)), kind_(kind) {}
  ~ReportJob() override { g_runningWorkers.fetch_sub(1); }
  void Run(HANDLE readEvent) override { RunReportWorker(context_, std::move(request_), kind_, readEvent); }

private:
  DeviceContext context_;
  std::unique_ptr<DeviceReport> request_;
  WorkerKind kind_;
};

TouchScreenDevice* RecordAt(const DeviceContext& context, int index) {
  return context.list ? context.list->device(index) : nullptr;
}

enum class ReadOutcome { Completed, Ended };

// What a failure record names an exchange by: its command's two bytes.
std::wstring ReportName(std::uint16_t code) {
  wchar_t name[32];
  std::swprintf(name, 32, L"command %02X %02X", code >> 8, code & 0xFF);
  return name;
}

// One overlapped read of a reply into `reply`, waited for in 60 ms slices. On Ended the read
// is no longer pending: it failed, or it was cancelled and its completion waited for.
// A reader for a window also ends once that window's exchanges have ended.
ReadOutcome ReadReply(const DeviceContext& context, HANDLE device, HANDLE event,
                      std::uint16_t code, HWND window, std::uint64_t ticket, DeviceReport& reply) {
  HidSystem& hid = *context.hid;
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  ResetEvent(event);
  DWORD transferred = 0;
  if (hid.ReadFile(device, reply.report, kReportSize, &overlapped)) return ReadOutcome::Completed;
  if (GetLastError() != ERROR_IO_PENDING) {
    RecordSystemFailure(L"ReadFile", ReportName(code));
    return ReadOutcome::Ended;
  }

  const auto abandon = [&] {
    hid.CancelIoEx(device, &overlapped);
    hid.GetOverlappedResult(device, &overlapped, &transferred, TRUE);
    return ReadOutcome::Ended;
  };
  for (;;) {
    if (code == protocol::kStreamOn && !g_bTouchStream.load()) return abandon();
    const DWORD wait = WaitForSingleObject(event, kReadSliceMs);
    if (wait == WAIT_OBJECT_0) break;
    if (wait != WAIT_TIMEOUT) return abandon();
    if (g_bStopWorkers.load()) return abandon();
    if (!reply_windows::Live(window, ticket)) return abandon();
  }
  // Completed: a read that ended with an error (a removed device, a cancellation by someone
  // else) ends the worker.
  if (!hid.GetOverlappedResult(device, &overlapped, &transferred, FALSE)) {
    RecordSystemFailure(L"GetOverlappedResult", ReportName(code));
    return ReadOutcome::Ended;
  }
  return ReadOutcome::Completed;
}

}  // namespace

int RunningReportWorkers() { return g_runningWorkers.load(); }

bool StartReportWorker(const DeviceContext& context, std::unique_ptr<DeviceReport> request,
                       WorkerKind kind) {
  g_runningWorkers.fetch_add(1);  // given back when the job is released, run or not
  return StartPooledJob(std::make_unique<ReportJob>(context, std::move(request), kind));
}

void RunReportWorker(const DeviceContext& context, std::unique_ptr<DeviceReport> request,
                     WorkerKind kind, HANDLE readEvent) {
  const std::uint16_t code = protocol::CommandCode(request->report);
  const protocol::CommandRule rule = protocol::LookupCommand(code);
  HANDLE device = static_cast<HANDLE>(request->deviceHandle);
  const HWND window = static_cast<HWND>(request->window);
  const bool echo = kind == WorkerKind::Echo;
  NoteExchangeStep(ExchangeStep::WorkerStarted, code, echo);

  if (rule.echo) Sleep(kEchoDelayMs);
  if (!context.hid->SetOutputReport(device, request->report, kReportSize)) {
    RecordSystemFailure(L"HidD_SetOutputReport", ReportName(code));
    return;
  }
  NoteExchangeStep(ExchangeStep::ReportWritten, code, echo);
  if (!rule.reads) return;
  if (g_bStopWorkers.load()) return;
  // A window whose exchanges ended before this reader began gets nothing more.
  const std::uint64_t ticket = reply_windows::Join(window);
  if (!reply_windows::Live(window, ticket)) return;

  for (;;) {
    auto reply = std::make_unique<DeviceReport>();
    if (ReadReply(context, device, readEvent, code, window, ticket, *reply) == ReadOutcome::Ended)
      return;
    NoteExchangeStep(ExchangeStep::ReadCompleted, code, echo);
    if (code == protocol::kStreamOn && !g_bTouchStream.load()) return;

    if (auto number = protocol::NumberFromReply(code, reply->report)) {
      if (TouchScreenDevice* record = RecordAt(context, request->deviceIndex)) {
        record->TouchScreenNo.store(*number);
      }
    }

    const protocol::ReplyContext replyContext{code,
                                              request->replyMessage,
                                              window != nullptr,
                                              g_bAckMode.load(),
                                              g_bTouchStream.load(),
                                              echo,
                                              request->report[0] == protocol::kFirmwareReportId};
    const protocol::ReplyDecision decision = protocol::DecideReply(replyContext, reply->report);
    reply->deviceIndex = request->deviceIndex;
    switch (decision.action) {
      case protocol::ReplyAction::Post:
        // Posted, the window owns it; otherwise it is released here.
        if (reply_windows::Post(window, ticket, request->replyMessage, reply))
          NoteExchangeStep(ExchangeStep::ReplyPosted, code, echo);
        break;
      case protocol::ReplyAction::SignalAck:
        if (HANDLE ack = g_hAckEvent.load()) SetEvent(ack);
        NoteExchangeStep(ExchangeStep::ReplyPosted, code, echo);
        break;
      case protocol::ReplyAction::Hold:
        g_pHeldReply.Hold(std::move(reply));
        break;
      case protocol::ReplyAction::StoreVersion:
        if (TouchScreenDevice* record = RecordAt(context, request->deviceIndex)) {
          const auto version = *protocol::DecodeHardwareVersion(reply->report);
          for (int i = 0; i < 3; ++i) record->HwVersion[i].store(version[i]);
        }
        break;
      case protocol::ReplyAction::Release:
        break;
    }
    if (decision.endsWorker) return;
    if (g_bStopWorkers.load()) return;
  }
}
