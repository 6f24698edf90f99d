#pragma once
// ReportWorker: one worker per request, on a thread of its own for as long as it runs. It
// writes the request's report, reads the input reports that follow and hands each to the
// requesting window (or, in acknowledge mode, to the acknowledge event and the device records)
// until the exchange ends. The threads come from a pool (worker_pool.h): a thread whose worker
// ended takes the next request instead of a new thread being created for it.
//
// The worker owns its request and every reply it has not handed on; a reply posted to a window
// belongs to that window. A read it abandons is cancelled and waited for before its buffer and
// OVERLAPPED go.
#include <windows.h>

#include <memory>

#include "device/core/device_report.h"
#include "device/device_context.h"

enum class WorkerKind {
  Request,  // a window's command
  Echo,     // the held reply sent back ahead of a command with echo
};

// Starts a worker on a thread at the highest priority. False when no thread could be had;
// the request is then released.
bool StartReportWorker(const DeviceContext& context, std::unique_ptr<DeviceReport> request,
                       WorkerKind kind);

// The worker body, on the calling thread (the pooled thread runs exactly this), with a
// manual-reset event of the caller's for its overlapped reads.
void RunReportWorker(const DeviceContext& context, std::unique_ptr<DeviceReport> request,
                     WorkerKind kind, HANDLE readEvent);

// Workers started and not yet ended, for tests and measurements.
int RunningReportWorkers();

// The delay that puts the echoed held reply ahead of its command.
inline constexpr DWORD kEchoDelayMs = 80;
// Reads wait in slices of this length so that a stop or the end of the stream is seen in time.
inline constexpr DWORD kReadSliceMs = 60;
