#include "win/background.h"

#include <windows.h>

#include <deque>
#include <new>
#include <utility>

#include "win/on_demand.h"

namespace tarvek::win {

namespace {

constexpr int kMostWorkers = 4;
constexpr DWORD kIdleWorkerMs = 30000;

// Plain data that needs no constructor and no destructor: a worker still waiting on the
// network when the program ends is ended with the process, and finds all of this in place
// until then. The queue is made on first use and never freed, for the same reason.
SRWLOCK lock = SRWLOCK_INIT;
CONDITION_VARIABLE jobWaiting = CONDITION_VARIABLE_INIT;
std::deque<std::function<void()>>* jobs = nullptr;
int workers = 0;      // alive
int idleWorkers = 0;  // of them, waiting for a job

void RunCaught(std::function<void()>& job) {
  try {
    job();
  } catch (...) {  // nothing a job throws may end the program
  }
  job = nullptr;  // what the job held goes now, outside the lock
}

DWORD WINAPI WorkerMain(void*) {
  EnsureCom();
  AcquireSRWLockExclusive(&lock);
  for (;;) {
    ++idleWorkers;
    bool waited = true;
    while (jobs->empty() && waited) {
      waited = SleepConditionVariableSRW(&jobWaiting, &lock, kIdleWorkerMs, 0) != FALSE;
    }
    --idleWorkers;
    if (jobs->empty()) break;
    std::function<void()> job = std::move(jobs->front());
    jobs->pop_front();
    ReleaseSRWLockExclusive(&lock);
    RunCaught(job);
    AcquireSRWLockExclusive(&lock);
  }
  --workers;
  ReleaseSRWLockExclusive(&lock);
  ReleaseCom();
  return 0;
}

}  // namespace

void RunOnWorker(std::function<void()> job) {
  std::function<void()> here;
  AcquireSRWLockExclusive(&lock);
  try {
    if (jobs == nullptr) jobs = new std::deque<std::function<void()>>;
    jobs->push_back(std::move(job));
  } catch (const std::bad_alloc&) {
    ReleaseSRWLockExclusive(&lock);
    return;
  }
  if (idleWorkers < static_cast<int>(jobs->size()) && workers < kMostWorkers) {
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, nullptr, 0, nullptr);
    if (thread != nullptr) {
      ++workers;
      CloseHandle(thread);
    }
  }
  if (workers == 0) {
    // No thread could be made: the job runs here rather than never.
    here = std::move(jobs->back());
    jobs->pop_back();
  }
  ReleaseSRWLockExclusive(&lock);
  WakeConditionVariable(&jobWaiting);
  if (here) {
    EnsureCom();
    RunCaught(here);
  }
}

}  // namespace tarvek::win
