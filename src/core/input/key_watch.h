// The bindings that act only in some programs are not registered with the system: a low-level
// keyboard hook on a thread of its own watches for their keys and decides, key by key, whether
// to take a key (the binding fires) or let it go on to the program in front untouched. This is
// that decision, without the hook.
#pragma once

#include <bitset>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/launch/launch_options.h"

namespace tarvek {

// Posted by the hook to the main window (WM_APP + 5): wParam the slot, lParam the generation.
inline constexpr unsigned kKeyFiredMessage = 0x8000 + 5;
// Posted by the mouse hook, alike (WM_APP + 6).
inline constexpr unsigned kMouseFiredMessage = 0x8000 + 6;

struct WatchedBinding {
  int slot = 0;
  int modifiers = 0;  // kModAlt | kModControl | kModShift | kModWin
  int virtualKey = 0;
  LaunchOptions options;  // its scope and programs
};

// What the hook watches, handed over whole and never changed afterwards: the hook thread reads
// it while the main thread may already make the next one. The generation tells a fired binding
// of an older list from one of the current list.
struct WatchedBindings {
  unsigned generation = 0;
  std::vector<WatchedBinding> bindings;
};
using WatchedBindingsPtr = std::shared_ptr<const WatchedBindings>;

struct KeyVerdict {
  bool swallow = false;  // the key goes no further
  int firedSlot = -1;    // a binding to run, posted to the main window
  bool mask = false;     // press the mask key now: Win or Alt is down and must not open a menu
  bool operator==(const KeyVerdict&) const = default;
};

// One per hook: remembers the keys it took and the keys it let go, so that a key's repeats and
// its release go the way its press went.
class KeyWatch {
 public:
  // A key event the hook saw (not one of this program's own). modifiersDown: the modifiers
  // logically down before it (kMod* flags). foregroundProgram is asked only when a binding's
  // combination matches: the full path of the program in front, empty when unknown.
  KeyVerdict Decide(const WatchedBindings& watched, int virtualKey, bool down, int modifiersDown,
                    const std::function<std::string()>& foregroundProgram);

 private:
  std::bitset<256> taken_;   // pressed, taken: repeats and the release are taken too
  std::bitset<256> passed_;  // pressed, let go: repeats and the release go on, nothing fires
};

}  // namespace tarvek
