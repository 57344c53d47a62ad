// Bindings that press keys for the user ("发送按键"): the keys as the options file holds them
// (Keys=Ctrl+Shift+Esc Win+D), and the key events that press them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/input/key_input.h"

namespace tarvek {

// One combination: its modifiers (kMod* flags) and its key. A modifier written alone ("Win")
// is the key itself, with no modifier.
struct KeyCombo {
  int modifiers = 0;
  int virtualKey = 0;
  bool operator==(const KeyCombo&) const = default;
};

struct KeySequence {
  std::vector<KeyCombo> combos;
  // The first name that is no key of the editor's list (a mouse trigger, a typing error), as
  // written; "+" alone for a combination without a key ("Ctrl+"). Empty when all are keys.
  std::string unknown;
  bool Ok() const { return unknown.empty() && !combos.empty(); }
};

// Combinations separated by blanks, each the key names of the editor's list joined by "+",
// modifiers (Ctrl, Alt, Shift, Win) first. Letter case does not count for Latin names. A key
// whose name holds "+" (Num+, 音量+) is read as the rest after the modifiers.
KeySequence ParseKeySequence(std::string_view text);
// As the file and the dialog's box hold them: "Ctrl+Shift+Esc Win+D".
std::string KeySequenceText(std::span<const KeyCombo> combos);

// The events that press one combination: its modifiers go down (Ctrl, Alt, Shift, Win), then
// its key, then all come up in reverse. Win and Alt get the mask key before they come up when
// a key went with them, so that neither the Start menu nor the menu bar opens.
std::vector<KeyInput> ComboEvents(const KeyCombo& combo);

}  // namespace tarvek
