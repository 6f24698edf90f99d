#include "base/timer_resolution.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "base/system_failure.h"

namespace {
constexpr UINT kResolutionMs = 1;
std::atomic<int> g_held{0};
std::atomic<int> g_made{0};
}  // namespace

FineTimerResolution::FineTimerResolution() {
  const MMRESULT result = timeBeginPeriod(kResolutionMs);
  raised_ = result == TIMERR_NOERROR;
  if (!raised_) {
    // The waits still work, only coarser; nothing for the user to do about it.
    RecordSystemFailure(L"timeBeginPeriod", L"1 ms", result);
    return;
  }
  g_held.fetch_add(1);
  g_made.fetch_add(1);
}

FineTimerResolution::~FineTimerResolution() {
  if (!raised_) return;
  timeEndPeriod(kResolutionMs);
  g_held.fetch_sub(1);
}

int FineTimerRaisesHeld() { return g_held.load(); }
int FineTimerRaisesMade() { return g_made.load(); }
