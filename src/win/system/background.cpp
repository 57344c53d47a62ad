#include "win/system/background.h"

#include <windows.h>

#include <new>
#include <utility>

#include "win/system/on_demand.h"
#include "win/system/win_system.h"

namespace tarvek::win {

namespace {

using Job = std::function<void(SystemPort&)>;

void RunJob(Job* job) {
  WinSystem system;  // no owner window: the user-interface thread's may be gone
  try {
    (*job)(system);
  } catch (...) {  // nothing a job throws may end the program
  }
  delete job;
}

DWORD WINAPI Work(void* job) {
  // The pool's threads serve others after us: COM is taken and given back for each job.
  EnsureCom();
  RunJob(static_cast<Job*>(job));
  ReleaseCom();
  return 0;
}

// Held by the waiting thread and by the job until both are done with it.
struct BoundedJob {
  std::function<void()> run;
  HANDLE done;
  LONG holders = 2;
};

void Drop(BoundedJob* job) {
  if (InterlockedDecrement(&job->holders) != 0) return;
  CloseHandle(job->done);
  delete job;
}

DWORD WINAPI WorkBounded(void* context) {
  auto* job = static_cast<BoundedJob*>(context);
  try {
    job->run();
  } catch (...) {  // nothing a job throws may end the program
  }
  SetEvent(job->done);
  Drop(job);
  return 0;
}

}  // namespace

bool RunBounded(std::function<void()> run, unsigned limitMs) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  BoundedJob* job = done != nullptr ? new (std::nothrow) BoundedJob{std::move(run), done} : nullptr;
  if (job == nullptr) {
    if (done != nullptr) CloseHandle(done);
    run();  // short of everything: here, unbounded, rather than never
    return true;
  }
  if (!QueueUserWorkItem(WorkBounded, job, WT_EXECUTELONGFUNCTION)) {
    job->holders = 1;
    WorkBounded(job);
    return true;
  }
  const bool ended = WaitForSingleObject(done, limitMs) == WAIT_OBJECT_0;
  Drop(job);
  return ended;
}

void RunOnWorker(Job run) {
  Job* job = new (std::nothrow) Job(std::move(run));
  if (job == nullptr) return;
  if (QueueUserWorkItem(Work, job, WT_EXECUTELONGFUNCTION)) return;
  // A pool that cannot take the job: it runs here, with this thread's COM, rather than never.
  EnsureCom();
  RunJob(job);
}

}  // namespace tarvek::win
