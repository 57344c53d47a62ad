#include "core/hotkey_table.h"

#include <cctype>

namespace tarvek {

int HotkeyTable::Used() const {
  int n = 0;
  while (n < kTableSlots && !slots[n].ModifierText.empty() && slots[n].VirtualKey != 0) ++n;
  return n;
}

int ModifiersToRegister(int id, int modifiers) {
  bool mouseKey = id > MouseKeyIdBase && id <= MouseKeyIdLast;
  return mouseKey ? modifiers : modifiers | kModNoRepeat;
}

std::int16_t ModifierFlagsFromText(std::string_view text) {
  std::int16_t flags = 0;
  if (text.find("Ctrl") != std::string_view::npos) flags += kModControl;
  if (text.find("Alt") != std::string_view::npos) flags += kModAlt;
  if (text.find("Shift") != std::string_view::npos) flags += kModShift;
  if (text.find("Win") != std::string_view::npos) flags += kModWin;
  return flags;
}

// Length in bytes of the UTF-8 character at the start of text: 1 for ASCII and for any byte
// that does not start a whole, well-formed sequence (a hand-edited or damaged file may cut a
// character short), so that a caller never steps past the end of the text.
std::size_t Utf8CharLength(std::string_view text) {
  if (text.empty()) return 0;
  auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4 : 1;
  if (length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    std::size_t n = Utf8CharLength(text);
    if (n == 1 && static_cast<unsigned char>(text[0]) >= 0x80) {
      out += "\xEF\xBF\xBD";
    } else {
      out.append(text.substr(0, n));
    }
    text.remove_prefix(n);
  }
  return out;
}

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
