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

// A taskbar whose thread takes a message within this time takes the icon's call as quickly.
constexpr UINT kAnswerAtOnceMs = 100;

bool NotificationAreaAnswersAtOnce() {
  const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (taskbar == nullptr) return true;  // none yet (log-on): the call fails without waiting
  // SMTO_BLOCK: nothing sent to our windows runs in the middle of a call to the courier.
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(taskbar, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kAnswerAtOnceMs,
                             &answer) != 0;
}

HANDLE StartSmallThread(LPTHREAD_START_ROUTINE work, void* context) {
  return CreateThread(nullptr, kSmallThreadStack, work, context, STACK_SIZE_PARAM_IS_A_RESERVATION,
                      nullptr);
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
  Queue(NotifyIconFunction call, UINT message, DWORD idle)
      : notify(call), resultMessage(message), idleMs(idle) {}
  NotifyIconFunction notify;
  UINT resultMessage;
  DWORD idleMs;
  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
  std::deque<Job> jobs;
  bool busy = false;
  bool ending = false;
  // The jobs have a taker: the thread, which takes every job queued before it ends, or a Hand
  // further up the caller's stack.
  bool working = false;
  LONG owners = 1;

  void Release() {
    if (InterlockedDecrement(&owners) == 0) delete this;
  }

  static DWORD WINAPI Work(void* context) {
    auto* queue = static_cast<Queue*>(context);
    AcquireSRWLockExclusive(&queue->lock);
    ULONGLONG idleSince = GetTickCount64();
    for (;;) {
      if (queue->jobs.empty()) {
        const ULONGLONG idle = GetTickCount64() - idleSince;
        if (queue->ending || idle >= queue->idleMs) break;  // a later call makes a new thread
        SleepConditionVariableSRW(&queue->changed, &queue->lock,
                                  static_cast<DWORD>(queue->idleMs - idle), 0);
        continue;
      }
      Job job = queue->jobs.front();
      queue->jobs.pop_front();
      queue->busy = true;
      ReleaseSRWLockExclusive(&queue->lock);
      job.Carry(queue->notify, queue->resultMessage);
      AcquireSRWLockExclusive(&queue->lock);
      queue->busy = false;
      idleSince = GetTickCount64();
      WakeAllConditionVariable(&queue->changed);
    }
    queue->working = false;
    ReleaseSRWLockExclusive(&queue->lock);
    queue->Release();
    return 0;
  }
};

TrayCourier::TrayCourier(UINT resultMessage, NotifyIconFunction notify,
                         AnswersAtOnceFunction answersAtOnce, StartThreadFunction start,
                         DWORD idleMs)
    : notify_(notify != nullptr ? notify : &ShellNotifyIcon),
      resultMessage_(resultMessage),
      answersAtOnce_(answersAtOnce != nullptr ? answersAtOnce : &NotificationAreaAnswersAtOnce),
      start_(start != nullptr ? start : &StartSmallThread),
      queue_(new (std::nothrow) Queue(notify_, resultMessage, idleMs)) {}

TrayCourier::~TrayCourier() {
  if (queue_ == nullptr) return;
  // The removal of the icon is worth a moment. A notification area that does not answer at
  // all removes the icon of a window that is gone by itself, as it does for a crashed program.
  WaitUntilDone(2000);
  AcquireSRWLockExclusive(&queue_->lock);
  queue_->ending = true;
  ReleaseSRWLockExclusive(&queue_->lock);
  WakeAllConditionVariable(&queue_->changed);
  queue_->Release();  // a thread still waiting on the notification area keeps the queue
}

void TrayCourier::Add(const NOTIFYICONDATAW& icon) { Hand({Job::Kind::kAdd, icon, nullptr}); }

void TrayCourier::Modify(const NOTIFYICONDATAW& icon) { Hand({Job::Kind::kModify, icon, nullptr}); }

void TrayCourier::Delete(const NOTIFYICONDATAW& icon) { Hand({Job::Kind::kDelete, icon, nullptr}); }

void TrayCourier::Retire(HICON picture) {
  if (picture == nullptr) return;
  bool nothingOnItsWay = true;
  if (queue_ != nullptr) {
    AcquireSRWLockExclusive(&queue_->lock);
    nothingOnItsWay = queue_->jobs.empty() && !queue_->busy;
    ReleaseSRWLockExclusive(&queue_->lock);
  }
  // Only this thread hands calls over: none can come between the look and the destruction.
  if (nothingOnItsWay) {
    DestroyIcon(picture);
    return;
  }
  Hand({Job::Kind::kRetire, {}, picture});
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
  if (queue_ == nullptr) {
    Job here = job;
    return here.Carry(notify_, resultMessage_);
  }
  AcquireSRWLockExclusive(&queue_->lock);
  queue_->jobs.push_back(job);
  const bool take = !queue_->working;
  queue_->working = true;
  ReleaseSRWLockExclusive(&queue_->lock);
  WakeAllConditionVariable(&queue_->changed);
  // The thread takes it, or the loop below, further up this thread's stack, once the call it
  // makes now is done.
  if (!take) return;

  // Only this thread hands calls over, and while working is set nobody else takes them: the
  // queue changes below only by what this loop does and what the calls let in.
  bool lookFirst = true;
  for (;;) {
    AcquireSRWLockExclusive(&queue_->lock);
    const bool done = queue_->jobs.empty();
    if (done) queue_->working = false;
    ReleaseSRWLockExclusive(&queue_->lock);
    if (done) return;
    if (lookFirst && !answersAtOnce_()) {
      // It keeps us waiting: a thread takes what is queued, and what comes until it has been
      // idle a while.
      InterlockedIncrement(&queue_->owners);
      const HANDLE thread = start_(&Queue::Work, queue_);
      if (thread != nullptr) {
        CloseHandle(thread);
        return;
      }
      InterlockedDecrement(&queue_->owners);
      lookFirst = false;  // no thread to be had: here all the same, waiting as before
    }
    AcquireSRWLockExclusive(&queue_->lock);
    Job next = queue_->jobs.front();
    queue_->jobs.pop_front();
    queue_->busy = true;
    ReleaseSRWLockExclusive(&queue_->lock);
    next.Carry(notify_, resultMessage_);
    AcquireSRWLockExclusive(&queue_->lock);
    queue_->busy = false;
    ReleaseSRWLockExclusive(&queue_->lock);
    WakeAllConditionVariable(&queue_->changed);
  }
}

}  // namespace tarvek::win
