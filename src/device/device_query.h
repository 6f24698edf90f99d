#pragma once
// QueryAllDevices: the synchronous "o" and "vv" exchange with every listed touch screen, used
// by the console update in acknowledge mode (g_bAckMode set by the caller). Each exchange is
// awaited on g_hAckEvent for up to 3000 ms; the first time-out sets g_bStopWorkers, waits
// 500 ms and fails. Needs a running device thread (g_nDeviceThreadId).
#include <windows.h>

#include <atomic>

class TouchScreenList;

// Manual-reset event that a worker in acknowledge mode signals when its command's
// end-of-reply report arrives. Created by QueryAllDevices, kept for the process.
extern std::atomic<HANDLE> g_hAckEvent;

bool QueryAllDevices(TouchScreenList& list);

inline constexpr DWORD kQueryWaitMs = 3000;
