#include "win/system/tray_courier.h"

#include <deque>
#include <new>

#include "win/system/background.h"
#include "win/system/on_demand.h"

namespace tarvek::win {

namespace {

// The notification area is the shell's: its library is loaded when the icon is first added.
// The icon needs no COM, which would cost the start more than the icon itself. No static here:
// this runs on the courier's thread.
BOOL ShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  const auto notify = SystemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
  return notify != nullptr ? notify(message, data) : FALSE;
}

}  // namespace

struct TrayCourier::Job {
  enum class Kind { kAdd, kModify, kDelete, kRetire } kind;
  NOTIFYICONDATAW icon;
  HICON picture;

  void Carry(NotifyIconFunction notify, UINT resultMessage) {
    switch (kind) {
      case Kind::kAdd: {
        const BOOL ok = notify(NIM_ADD, &icon) || notify(NIM_MODIFY, &icon);
        PostMessageW(icon.hWnd, resultMessage, ok, 0);
        return;
      }
      case Kind::kModify:
        notify(NIM_MODIFY, &icon);
        return;
      case Kind::kDelete:
        notify(NIM_DELETE, &icon);
        return;
      case Kind::kRetire:
        DestroyIcon(picture);
        return;
    }
  }
};

// Plain Win32 locks rather than the standard library's threads: they cost the program file
// nothing. Owned by the courier and its thread together; the last of the two deletes it.
struct TrayCourier::Queue {
  Queue(NotifyIconFunction call, UINT message) : notify(call), resultMessage(message) {}
  NotifyIconFunction notify;
  UINT resultMessage;
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
  std::deque<Job> jobs;
  bool busy = false;
  bool ending = false;
  LONG owners = 1;

  void Release() {
    if (InterlockedDecrement(&owners) == 0) delete this;
  }

  static DWORD WINAPI Work(void* context) {
    auto* queue = static_cast<Queue*>(context);
    AcquireSRWLockExclusive(&queue->lock);
    for (;;) {
      while (!queue->ending && queue->jobs.empty()) {
        SleepConditionVariableSRW(&queue->changed, &queue->lock, INFINITE, 0);
      }
      if (queue->jobs.empty()) break;  // ending, with nothing left
      Job job = queue->jobs.front();
      queue->jobs.pop_front();
      queue->busy = true;
      ReleaseSRWLockExclusive(&queue->lock);
      job.Carry(queue->notify, queue->resultMessage);
      AcquireSRWLockExclusive(&queue->lock);
      queue->busy = false;
      WakeAllConditionVariable(&queue->changed);
    }
    ReleaseSRWLockExclusive(&queue->lock);
    queue->Release();
    return 0;
  }
};

TrayCourier::TrayCourier(UINT resultMessage, NotifyIconFunction notify)
    : queue_(new (std::nothrow) Queue(notify != nullptr ? notify : &ShellNotifyIcon, resultMessage)) {}

TrayCourier::~TrayCourier() {
  if (queue_ == nullptr) return;
  if (thread_ != nullptr) {
    // The removal of the icon is worth a moment. A notification area that does not answer at
    // all removes the icon of a window that is gone by itself, as it does for a crashed program.
    WaitUntilDone(2000);
    AcquireSRWLockExclusive(&queue_->lock);
    queue_->ending = true;
    ReleaseSRWLockExclusive(&queue_->lock);
    WakeAllConditionVariable(&queue_->changed);
    CloseHandle(thread_);  // a thread still waiting on the notification area keeps the queue
  }
  queue_->Release();
}

void TrayCourier::Add(const NOTIFYICONDATAW& icon) { Hand({Job::Kind::kAdd, icon, nullptr}); }

void TrayCourier::Modify(const NOTIFYICONDATAW& icon) { Hand({Job::Kind::kModify, icon, nullptr}); }

void TrayCourier::Delete(const NOTIFYICONDATAW& icon) { Hand({Job::Kind::kDelete, icon, nullptr}); }

void TrayCourier::Retire(HICON picture) {
  if (picture != nullptr) Hand({Job::Kind::kRetire, {}, picture});
}

bool TrayCourier::WaitUntilDone(DWORD milliseconds) {
  if (queue_ == nullptr) return true;
  const ULONGLONG until = GetTickCount64() + milliseconds;
  AcquireSRWLockExclusive(&queue_->lock);
  bool done = queue_->jobs.empty() && !queue_->busy;
  for (ULONGLONG now = GetTickCount64(); !done && now < until; now = GetTickCount64()) {
    SleepConditionVariableSRW(&queue_->changed, &queue_->lock, static_cast<DWORD>(until - now), 0);
    done = queue_->jobs.empty() && !queue_->busy;
  }
  ReleaseSRWLockExclusive(&queue_->lock);
  return done;
}

void TrayCourier::Hand(const Job& job) {
  if (queue_ != nullptr && thread_ == nullptr) {
    // The thread is made with the first call: a start with the icon switched off makes none.
    InterlockedIncrement(&queue_->owners);
    thread_ = CreateThread(nullptr, kSmallThreadStack, &Queue::Work, queue_,
                           STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread_ == nullptr) InterlockedDecrement(&queue_->owners);
  }
  if (thread_ == nullptr) {
    Job here = job;  // no thread to be had: the call is made here, waiting as before
    return here.Carry(queue_ != nullptr ? queue_->notify : &ShellNotifyIcon, 0);
  }
  AcquireSRWLockExclusive(&queue_->lock);
  queue_->jobs.push_back(job);
  ReleaseSRWLockExclusive(&queue_->lock);
  WakeAllConditionVariable(&queue_->changed);
}

}  // namespace tarvek::win
