#include "core/hotkey_table.h"

#include <cctype>

namespace tarvek {

int HotkeyTable::Used() const {
  int n = 0;
  while (n < kTableSlots && !slots[n].ModifierText.empty() && slots[n].VirtualKey != 0) ++n;
  return n;
}

std::int16_t ModifierFlagsFromText(std::string_view text) {
  std::int16_t flags = 0;
  if (text.find("Ctrl") != std::string_view::npos) flags += kModControl;
  if (text.find("Alt") != std::string_view::npos) flags += kModAlt;
  if (text.find("Shift") != std::string_view::npos) flags += kModShift;
  if (text.find("Win") != std::string_view::npos) flags += kModWin;
  return flags;
}

namespace {

struct NamedKey {
  std::string_view name;
  std::int16_t code;
};

constexpr NamedKey kNamedKeys[] = {
    {"Space", 32}, {"Enter", 13}, {"Tab", 9},     {"Esc", 27},     {"End", 35},
    {"~", 192},    {"←", 37},     {"→", 39},      {"↑", 38},       {"↓", 40},
};

// Length in bytes of the UTF-8 sequence that starts with this byte.
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

}  // namespace

long LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > 100000000L) break;  // far beyond any setting; stop before overflow
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

std::int16_t KeyCodeFromName(std::string_view name) {
  for (const NamedKey& key : kNamedKeys) {
    if (name == key.name) return key.code;
  }
  if (!name.empty() && Utf8SequenceLength(static_cast<unsigned char>(name[0])) == name.size()) {
    if (name.size() == 1) return static_cast<std::int16_t>(static_cast<unsigned char>(name[0]));
    // A single non-ASCII character (only a hand-edited file has one) names no key the system
    // knows; its code point keeps the slot non-zero so that the bindings after it still count.
    unsigned cp = static_cast<unsigned char>(name[0]) & (name.size() == 2 ? 0x1F : name.size() == 3 ? 0x0F : 0x07);
    for (std::size_t i = 1; i < name.size(); ++i) cp = (cp << 6) | (static_cast<unsigned char>(name[i]) & 0x3F);
    return static_cast<std::int16_t>(cp & 0x7FFF ? cp & 0x7FFF : 1);
  }
  return static_cast<std::int16_t>(LeadingNumber(name.substr(name.empty() ? 0 : Utf8SequenceLength(static_cast<unsigned char>(name[0])))) + 111);
}

const std::array<std::string_view, 58>& KeyNames() {
  static const std::array<std::string_view, 58> names = {
      "Enter", "Space", "Esc", "End", "Tab", "←", "→", "↑", "↓", "~",
      "0",     "1",     "2",   "3",   "4",   "5", "6", "7", "8", "9",
      "A",     "B",     "C",   "D",   "E",   "F", "G", "H", "I", "J",
      "K",     "L",     "M",   "N",   "O",   "P", "Q", "R", "S", "T",
      "U",     "V",     "W",   "X",   "Y",   "Z", "F1", "F2", "F3", "F4",
      "F5",    "F6",    "F7",  "F8",  "F9",  "F10", "F11", "F12"};
  return names;
}

const std::array<std::string_view, 5>& ModifierNames() {
  static const std::array<std::string_view, 5> names = {"无", "Ctrl", "Alt", "Shift", "Win"};
  return names;
}

std::string GridRowText(std::string_view modifierText, std::string_view keyText,
                        std::string_view name, std::string_view target) {
  std::string row;
  row.reserve(modifierText.size() + keyText.size() + name.size() + target.size() + 3);
  row.append(modifierText).append(1, '\t').append(keyText).append(1, '\t');
  row.append(name).append(1, '\t').append(target);
  return row;
}

std::string GridRowText(const HotkeyEntry& e) {
  return GridRowText(e.ModifierText, e.KeyText, e.Name, e.Target);
}

}  // namespace tarvek
