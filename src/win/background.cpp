#include "win/background.h"

#include <windows.h>

#include <new>
#include <utility>

#include "win/on_demand.h"
#include "win/win_system.h"

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

}  // namespace

void RunOnWorker(Job run) {
  Job* job = new (std::nothrow) Job(std::move(run));
  if (job == nullptr) return;
  if (QueueUserWorkItem(Work, job, WT_EXECUTELONGFUNCTION)) return;
  // A pool that cannot take the job: it runs here, with this thread's COM, rather than never.
  EnsureCom();
  RunJob(job);
}

}  // namespace tarvek::win
