#include "core/input/key_sequence.h"

#include <array>
#include <cstdint>

#include "core/hotkey_table.h"
#include "core/input/key_names.h"

namespace tarvek {

namespace {

struct Modifier {
  std::string_view name;
  int flag;
  std::uint16_t key;  // the left one, as the user's own hand presses it
};
// In the order they go down.
constexpr std::array<Modifier, 4> kModifiers = {{{"Ctrl", kModControl, 0xA2},
                                                 {"Alt", kModAlt, 0xA4},
                                                 {"Shift", kModShift, 0xA0},
                                                 {"Win", kModWin, 0x5B}}};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

const Modifier* ModifierNamed(std::string_view name) {
  for (const Modifier& m : kModifiers) {
    if (SameName(name, m.name)) return &m;
  }
  return nullptr;
}

// The keyboard key of the editor's list with this name; 0 for none.
int KeyNamed(std::string_view name) {
  for (std::string_view known : KeyboardKeyNames()) {
    if (SameName(name, known)) return KeyCodeFromName(known);
  }
  return 0;
}

// One combination ("Ctrl+Shift+Esc"); false with the name at fault in `unknown`.
bool ParseCombo(std::string_view text, KeyCombo& combo, std::string& unknown) {
  for (;;) {
    // The whole rest may be a key whose name holds "+" ("Num+", "Ctrl+音量+").
    if (int key = KeyNamed(text)) {
      combo.virtualKey = key;
      return true;
    }
    const std::size_t plus = text.find('+');
    const Modifier* modifier = ModifierNamed(text.substr(0, plus));
    if (modifier == nullptr) {
      unknown = std::string(text.substr(0, plus));
      if (unknown.empty()) unknown = "+";
      return false;
    }
    if (plus == std::string_view::npos) {  // a modifier alone is its own key
      combo.virtualKey = modifier->key;
      return true;
    }
    combo.modifiers |= modifier->flag;
    text.remove_prefix(plus + 1);
    if (text.empty()) {
      unknown = "+";
      return false;
    }
  }
}

}  // namespace

KeySequence ParseKeySequence(std::string_view text) {
  KeySequence sequence;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ' || text[at] == '\t') {
      ++at;
      continue;
    }
    std::size_t end = text.find_first_of(" \t", at);
    if (end == std::string_view::npos) end = text.size();
    KeyCombo combo;
    if (!ParseCombo(text.substr(at, end - at), combo, sequence.unknown)) return sequence;
    sequence.combos.push_back(combo);
    at = end;
  }
  return sequence;
}

std::string KeySequenceText(std::span<const KeyCombo> combos) {
  std::string text;
  for (const KeyCombo& combo : combos) {
    if (!text.empty()) text += ' ';
    for (const Modifier& m : kModifiers) {
      if ((combo.modifiers & m.flag) != 0) text.append(m.name).append("+");
    }
    const Modifier* alone = nullptr;
    for (const Modifier& m : kModifiers) {
      if (m.key == combo.virtualKey) alone = &m;
    }
    text.append(alone != nullptr ? alone->name : KeyNameFromCode(combo.virtualKey));
  }
  return text;
}

std::vector<KeyInput> ComboEvents(const KeyCombo& combo) {
  std::vector<KeyInput> events;
  for (const Modifier& m : kModifiers) {
    if ((combo.modifiers & m.flag) != 0) events.push_back({m.key, 0, false});
  }
  const auto key = static_cast<std::uint16_t>(combo.virtualKey);
  events.push_back({key, 0, false});
  events.push_back({key, 0, true});
  if ((combo.modifiers & (kModWin | kModAlt)) != 0) {
    events.insert(events.end(), kMaskKeyEvents.begin(), kMaskKeyEvents.end());
  }
  for (auto m = kModifiers.rbegin(); m != kModifiers.rend(); ++m) {
    if ((combo.modifiers & m->flag) != 0) events.push_back({m->key, 0, true});
  }
  return events;
}

}  // namespace tarvek
