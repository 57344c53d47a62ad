#include "win/input/mouse_hook.h"

#include <optional>
#include <utility>

#include "core/input/key_names.h"
#include "core/input/mouse_watch.h"
#include "core/input/typed_text.h"
#include "win/input/hook_thread.h"

namespace tarvek::win {

namespace {

constinit HandedBindings handed;
HookThread hookThread;

constinit HookStateSlot<MouseWatch> hookState;

// The events a binding may be on; every other one is nothing to decide.
std::optional<MouseInput> InputOf(WPARAM message, const MSLLHOOKSTRUCT& event) {
  auto sideButton = [&event] {
    return HIWORD(event.mouseData) == XBUTTON1 ? kSideButton1Code : kSideButton2Code;
  };
  switch (message) {
    case WM_MBUTTONDOWN:
      return MouseInput{MouseInput::Kind::kButtonDown, kMiddleButtonCode};
    case WM_MBUTTONUP:
      return MouseInput{MouseInput::Kind::kButtonUp, kMiddleButtonCode};
    case WM_XBUTTONDOWN:
      return MouseInput{MouseInput::Kind::kButtonDown, sideButton()};
    case WM_XBUTTONUP:
      return MouseInput{MouseInput::Kind::kButtonUp, sideButton()};
    case WM_MOUSEWHEEL:
      return MouseInput{MouseInput::Kind::kWheel, static_cast<short>(HIWORD(event.mouseData))};
    default:
      return std::nullopt;
  }
}

// Every move of the pointer comes through here: a move goes on before anything else is looked
// at, and an event that is no binding's goes on without an allocation, a window message or a
// wait.
LRESULT CALLBACK MouseProc(int code, WPARAM message, LPARAM data) {
  if (message == WM_MOUSEMOVE) return CallNextHookEx(nullptr, code, message, data);
  auto* state = hookState.Mine();
  const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
  if (code < 0 || state == nullptr || event->dwExtraInfo == kOwnInputTag) {
    return CallNextHookEx(nullptr, code, message, data);
  }
  const std::optional<MouseInput> input = InputOf(message, *event);
  if (!input) return CallNextHookEx(nullptr, code, message, data);
  return AnswerEvent(handed, kMouseFiredMessage, code, message, data, [&](const WatchedBindings& list) {
    return state->watch.Decide(list, *input, ModifiersDown(), [state] { return state->inFront.Ask(); });
  });
}

DWORD WINAPI MouseHookThread(void* readyEvent) {
  hookState.RunWith(WH_MOUSE_LL, MouseProc, readyEvent);
  return 0;
}

}  // namespace

void MouseHook::Watch(WatchedBindingsPtr bindings, HWND mainWindow) {
  if (handed.Hand(std::move(bindings), mainWindow)) {
    hookThread.Start(MouseHookThread, L"TarvekHotKey mouse hook");
  } else {
    hookThread.End();
  }
}

bool MouseHook::Running() { return hookThread.Running(); }

}  // namespace tarvek::win
