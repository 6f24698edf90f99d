#pragma once
// Time stamps of the steps of one exchange inside the device layer, for the benchmarks that
// show where the time of an exchange goes. Nothing observes them in the program: each step
// then costs one relaxed atomic load.
#include <atomic>
#include <cstdint>

enum class ExchangeStep {
  Dispatched,     // the device thread took the request from its queue
  WorkerStarted,  // the request's worker runs
  ReportWritten,  // its output report was written
  ReadCompleted,  // a reply was read
  ReplyPosted,    // the reply went to the window (or, in acknowledge mode, to the event)
};

// Called on the thread that reached the step, with the command code (report bytes 1 and 2)
// and whether the worker is the echo of a held reply.
using ExchangeObserver = void (*)(ExchangeStep step, std::uint16_t code, bool echo);

void SetExchangeObserver(ExchangeObserver observer);

namespace exchange_timing {
extern std::atomic<ExchangeObserver> g_pObserver;
}

inline void NoteExchangeStep(ExchangeStep step, std::uint16_t code, bool echo = false) {
  if (ExchangeObserver observer = exchange_timing::g_pObserver.load(std::memory_order_relaxed))
    observer(step, code, echo);
}
