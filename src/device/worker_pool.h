#pragma once
// The threads the report workers run on. Each job gets a thread to itself for as long as it
// runs, so any number of jobs run at once, as with a new thread per job; but a thread whose
// job has ended waits for the next one instead of ending, which spares each request the
// creation of a thread (the largest share of a short exchange's overhead). A thread left
// without a job for kPooledThreadIdleMs ends.
//
// Threads are created suspended, raised to the highest priority and resumed, once.
#include <windows.h>

#include <memory>

class PooledJob {
public:
  virtual ~PooledJob() = default;
  // Runs on the pooled thread. `readEvent` is the thread's own manual-reset event, left in any
  // state by the job before; a job that starts overlapped I/O on it resets it first and
  // leaves no I/O pending when it returns.
  virtual void Run(HANDLE readEvent) = 0;
};

// Hands the job to a waiting thread, or to a new one. False when no thread could be had; the
// job is then released without running.
bool StartPooledJob(std::unique_ptr<PooledJob> job);

// Starts threads without a job until the pool has `count`, so that the first exchanges do not
// wait for the creation of their threads. They leave the pool as any idle thread does.
void PrepareWaitingThreads(int count);

// Threads of the pool, busy or waiting (for tests and measurements).
int PooledThreadCount();

inline constexpr DWORD kPooledThreadIdleMs = 30000;
