// The notification area's calls, made on a thread of their own. The notification area is
// another process's (Explorer's): Shell_NotifyIcon waits until that process answers, which a
// busy or hung Explorer may keep it from doing for many seconds. A user-interface thread that
// waited there would leave its windows unpainted and its questions unshown all that time.
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

namespace tarvek::win {

// The call that is made: Shell_NotifyIconW, or a stand-in in the tests.
using NotifyIconFunction = BOOL (*)(DWORD message, NOTIFYICONDATAW* data);

class TrayCourier {
 public:
  // An add's outcome comes back to the icon's window as resultMessage, wParam TRUE when the
  // notification area took the icon.
  explicit TrayCourier(UINT resultMessage, NotifyIconFunction notify = nullptr);
  // Waits a little for what is still on its way (the icon's removal at the end), never long.
  ~TrayCourier();
  TrayCourier(const TrayCourier&) = delete;
  TrayCourier& operator=(const TrayCourier&) = delete;

  // NIM_ADD, or NIM_MODIFY for an icon that is there already (the notification area answered
  // a former add late); the outcome is posted.
  void Add(const NOTIFYICONDATAW& icon);
  void Modify(const NOTIFYICONDATAW& icon);
  void Delete(const NOTIFYICONDATAW& icon);
  // Destroys the picture once every call handed over before it is done: a call on its way may
  // still show it.
  void Retire(HICON picture);
  // Waits up to the time given for every call handed over so far; false when they are not done.
  bool WaitUntilDone(DWORD milliseconds);

 private:
  struct Job;
  struct Queue;  // shared with the thread, which may outlive this object (see the destructor)
  void Hand(const Job& job);

  Queue* queue_;
  HANDLE thread_ = nullptr;
};

}  // namespace tarvek::win
