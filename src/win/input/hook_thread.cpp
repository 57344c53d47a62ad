#include "win/input/hook_thread.h"

#include <new>
#include <utility>

#include "core/hotkey_table.h"
#include "core/input/program_condition.h"
#include "win/system/background.h"
#include "win/input/foreground_program.h"
#include "win/system/on_demand.h"
#include "win/system/process_facts.h"
#include "win/system/strings.h"

namespace tarvek::win {

namespace {

constexpr UINT kRehookMs = 10000;
constexpr DWORD kThreadWaitMs = 1000;

void NameThread(HANDLE thread, const wchar_t* name) {
  using SetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  const auto describe =
      SystemFunction<SetThreadDescriptionFunction>(L"kernel32.dll", "SetThreadDescription");
  if (describe != nullptr) describe(thread, name);
}

}  // namespace

bool HandedBindings::Hand(WatchedBindingsPtr list, HWND mainWindow) {
  if (list != nullptr && list->Empty()) list = nullptr;
  WatchedBindingsPtr old;
  AcquireSRWLockExclusive(&lock_);
  if (list_ == nullptr && list != nullptr) list_ = new (std::nothrow) WatchedBindingsPtr;
  if (list_ != nullptr) {
    old = std::exchange(*list_, list);
    mainWindow_ = mainWindow;
  }
  const bool watching = list_ != nullptr && *list_ != nullptr;
  ReleaseSRWLockExclusive(&lock_);
  // The old list goes here, outside the lock: the hook proc never waits for its freeing.
  old.reset();
  return watching;
}

HandedBindings::Snapshot HandedBindings::Current() {
  AcquireSRWLockShared(&lock_);
  Snapshot snapshot{list_ != nullptr ? *list_ : nullptr, mainWindow_};
  ReleaseSRWLockShared(&lock_);
  return snapshot;
}

void HookThread::Start(LPTHREAD_START_ROUTINE threadMain, const wchar_t* name) {
  if (thread_) return;
  UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // The thread gets a handle of its own to the event: it may still set it after this side has
  // stopped waiting.
  UniqueKernelHandle forThread;
  if (!ready || !DuplicateHandle(GetCurrentProcess(), ready.get(), GetCurrentProcess(),
                                 forThread.put(), 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return;
  }
  DWORD id = 0;
  UniqueKernelHandle thread(CreateThread(nullptr, kSmallThreadStack, threadMain, forThread.get(),
                                         STACK_SIZE_PARAM_IS_A_RESERVATION, &id));
  if (!thread) return;
  forThread.release();
  NameThread(thread.get(), name);
  WaitForSingleObject(ready.get(), kThreadWaitMs);
  thread_ = std::move(thread);
  id_ = id;
}

void HookThread::End() {
  if (!thread_) return;
  PostThreadMessageW(id_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_.get(), kThreadWaitMs);
  thread_.reset();
  id_ = 0;
}

void RunHook(int hookType, HOOKPROC proc, void* readyEvent, HOOKPROC clickProc) {
  const UniqueKernelHandle ready(static_cast<HANDLE>(readyEvent));  // this thread's own copy
  MSG message;
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue, for WM_QUIT
  auto setHook = [](int type, HOOKPROC hookProc) {
    return hookProc != nullptr ? SetWindowsHookExW(type, hookProc, GetModuleHandleW(nullptr), 0)
                               : nullptr;
  };
  UniqueHook hook(setHook(hookType, proc));
  UniqueHook clicks(setHook(WH_MOUSE_LL, clickProc));
  const UINT_PTR timer = SetTimer(nullptr, 0, kRehookMs, nullptr);
  SetEvent(ready.get());
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer) {
      // The new hook first, so that no input slips by between the two.
      if (UniqueHook fresh(setHook(hookType, proc)); fresh) hook = std::move(fresh);
      if (UniqueHook fresh(setHook(WH_MOUSE_LL, clickProc)); fresh) clicks = std::move(fresh);
    }
  }
  KillTimer(nullptr, timer);
}

int ModifiersDown() {
  auto down = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
  int modifiers = 0;
  if (down(VK_CONTROL)) modifiers |= kModControl;
  if (down(VK_MENU)) modifiers |= kModAlt;
  if (down(VK_SHIFT)) modifiers |= kModShift;
  if (down(VK_LWIN) || down(VK_RWIN)) modifiers |= kModWin;
  return modifiers;
}

std::string ProgramInFront::Ask() {
  HWND window = GetForegroundWindow();
  if (window == nullptr) return {};
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (window != cachedWindow_ || process != cachedProcess_) {
    cachedWindow_ = nullptr;  // until the new answer is whole
    cachedPath_ = Narrow(ProgramPathOf(process));
    cachedFrame_ = IsAppFrameHost(cachedPath_);
    cachedWindow_ = window;
    cachedProcess_ = process;
  }
  // A packaged app's frame may hold another app by the next press: the app inside is asked
  // every time, the frame's own process only once.
  return cachedFrame_ ? ProgramOfWindow(window, process, cachedPath_) : cachedPath_;
}

}  // namespace tarvek::win
