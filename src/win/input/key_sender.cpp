#include "win/input/key_sender.h"

#include <windows.h>

#include <array>
#include <vector>

namespace tarvek::win {

namespace {

// Enough for a typing batch and anything smaller, so that the hook procs and the typist send
// without an allocation.
constexpr std::size_t kInputsOnStack = 64;

INPUT KeyboardInput(const KeyInput& event) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.dwExtraInfo = kOwnInputTag;
  if (event.unit != 0) {
    input.ki.wScan = event.unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE;
  } else {
    input.ki.wVk = event.virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(event.virtualKey, MAPVK_VK_TO_VSC));
    if (IsExtendedKey(event.virtualKey)) input.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
  }
  if (event.up) input.ki.dwFlags |= KEYEVENTF_KEYUP;
  return input;
}

UINT SendOnce(std::span<const KeyInput> events) {
  std::array<INPUT, kInputsOnStack> onStack;
  std::vector<INPUT> onHeap;
  INPUT* inputs = onStack.data();
  if (events.size() > onStack.size()) {
    onHeap.resize(events.size());
    inputs = onHeap.data();
  }
  for (std::size_t i = 0; i < events.size(); ++i) inputs[i] = KeyboardInput(events[i]);
  return SendInput(static_cast<UINT>(events.size()), inputs, sizeof(INPUT));
}

}  // namespace

std::size_t SendKeys(std::span<const KeyInput> events) noexcept {
  if (events.empty()) return 0;
  try {
    const std::size_t taken = SendOnce(events);
    if (taken < events.size()) {
      // Likely refused as well while input stays blocked; when it is not, no key is left down
      // for whatever gets the keyboard next.
      if (const std::vector<KeyInput> up = KeysLeftDown(events, taken); !up.empty()) SendOnce(up);
    }
    return taken;
  } catch (...) {  // short of memory for a long send: nothing went in
    return 0;
  }
}

bool PressMaskKey() noexcept { return SendKeys(kMaskKeyEvents) == kMaskKeyEvents.size(); }

}  // namespace tarvek::win
