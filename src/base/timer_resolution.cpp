#include "base/timer_resolution.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "base/system_failure.h"

namespace {
constexpr UINT kResolutionMs = 1;
std::atomic<int> g_nHeld{0};
std::atomic<int> g_nMade{0};
}  // namespace

FineTimerResolution::FineTimerResolution() {
  const MMRESULT result = timeBeginPeriod(kResolutionMs);
  m_bRaised = result == TIMERR_NOERROR;
  if (!m_bRaised) {
    // The waits still work, only coarser; nothing for the user to do about it.
    RecordSystemFailure(L"timeBeginPeriod", L"1 ms", result);
    return;
  }
  g_nHeld.fetch_add(1);
  g_nMade.fetch_add(1);
}

FineTimerResolution::~FineTimerResolution() {
  if (!m_bRaised) return;
  timeEndPeriod(kResolutionMs);
  g_nHeld.fetch_sub(1);
}

int FineTimerRaisesHeld() { return g_nHeld.load(); }
int FineTimerRaisesMade() { return g_nMade.load(); }
