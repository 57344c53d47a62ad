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

#include "core/input/program_condition.h"

namespace tarvek {

// Posted by the hook to the main window (WM_APP + 5): wParam the slot, lParam the generation.
inline constexpr unsigned kKeyFiredMessage = 0x8000 + 5;
// Posted by the mouse hook, alike (WM_APP + 6).
inline constexpr unsigned kMouseFiredMessage = 0x8000 + 6;

struct WatchedBinding {
  int slot = 0;
  int modifiers = 0;  // kModAlt | kModControl | kModShift | kModWin
  int virtualKey = 0;
  ProgramCondition condition;  // made from its options: their scope and programs
};

// What the hook watches, handed over whole and never changed afterwards: the hook thread reads
// it while the main thread may already make the next one. The generation tells a fired binding
// of an older list from one of the current list.
struct AbbreviationTable;
struct WatchedBindings {
  unsigned generation = 0;
  std::vector<WatchedBinding> bindings;
  // The abbreviations typed text is watched for; null for none. The key hook is there while
  // either has something.
  std::shared_ptr<const AbbreviationTable> abbreviations;
  bool Empty() const { return bindings.empty() && abbreviations == nullptr; }
};
using WatchedBindingsPtr = std::shared_ptr<const WatchedBindings>;

struct KeyVerdict {
  bool swallow = false;  // the key goes no further
  int firedSlot = -1;    // a binding to run, posted to the main window
  // Press the mask key now, before the binding's run is posted. Every binding that fires asks
  // for it: a key or click the hook swallows is no input to this program, and Windows lets only
  // the program that had the last input bring a window to the front; a modifier let go alone
  // afterwards would open the Start menu (Win), the menu bar (Alt) or switch the input method
  // between 中 and 英 (Shift) or the keyboard layout (Ctrl + Shift).
  bool mask = false;
  bool operator==(const KeyVerdict&) const = default;
};

// One per hook: remembers the keys it took and the keys it let go, so that a key's repeats and
// its release go the way its press went. The hook misses a release now and then (a window of a
// program running as administrator in front, the secure desktop, a time Windows took the hook
// off): only the last key pressed repeats, so a press of any other key, or of that key after
// another one went down, is a new press and decided afresh.
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
  int lastPressed_ = -1;     // the key that went down last: the one key that may repeat
};

}  // namespace tarvek
