#include "core/input/key_watch.h"

#include <utility>

#include "core/hotkey_table.h"

namespace tarvek {

namespace {

constexpr int kModifierFlags = kModAlt | kModControl | kModShift | kModWin;

}  // namespace

// Runs in the hook for every key the user presses anywhere: nothing is allocated and no one is
// asked until a binding's combination matches.
KeyVerdict KeyWatch::Decide(const WatchedBindings& watched, int virtualKey, bool down,
                            int modifiersDown,
                            const std::function<std::string()>& foregroundProgram) {
  if (virtualKey < 0 || virtualKey >= static_cast<int>(taken_.size())) return {};
  const auto key = static_cast<std::size_t>(virtualKey);
  if (!down) {
    // A key goes up the way it went down, so the program in front never sees half of it.
    bool wasTaken = taken_[key];
    taken_[key] = false;
    passed_[key] = false;
    return {wasTaken, -1, false};
  }
  if (std::exchange(lastPressed_, virtualKey) == virtualKey) {
    if (taken_[key]) return {true, -1, false};  // held down: the binding fired once already
    if (passed_[key]) return {};
  } else {
    // Another key went down since, so this is no repeat: whatever the key held from before (a
    // release the hook missed) is forgotten, and the press is decided afresh.
    taken_[key] = false;
    passed_[key] = false;
  }

  const int pressed = modifiersDown & kModifierFlags;
  bool matched = false;
  std::string program;
  for (const WatchedBinding& b : watched.bindings) {
    if (b.virtualKey != virtualKey || (b.modifiers & kModifierFlags) != pressed) continue;
    if (!matched) {
      program = foregroundProgram ? foregroundProgram() : std::string();
      matched = true;
    }
    if (!b.condition.Holds(program)) continue;
    taken_[key] = true;
    return {true, b.slot, true};
  }
  if (matched) passed_[key] = true;
  return {};
}

}  // namespace tarvek
