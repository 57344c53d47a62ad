#include "win/input/key_hook.h"

#include <atomic>
#include <string>
#include <utility>

#include "core/input/typed_text.h"
#include "win/input/hook_thread.h"

namespace tarvek::win {

namespace {

constinit HandedBindings handed;
HookThread hookThread;

// What the hook proc keeps between keys; it lives on the hook thread's stack.
struct HookThreadState {
  const DWORD thread = GetCurrentThreadId();
  KeyWatch keys;
  ProgramInFront inFront;
};

// The hook thread's state, for the hook proc, which is given nothing of its own. Not
// thread_local, which would bring some 19 KB of the threading runtime into the program: the hook
// has one thread at a time. A thread that outlived HookThread::End's wait may still find its
// successor's state here, and then passes every event on.
std::atomic<HookThreadState*> hookState = nullptr;

HookThreadState* StateOfThisThread() {
  HookThreadState* state = hookState.load(std::memory_order_acquire);
  return state != nullptr && state->thread == GetCurrentThreadId() ? state : nullptr;
}

// Answers within a few milliseconds: a key that is no binding's is passed on without an
// allocation, a window message or a wait.
LRESULT CALLBACK KeyProc(int code, WPARAM message, LPARAM data) {
  HookThreadState* state = StateOfThisThread();
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
  if (code < 0 || state == nullptr || key->dwExtraInfo == kOwnInputTag || key->vkCode == kMaskKey) {
    return CallNextHookEx(nullptr, code, message, data);
  }
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  return AnswerEvent(handed, kKeyFiredMessage, code, message, data, [&](const WatchedBindings& list) {
    return state->keys.Decide(list, static_cast<int>(key->vkCode), down, ModifiersDown(),
                              [state] { return state->inFront.Ask(); });
  });
}

DWORD WINAPI KeyHookThread(void* readyEvent) {
  HookThreadState state;
  hookState.store(&state, std::memory_order_release);
  RunHook(WH_KEYBOARD_LL, KeyProc, readyEvent);
  HookThreadState* mine = &state;
  hookState.compare_exchange_strong(mine, nullptr);  // unless a successor's is there already
  return 0;
}

}  // namespace

void KeyHook::Watch(WatchedBindingsPtr bindings, HWND mainWindow) {
  if (handed.Hand(std::move(bindings), mainWindow)) {
    hookThread.Start(KeyHookThread, L"TarvekHotKey key hook");
  } else {
    hookThread.End();
  }
}

bool KeyHook::Running() { return hookThread.Running(); }

}  // namespace tarvek::win
