#include "win/input/key_box.h"

#include <imm.h>

#include "win/input/key_sender.h"
#include "win/windows/common_controls.h"
#include "win/system/on_demand.h"

namespace tarvek::win {

namespace {

// imm32 is there on every system with input methods; looked up when a box first wants it.
template <typename Function>
Function Imm(const char* name) {
  return SystemFunction<Function>(L"imm32.dll", name);
}

}  // namespace

void TakeNoInputMethod(HWND box) {
  static const auto associate = Imm<decltype(&ImmAssociateContextEx)>("ImmAssociateContextEx");
  // No context at all (not the default one): the box's keys go to it as they are.
  if (associate != nullptr && box != nullptr) associate(box, nullptr, 0);
}

BoxKey KeyOfPress(HWND box, WPARAM wParam) {
  int inputMethodKey = 0;
  if (wParam == kProcessKeyCode) {
    static const auto virtualKey = Imm<decltype(&ImmGetVirtualKey)>("ImmGetVirtualKey");
    if (virtualKey != nullptr) inputMethodKey = static_cast<int>(virtualKey(box));
  }
  return TranslateBoxKey(static_cast<int>(wParam), inputMethodKey);
}

void ReplayToBox(HWND box, const BoxKey& key, LPARAM lParam) {
  static const auto getContext = Imm<decltype(&ImmGetContext)>("ImmGetContext");
  static const auto notify = Imm<decltype(&ImmNotifyIME)>("ImmNotifyIME");
  static const auto release = Imm<decltype(&ImmReleaseContext)>("ImmReleaseContext");
  if (getContext != nullptr && notify != nullptr && release != nullptr) {
    if (HIMC context = getContext(box); context != nullptr) {
      notify(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
      release(box, context);
    }
  }
  DefaultSubclassProc(box, WM_KEYDOWN, static_cast<WPARAM>(key.keyCode), lParam);
  if (key.typed) DefaultSubclassProc(box, WM_CHAR, static_cast<WPARAM>(*key.typed), lParam);
}

void KeepStartMenuShut() { PressMaskKey(); }

LRESULT CALLBACK PlainKeyBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) {
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && wParam == kProcessKeyCode) {
    const BoxKey key = KeyOfPress(box, wParam);
    if (key.fromInputMethod) {
      ReplayToBox(box, key, lParam);
      return 0;
    }
  }
  return DefaultSubclassProc(box, message, wParam, lParam);
}

}  // namespace tarvek::win
