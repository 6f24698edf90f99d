#include "base/timer_resolution.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

#include "base/system_failure.h"
#include "base/system_library.h"

namespace {
constexpr UINT kResolutionMs = 1;
std::atomic<int> g_nHeld{0};
std::atomic<int> g_nMade{0};

MMRESULT WINAPI TimerUnavailable(UINT) { return TIMERR_NOCANDO; }

// WINMM.dll from the system folder, loaded on the first raise (never imported: see
// base/system_library.h).
struct Winmm {
  decltype(&::timeBeginPeriod) beginPeriod;
  decltype(&::timeEndPeriod) endPeriod;
};

const Winmm& SystemWinmm() {
  static const Winmm winmm = [] {
    const HMODULE library = LoadSystemLibrary(L"winmm.dll");
    return Winmm{SystemFunction<decltype(&::timeBeginPeriod)>(library, "timeBeginPeriod", &TimerUnavailable),
                 SystemFunction<decltype(&::timeEndPeriod)>(library, "timeEndPeriod", &TimerUnavailable)};
  }();
  return winmm;
}
}  // namespace

FineTimerResolution::FineTimerResolution() {
  const MMRESULT result = SystemWinmm().beginPeriod(kResolutionMs);
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
  SystemWinmm().endPeriod(kResolutionMs);
  g_nHeld.fetch_sub(1);
}

int FineTimerRaisesHeld() { return g_nHeld.load(); }
int FineTimerRaisesMade() { return g_nMade.load(); }
