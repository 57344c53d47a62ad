// The notification area's calls. The notification area is another process's (Explorer's):
// Shell_NotifyIcon waits until that process answers, which a busy or hung Explorer may keep it
// from doing for many seconds. A user-interface thread that waited there would leave its
// windows unpainted and its questions unshown all that time, so while the notification area
// keeps us waiting, the calls go to a thread of their own.
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

namespace tarvek::win {

// The call that is made: Shell_NotifyIconW, or a stand-in in the tests.
using NotifyIconFunction = BOOL (*)(DWORD message, NOTIFYICONDATAW* data);
// Whether the notification area answers at once (its window's thread takes a message within
// a moment), or a stand-in in the tests.
using AnswersAtOnceFunction = bool (*)();
// How the courier's thread is made: CreateThread with a small stack, or a stand-in in the tests.
using StartThreadFunction = HANDLE (*)(LPTHREAD_START_ROUTINE work, void* context);

// Every thread costs the program memory, all its stack under Wine, and that stays even after the
// thread has ended, until another one ends. So a call is made on the caller's thread when the
// notification area answers at once, as it does nearly always: most runs never make a thread
// for the icon. Only one that keeps us waiting gets the thread, which then takes every call
// until it has had none for idleMs, and ends.
inline constexpr DWORD kTrayCourierIdleMs = 5000;

class TrayCourier {
 public:
  // An add's outcome comes back to the icon's window as resultMessage, wParam TRUE when the
  // notification area took the icon, on whichever thread the call was made.
  explicit TrayCourier(UINT resultMessage, NotifyIconFunction notify = nullptr,
                       AnswersAtOnceFunction answersAtOnce = nullptr,
                       StartThreadFunction start = nullptr, DWORD idleMs = kTrayCourierIdleMs);
  // Waits a little for what is still on its way (the icon's removal at the end), never long.
  ~TrayCourier();
  TrayCourier(const TrayCourier&) = delete;
  TrayCourier& operator=(const TrayCourier&) = delete;

  // NIM_ADD, or NIM_MODIFY for an icon that is there already (the notification area answered
  // a former add late); the outcome is posted. Each call goes after those handed over before
  // it, also one handed over while a call is made here (by a message the wait let in).
  void Add(const NOTIFYICONDATAW& icon);
  void Modify(const NOTIFYICONDATAW& icon);
  void Delete(const NOTIFYICONDATAW& icon);
  // Destroys the picture once every call handed over before it is done: a call on its way may
  // still show it. With none on its way, at once.
  void Retire(HICON picture);
  // Waits up to the time given for every call handed over so far; false when they are not done.
  bool WaitUntilDone(DWORD milliseconds);

 private:
  struct Job;
  struct Queue;  // shared with the thread, which may outlive this object (see the destructor)
  void Hand(const Job& job);

  NotifyIconFunction notify_;
  UINT resultMessage_;
  AnswersAtOnceFunction answersAtOnce_;
  StartThreadFunction start_;
  Queue* queue_;
};

}  // namespace tarvek::win
