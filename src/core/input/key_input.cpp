#include "core/input/key_input.h"

#include <algorithm>

namespace tarvek {

bool IsModifierKey(int virtualKey) {
  // Shift, Ctrl, Alt side-less; their left and right keys; the two Win keys.
  return (virtualKey >= 0x10 && virtualKey <= 0x12) || (virtualKey >= 0xA0 && virtualKey <= 0xA5) ||
         virtualKey == 0x5B || virtualKey == 0x5C;
}

bool IsExtendedKey(int virtualKey) {
  return (virtualKey >= 0x21 && virtualKey <= 0x28) ||  // Page Up/Down, End, Home, the arrows
         virtualKey == 0x2C || virtualKey == 0x2D || virtualKey == 0x2E ||  // PrintScreen, Ins, Del
         (virtualKey >= 0x5B && virtualKey <= 0x5D) ||  // the Win keys, the menu key
         virtualKey == 0x6F || virtualKey == 0x90 ||    // Num /, Num Lock
         virtualKey == 0xA3 || virtualKey == 0xA5 ||    // the right Ctrl and Alt
         (virtualKey >= 0xA6 && virtualKey <= 0xB7);    // browser, volume, media, launch keys
}

std::vector<KeyInput> ReleaseHeldKeys(const std::vector<int>& heldVirtualKeys) {
  std::vector<KeyInput> events;
  if (std::any_of(heldVirtualKeys.begin(), heldVirtualKeys.end(), IsModifierKey)) {
    events.assign(kMaskKeyEvents.begin(), kMaskKeyEvents.end());
  }
  for (int key : heldVirtualKeys) events.push_back({static_cast<std::uint16_t>(key), 0, true});
  return events;
}

std::vector<KeyInput> KeysLeftDown(std::span<const KeyInput> events, std::size_t taken) {
  std::vector<KeyInput> down;
  for (const KeyInput& event : events.first(std::min(taken, events.size()))) {
    const KeyInput pressed{event.virtualKey, event.unit, false};
    auto found = std::find(down.begin(), down.end(), pressed);
    if (!event.up && found == down.end()) down.push_back(pressed);
    if (event.up && found != down.end()) down.erase(found);
  }
  std::reverse(down.begin(), down.end());
  for (KeyInput& key : down) key.up = true;
  return down;
}

}  // namespace tarvek
