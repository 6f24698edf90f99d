#pragma once
// ThreadPool: the threads the exchanges run on. Each job gets a thread to itself for as long as
// it runs, so any number of jobs run at once; but a thread whose job has ended waits for the
// next one instead of ending, which spares each exchange the creation of a thread. A thread
// left without a job for `idleMs` ends. One pool per set of device services; destroying it
// ends its waiting threads and waits for the busy ones.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

class ThreadPool {
public:
  using Job = std::function<void()>;
  // `onThreadStart` runs first on each new thread (the program raises its priority there).
  explicit ThreadPool(std::function<void()> onThreadStart = {},
                      std::chrono::milliseconds idle = std::chrono::milliseconds(30000));
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  // Hands the job to a waiting thread or to a new one. False when no thread could be had or
  // the pool is closing; the job is then dropped without running.
  bool Start(Job job);
  // Starts threads without a job until the pool has `count`, so that the first exchanges do
  // not wait for their creation.
  void Prepare(int count);
  int threadCount() const;

private:
  bool StartThread();
  void Serve();

  const std::function<void()> m_onThreadStart;
  const std::chrono::milliseconds m_idle;
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;   // a job was queued, or the pool closes
  std::condition_variable m_ended;  // a thread ended
  std::deque<Job> m_jobs;           // given to the next waiting thread
  int m_nThreads = 0;
  int m_nWaiting = 0;
  bool m_bClosing = false;
};
