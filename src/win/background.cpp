#include "win/background.h"

#include <windows.h>

#include <new>
#include <utility>

#include "win/on_demand.h"
#include "win/win_system.h"

namespace tarvek::win {

namespace {

using Job = std::function<void(SystemPort&)>;

DWORD WINAPI Run(void* parameter) {
  Job* job = static_cast<Job*>(parameter);
  // The pool's threads serve others after us: COM is taken and given back for each job.
  EnsureCom();
  WinSystem system;  // no owner window: the user-interface thread's may be gone
  try {
    (*job)(system);
  } catch (...) {  // nothing a job throws may end the program
  }
  delete job;
  ReleaseCom();
  return 0;
}

}  // namespace

void RunOnWorker(Job run) {
  Job* job = new (std::nothrow) Job(std::move(run));
  if (job == nullptr) return;
  // A pool that cannot take the job: it runs here rather than never.
  if (!QueueUserWorkItem(Run, job, WT_EXECUTELONGFUNCTION)) Run(job);
}

}  // namespace tarvek::win
