#include "device/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "base/scoped_handle.h"
#include "base/system_failure.h"

namespace {

struct PooledThread {
  ScopedHandle wake;       // auto-reset: a job was given to this thread
  ScopedHandle readEvent;  // manual-reset, lent to each job
  std::unique_ptr<PooledJob> job;  // guarded by the pool's lock; set only while not waiting
};

class WorkerPool {
public:
  bool Start(std::unique_ptr<PooledJob> job) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (!m_waiting.empty()) {
        PooledThread* thread = m_waiting.back();
        m_waiting.pop_back();
        thread->job = std::move(job);
        // Signalled under the lock: the thread cannot end between being chosen and woken.
        SetEvent(thread->wake.get());
        return true;
      }
    }
    return StartThread(std::move(job));
  }

  void Prepare(int count) {
    for (int i = m_nThreads.load(); i < count; ++i) StartThread(nullptr);
  }

  int count() const { return m_nThreads.load(); }

private:
  bool StartThread(std::unique_ptr<PooledJob> job) {
    auto thread = std::make_unique<PooledThread>();
    thread->wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    thread->readEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!thread->wake || !thread->readEvent) {
      RecordSystemFailure(L"CreateEventW", L"report worker thread");
      return false;
    }
    thread->job = std::move(job);
    const ScopedHandle handle(
        CreateThread(nullptr, 0, &WorkerPool::ThreadMain, thread.get(), CREATE_SUSPENDED, nullptr));
    if (!handle) {
      RecordSystemFailure(L"CreateThread", L"report worker");
      return false;
    }
    m_nThreads.fetch_add(1);
    thread.release();  // the thread owns itself now
    if (!SetThreadPriority(handle.get(), THREAD_PRIORITY_HIGHEST)) RecordSystemFailure(L"SetThreadPriority");
    ResumeThread(handle.get());
    return true;
  }

  static DWORD WINAPI ThreadMain(void* parameter);
  void Serve(PooledThread* thread);

  std::mutex m_mutex;
  std::vector<PooledThread*> m_waiting;  // threads without a job, the latest last
  std::atomic<int> m_nThreads{0};
};

// Never destroyed: pooled threads may still wait on it while the process ends.
WorkerPool& Pool() {
  static WorkerPool* pool = new WorkerPool;
  return *pool;
}

DWORD WINAPI WorkerPool::ThreadMain(void* parameter) {
  Pool().Serve(static_cast<PooledThread*>(parameter));
  return 0;
}

void WorkerPool::Serve(PooledThread* thread) {
  for (;;) {
    std::unique_ptr<PooledJob> job;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      job = std::move(thread->job);
    }
    if (job) {
      job->Run(thread->readEvent.get());
      job.reset();
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_waiting.push_back(thread);
    for (;;) {
      lock.unlock();
      const DWORD wait = WaitForSingleObject(thread->wake.get(), kPooledThreadIdleMs);
      lock.lock();
      // A thread with a job has been taken off the waiting list by Start.
      if (thread->job) break;
      if (wait != WAIT_OBJECT_0) {
        // Idle long enough (or the wait failed): leave the pool.
        m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), thread));
        lock.unlock();
        m_nThreads.fetch_sub(1);
        delete thread;
        return;
      }
    }
  }
}

}  // namespace

bool StartPooledJob(std::unique_ptr<PooledJob> job) { return Pool().Start(std::move(job)); }

void PrepareWaitingThreads(int count) { Pool().Prepare(count); }

int PooledThreadCount() { return Pool().count(); }
