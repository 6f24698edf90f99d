#include "device/core/thread_pool.h"

#include <system_error>
#include <thread>
#include <utility>

ThreadPool::ThreadPool(std::function<void()> onThreadStart, std::chrono::milliseconds idle)
    : m_onThreadStart(std::move(onThreadStart)), m_idle(idle) {}

ThreadPool::~ThreadPool() {
  std::unique_lock<std::mutex> lock(m_mutex);
  m_bClosing = true;
  m_wake.notify_all();
  m_ended.wait(lock, [this] { return m_nThreads == 0; });
}

bool ThreadPool::Start(Job job) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bClosing) return false;
    m_jobs.push_back(std::move(job));
    // A waiting thread not yet promised a job takes it; otherwise a new thread does.
    if (m_nWaiting > static_cast<int>(m_jobs.size()) - 1) {
      m_wake.notify_one();
      return true;
    }
  }
  if (StartThread()) return true;
  std::lock_guard<std::mutex> lock(m_mutex);
  // The job is dropped unless a thread that came free meanwhile already took it.
  if (!m_jobs.empty()) m_jobs.pop_back();
  return false;
}

void ThreadPool::Prepare(int count) {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_bClosing || m_nThreads >= count) return;
    }
    if (!StartThread()) return;
  }
}

int ThreadPool::threadCount() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_nThreads;
}

bool ThreadPool::StartThread() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_nThreads;
  }
  try {
    std::thread([this] { Serve(); }).detach();
    return true;
  } catch (const std::system_error&) {
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_nThreads;
    m_ended.notify_all();
    return false;
  }
}

void ThreadPool::Serve() {
  if (m_onThreadStart) m_onThreadStart();
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    if (!m_jobs.empty()) {
      Job job = std::move(m_jobs.front());
      m_jobs.pop_front();
      lock.unlock();
      job();
      job = nullptr;  // what the job holds goes before the thread waits again
      lock.lock();
      continue;
    }
    if (m_bClosing) break;
    ++m_nWaiting;
    const bool woken = m_wake.wait_for(lock, m_idle, [this] { return !m_jobs.empty() || m_bClosing; });
    --m_nWaiting;
    if (!woken) break;  // idle long enough
  }
  --m_nThreads;
  m_ended.notify_all();
}
