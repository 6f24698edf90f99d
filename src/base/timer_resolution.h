#pragma once
// FineTimerResolution: while one lives, the process asks the system for a 1 ms timer
// resolution, so that the protocol's short waits (the 20 ms pauses, the echo delay, the
// waits for replies) last what they say instead of being rounded up to the next tick of the
// default 15.6 ms timer (which, since Windows 10 2004, a process gets unless it asks itself).
// The destructor gives the raise back, on every way out of the scope that holds it.
//
// Hold one for as long as a timed exchange runs: the start-up query, a calibration or mapping
// window, the saving of a mapping, a firmware transfer. Raises nest (the system counts them).
class FineTimerResolution {
public:
  FineTimerResolution();
  ~FineTimerResolution();
  FineTimerResolution(const FineTimerResolution&) = delete;
  FineTimerResolution& operator=(const FineTimerResolution&) = delete;

  bool raised() const { return m_bRaised; }

private:
  bool m_bRaised = false;
};

// Raises of this process not yet given back, and raises made since it started (for tests).
int FineTimerRaisesHeld();
int FineTimerRaisesMade();
