#include "win/key_hook.h"

#include <new>
#include <string>
#include <utility>

#include "core/hotkey_table.h"
#include "core/typed_text.h"
#include "win/background.h"
#include "win/foreground_program.h"
#include "win/on_demand.h"
#include "win/unique_handle.h"

namespace tarvek::win {

namespace {

// Windows quietly takes off a low-level hook that once kept it waiting too long; putting it
// back this often brings it back.
constexpr UINT kRehookMs = 10000;
constexpr DWORD kThreadWaitMs = 1000;

// What the main thread hands over, read by the hook proc under a shared lock. The list's holder
// is made on first use and never freed: a hook thread that outlives the program's shut-down
// still finds it.
SRWLOCK listLock = SRWLOCK_INIT;
WatchedBindingsPtr* watched = nullptr;
HWND mainWindowHeld = nullptr;

// The hook's thread, touched by the main thread only.
UniqueKernelHandle hookThread;
DWORD hookThreadId = 0;

// What the hook proc keeps between keys; it lives on the hook thread's stack.
struct HookThreadState {
  KeyWatch keys;
  HWND cachedWindow = nullptr;
  DWORD cachedProcess = 0;
  std::string cachedPath;

  // The program in front. Asking a process for its path takes a moment, so the answer for the
  // last window is kept, except for a packaged app's frame, whose app may change inside it.
  std::string ProgramInFront() {
    HWND window = GetForegroundWindow();
    if (window == nullptr) return {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window == cachedWindow && process == cachedProcess) return cachedPath;
    std::string path = ProgramOfProcess(process);
    if (IsAppFrameHost(path)) {
      cachedWindow = nullptr;
      return ProgramOfWindow(window);
    }
    cachedWindow = window;
    cachedProcess = process;
    cachedPath = path;
    return path;
  }
};

thread_local HookThreadState* hookState = nullptr;

struct Handed {
  WatchedBindingsPtr list;
  HWND mainWindow = nullptr;
};

Handed CurrentList() {
  AcquireSRWLockShared(&listLock);
  Handed handed{watched != nullptr ? *watched : nullptr, mainWindowHeld};
  ReleaseSRWLockShared(&listLock);
  return handed;
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

void PressMaskKey() {
  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = kMaskKey;
    input.ki.dwExtraInfo = kOwnInputTag;
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

// Answers within a few milliseconds: a key that is no binding's is passed on without an
// allocation, a window message or a wait.
LRESULT CALLBACK KeyProc(int code, WPARAM message, LPARAM data) {
  HookThreadState* state = hookState;
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
  if (code < 0 || state == nullptr || key->dwExtraInfo == kOwnInputTag || key->vkCode == kMaskKey) {
    return CallNextHookEx(nullptr, code, message, data);
  }
  KeyVerdict verdict;
  try {
    const Handed handed = CurrentList();
    if (handed.list == nullptr) return CallNextHookEx(nullptr, code, message, data);
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    verdict = state->keys.Decide(*handed.list, static_cast<int>(key->vkCode), down, ModifiersDown(),
                                 [state] { return state->ProgramInFront(); });
    if (verdict.firedSlot >= 0) {
      PostMessageW(handed.mainWindow, kKeyFiredMessage, static_cast<WPARAM>(verdict.firedSlot),
                   static_cast<LPARAM>(handed.list->generation));
    }
  } catch (...) {  // short of memory: the key goes on as if there were no hook
    return CallNextHookEx(nullptr, code, message, data);
  }
  if (verdict.mask) PressMaskKey();
  return verdict.swallow ? 1 : CallNextHookEx(nullptr, code, message, data);
}

HHOOK SetKeyHook() {
  return SetWindowsHookExW(WH_KEYBOARD_LL, KeyProc, GetModuleHandleW(nullptr), 0);
}

DWORD WINAPI HookThread(void* readyEvent) {
  const UniqueKernelHandle ready(static_cast<HANDLE>(readyEvent));  // this thread's own copy
  HookThreadState state;
  hookState = &state;
  MSG message;
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue, for WM_QUIT
  HHOOK hook = SetKeyHook();
  const UINT_PTR timer = SetTimer(nullptr, 0, kRehookMs, nullptr);
  SetEvent(ready.get());
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == timer) {
      // The new hook first, so that no key slips by between the two.
      if (HHOOK fresh = SetKeyHook(); fresh != nullptr) {
        if (hook != nullptr) UnhookWindowsHookEx(hook);
        hook = fresh;
      }
    }
  }
  KillTimer(nullptr, timer);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  hookState = nullptr;
  return 0;
}

void NameThread(HANDLE thread) {
  using SetThreadDescriptionFunction = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  const auto name =
      SystemFunction<SetThreadDescriptionFunction>(L"kernel32.dll", "SetThreadDescription");
  if (name != nullptr) name(thread, L"TarvekHotKey key hook");
}

void StartThread() {
  if (hookThread) return;
  UniqueKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  // The thread gets a handle of its own to the event: it may still set it after this side has
  // stopped waiting.
  UniqueKernelHandle forThread;
  if (!ready || !DuplicateHandle(GetCurrentProcess(), ready.get(), GetCurrentProcess(),
                                 forThread.put(), 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return;
  }
  DWORD id = 0;
  UniqueKernelHandle thread(CreateThread(nullptr, kSmallThreadStack, HookThread, forThread.get(),
                                                STACK_SIZE_PARAM_IS_A_RESERVATION, &id));
  if (!thread) return;
  forThread.release();
  NameThread(thread.get());
  // Once the thread has its queue and its hook, a key pressed now is watched.
  WaitForSingleObject(ready.get(), kThreadWaitMs);
  hookThread = std::move(thread);
  hookThreadId = id;
}

void EndThread() {
  if (!hookThread) return;
  PostThreadMessageW(hookThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(hookThread.get(), kThreadWaitMs);
  hookThread.reset();
  hookThreadId = 0;
}

}  // namespace

void KeyHook::Watch(WatchedBindingsPtr bindings, HWND mainWindow) {
  if (bindings != nullptr && bindings->bindings.empty()) bindings = nullptr;
  WatchedBindingsPtr old;
  AcquireSRWLockExclusive(&listLock);
  if (watched == nullptr && bindings != nullptr) watched = new (std::nothrow) WatchedBindingsPtr;
  if (watched != nullptr) {
    old = std::exchange(*watched, bindings);
    mainWindowHeld = mainWindow;
  }
  ReleaseSRWLockExclusive(&listLock);
  // The old list goes here, outside the lock: the hook proc never waits for its freeing.
  old.reset();
  if (bindings != nullptr && watched != nullptr) {
    StartThread();
  } else {
    EndThread();
  }
}

bool KeyHook::Running() { return static_cast<bool>(hookThread); }

}  // namespace tarvek::win
