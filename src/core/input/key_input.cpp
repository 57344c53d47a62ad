#include "core/input/key_input.h"

#include <algorithm>

namespace tarvek {

bool IsModifierKey(int virtualKey) {
  // Shift, Ctrl, Alt side-less; their left and right keys; the two Win keys.
  return (virtualKey >= 0x10 && virtualKey <= 0x12) || (virtualKey >= 0xA0 && virtualKey <= 0xA5) ||
         virtualKey == 0x5B || virtualKey == 0x5C;
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
