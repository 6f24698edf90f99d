#pragma once
// The exchanges with the touch screens, one at a time per touch screen.
//
// An exchange is one request of a window (or of a console command): its report is written,
// and the input reports that follow are read until its own end-of-reply, a read error, a
// removal, the stop flag, or its time limit. A command with echo is one exchange with its
// echo: the held reply goes out first, its replies are read and released until the echo's
// end-of-reply, and the command goes out no sooner than 80 ms after the echo.
//
// Pending reads on one handle complete in the order they were issued, so two readers on one
// touch screen would take each other's replies. Each touch screen (device handle) therefore has
// a queue: its exchanges run in the order they were dispatched, each on a pooled thread
// (worker_pool.h) that starts the next one only when the one before has ended. Exchanges on
// different touch screens run side by side. An exchange that did not end as the protocol ends
// it (its time limit, the stop flag, an unanswered echo, a window that went) may still be
// answered: the next exchange on that touch screen first reads off whatever arrived, releases it
// and counts it, so no reply reaches an exchange it does not belong to.
//
// A touch stream (0xAA 0x50) is an exchange that reads for as long as the stream is on. A later
// request for the same touch screen interrupts it: a stream request ends it, any other request
// runs and the stream's reading resumes after it.
//
// The exchange owns its requests and every reply it has not handed on; a reply posted to a
// window belongs to that window. A read it abandons is cancelled and waited for before its
// buffer and OVERLAPPED go.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "device/core/device_report.h"
#include "device/device_context.h"

// Queues the exchange of `request`, preceded by `echo` (the held reply turned into a request)
// when given, on its touch screen's queue. False when no thread could be had for it; the
// requests are then released.
bool StartReportWorker(const DeviceContext& context, std::unique_ptr<DeviceReport> echo,
                       std::unique_ptr<DeviceReport> request);

// Exchanges queued or running, for tests and measurements: 0 means nothing reads any more.
int RunningReportWorkers();
// Replies that belonged to no running exchange and were released (since the process began).
std::uint64_t StrayReplies();
// Echoes that got no end-of-reply within their limit; their commands were not sent.
std::uint64_t UnansweredEchoes();

// The delay that puts the echoed held reply ahead of its command.
inline constexpr DWORD kEchoDelayMs = 80;
// Reads wait in slices of this length so that a stop or the end of the stream is seen in time.
inline constexpr DWORD kReadSliceMs = 60;
// The longest wait for the end-of-reply of an echo. A touch screen that has not answered its
// echo by then has not taken it; the command is not sent, because the echo's late end would be
// taken for the command's.
inline constexpr DWORD kEchoLimitMs = 1500;
// A command's exchange ends when its touch screen has been silent this long (the windows wait
// 3000 ms for an end themselves). The touch stream, the update's begin request and firmware
// packets have no limit: the stream reads while it is on, and the update waits for each
// acknowledgement as long as it takes.
inline constexpr DWORD kReplySilenceLimitMs = 3000;
