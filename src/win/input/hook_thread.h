// What the process's low-level hooks (keys, mouse) share: the list a hook watches, handed over
// by the main thread; the thread the hook lives on, put back when Windows takes it off; the
// modifiers down, the mask key and the program in front, as the hook procs ask for them.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "core/input/key_watch.h"
#include "win/input/key_sender.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

// The bindings a hook watches and the window it posts to. The main thread hands them over, the
// hook proc reads them under a shared lock and so never waits for more than a pointer's copy.
// Meant as a namespace-scope object: it needs no constructor to run and no destructor runs at
// exit, and its list's holder is made on first use and never freed, so that a hook thread that
// outlives the program's shut-down still finds it.
class HandedBindings {
 public:
  struct Snapshot {
    WatchedBindingsPtr list;  // null when there is none
    HWND mainWindow = nullptr;
  };
  // Keeps the list (an empty one is none) and gives whether there is one to watch. The old list
  // is freed here, outside the lock.
  bool Hand(WatchedBindingsPtr list, HWND mainWindow);
  Snapshot Current();

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  WatchedBindingsPtr* list_ = nullptr;
  HWND mainWindow_ = nullptr;
};

// The thread one low-level hook lives on, touched by the main thread only.
class HookThread {
 public:
  // Makes the thread when missing and waits (briefly) until its hook is set: an input from now
  // on is watched. threadMain gets an event handle of its own and hands it to RunHook.
  void Start(LPTHREAD_START_ROUTINE threadMain, const wchar_t* name);
  // Tells the thread to end and waits (briefly) for it.
  void End();
  bool Running() const { return static_cast<bool>(thread_); }

 private:
  UniqueKernelHandle thread_;
  DWORD id_ = 0;
};

// On the hook's thread: sets the hook (WH_KEYBOARD_LL or WH_MOUSE_LL), and with clickProc a
// WH_MOUSE_LL beside it, sets readyEvent (and closes it) and runs the thread's messages until
// HookThread::End, putting the hooks back every 10 seconds: Windows quietly takes off a
// low-level hook that once kept it waiting too long.
void RunHook(int hookType, HOOKPROC proc, void* readyEvent, HOOKPROC clickProc = nullptr);

// The kMod* flags of the modifiers down now.
int ModifiersDown();

// The end of a hook proc once the event is one to decide: decide(list) gives the verdict on the
// list handed over last; the mask key is pressed if asked, then a binding it fires is posted to
// the main window as firedMessage with the slot and the list's generation, and the event is
// swallowed or passed on. Short of memory, the event goes on as if there were no hook.
template <typename Decide>
LRESULT AnswerEvent(HandedBindings& handed, unsigned firedMessage, int code, WPARAM message,
                    LPARAM data, Decide&& decide) {
  KeyVerdict verdict;
  HandedBindings::Snapshot now;
  try {
    now = handed.Current();
    if (now.list == nullptr) return CallNextHookEx(nullptr, code, message, data);
    verdict = decide(*now.list);
  } catch (...) {
    return CallNextHookEx(nullptr, code, message, data);
  }
  // The mask key first: it is this program's input, so the main window, acting on the message,
  // may bring a window to the front.
  if (verdict.mask) PressMaskKey();
  if (verdict.firedSlot >= 0) {
    PostMessageW(now.mainWindow, firedMessage, static_cast<WPARAM>(verdict.firedSlot),
                 static_cast<LPARAM>(now.list->generation));
  }
  return verdict.swallow ? 1 : CallNextHookEx(nullptr, code, message, data);
}

// The program in front, for the hook procs. Asking a process for its path takes a moment, so
// the answer for the last window is kept, except for the app inside a packaged app's frame,
// which may change while the frame stays. Lives on the hook thread's stack.
class ProgramInFront {
 public:
  std::string Ask();

 private:
  HWND cachedWindow_ = nullptr;
  DWORD cachedProcess_ = 0;
  std::string cachedPath_;   // the program of the window's process
  bool cachedFrame_ = false;  // that program is the packaged apps' frame host
};

// What a hook proc keeps between events (its watch and the program in front), on the hook
// thread's stack, and where the proc finds it: a hook proc is given nothing of its own. A slot
// rather than thread_local, since the hook has one thread at a time; a thread that outlived
// HookThread::End's wait may find its successor's state there, and then passes every event on.
template <typename Watch>
class HookStateSlot {
 public:
  struct State {
    const DWORD thread = GetCurrentThreadId();
    Watch watch;
    ProgramInFront inFront;
  };

  // On the hook's thread: its state while RunHook runs.
  void RunWith(int hookType, HOOKPROC proc, void* readyEvent, HOOKPROC clickProc = nullptr) {
    State state;
    state_.store(&state, std::memory_order_release);
    RunHook(hookType, proc, readyEvent, clickProc);
    State* mine = &state;
    state_.compare_exchange_strong(mine, nullptr);  // unless a successor's is there already
  }
  // In the hook proc: this thread's state, or null.
  State* Mine() {
    State* state = state_.load(std::memory_order_acquire);
    return state != nullptr && state->thread == GetCurrentThreadId() ? state : nullptr;
  }

 private:
  std::atomic<State*> state_ = nullptr;
};

}  // namespace tarvek::win
