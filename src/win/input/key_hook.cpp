#include "win/input/key_hook.h"

#include <string>
#include <utility>

#include "core/input/typed_text.h"
#include "win/input/hook_thread.h"

namespace tarvek::win {

namespace {

constinit HandedBindings handed;
HookThread hookThread;

constinit HookStateSlot<KeyWatch> hookState;

// Answers within a few milliseconds: a key that is no binding's is passed on without an
// allocation, a window message or a wait.
LRESULT CALLBACK KeyProc(int code, WPARAM message, LPARAM data) {
  auto* state = hookState.Mine();
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
  if (code < 0 || state == nullptr || key->dwExtraInfo == kOwnInputTag || key->vkCode == kMaskKey) {
    return CallNextHookEx(nullptr, code, message, data);
  }
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  return AnswerEvent(handed, kKeyFiredMessage, code, message, data, [&](const WatchedBindings& list) {
    return state->watch.Decide(list, static_cast<int>(key->vkCode), down, ModifiersDown(),
                              [state] { return state->inFront.Ask(); });
  });
}

DWORD WINAPI KeyHookThread(void* readyEvent) {
  hookState.RunWith(WH_KEYBOARD_LL, KeyProc, readyEvent);
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
