#include "win/input/key_hook.h"

#include <string>
#include <utility>

#include "core/input/abbreviation_matcher.h"
#include "core/input/typed_text.h"
#include "win/input/abbreviation_hook.h"
#include "win/input/hook_thread.h"

namespace tarvek::win {

namespace {

constinit HandedBindings handed;
HookThread hookThread;
// The thread made last watches mouse clicks too: it has abbreviations to watch.
bool watchingClicks = false;

// The hook's two watches: the bindings' keys and the text typed for abbreviations.
struct KeyHookWatch {
  KeyWatch keys;
  AbbreviationWatch typed;
};
constinit HookStateSlot<KeyHookWatch> hookState;

// Answers within a few milliseconds: a key that is no binding's is passed on without an
// allocation, a window message or a wait; an abbreviation's expansion is handed to the typist.
LRESULT CALLBACK KeyProc(int code, WPARAM message, LPARAM data) {
  auto* state = hookState.Mine();
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
  if (code < 0 || state == nullptr || key->dwExtraInfo == kOwnInputTag || key->vkCode == kMaskKey) {
    return CallNextHookEx(nullptr, code, message, data);
  }
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  return AnswerEvent(handed, kKeyFiredMessage, code, message, data, [&](const WatchedBindings& list) {
    KeyVerdict verdict =
        state->watch.keys.Decide(list, static_cast<int>(key->vkCode), down, ModifiersDown(),
                                 [state] { return state->inFront.Ask(); });
    if (list.abbreviations != nullptr) {
      if (verdict.swallow) {
        state->watch.typed.Forget();  // a binding's key: what follows is another text
      } else {
        verdict.swallow = state->watch.typed.Key(*list.abbreviations, *key, down, state->inFront);
      }
    }
    return verdict;
  });
}

// A click puts the caret somewhere else: what was typed before it is not what the next key
// follows.
LRESULT CALLBACK ClickProc(int code, WPARAM message, LPARAM data) {
  if (code >= 0 && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                    message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN)) {
    if (auto* state = hookState.Mine()) state->watch.typed.Forget();
  }
  return CallNextHookEx(nullptr, code, message, data);
}

DWORD WINAPI KeyHookThread(void* readyEvent) {
  hookState.RunWith(WH_KEYBOARD_LL, KeyProc, readyEvent, watchingClicks ? ClickProc : nullptr);
  return 0;
}

}  // namespace

void KeyHook::Watch(WatchedBindingsPtr bindings, HWND mainWindow) {
  const bool clicks = bindings != nullptr && bindings->abbreviations != nullptr;
  if (handed.Hand(std::move(bindings), mainWindow)) {
    // The mouse hook beside the keys' is there only while there are abbreviations.
    if (clicks != watchingClicks) hookThread.End();
    watchingClicks = clicks;
    hookThread.Start(KeyHookThread, L"TarvekHotKey key hook");
  } else {
    hookThread.End();
  }
}

bool KeyHook::Running() { return hookThread.Running(); }

}  // namespace tarvek::win
