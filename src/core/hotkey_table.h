// The binding record, the fixed table of 101 slots the hotkeys are registered from, and the ids
// every hotkey of the program is registered under.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/input/key_names.h"  // the key names and codes, KeyNames() and KeyCodeFromName()
#include "core/launch/launch_options.h"

namespace tarvek {

// Modifier flags as RegisterHotKey takes them.
inline constexpr int kModAlt = 1;
inline constexpr int kModControl = 2;
inline constexpr int kModShift = 4;
inline constexpr int kModWin = 8;
// A held combination fires once, not again at the keyboard's repeat rate (MOD_NOREPEAT).
inline constexpr int kModNoRepeat = 0x4000;

// Hotkey ids. Slot i of the table is registered as BindingIdBase + i.
inline constexpr int BindingIdBase = -14080;
inline constexpr int ActivationHotkeyId = -12544;
inline constexpr int MouseKeyIdBase = 14736;  // + 1 to 8
inline constexpr int ForegroundClickHotkeyId = -15598;
// The mouse controller's keys, keypad and letters, lie in MouseKeyIdBase + 1 to this.
inline constexpr int MouseKeyIdLast = MouseKeyIdBase + 15;

// The modifiers the system is given for a hotkey of this id. Every hotkey but the mouse
// controller's fires once per press: a held combination would otherwise start its target
// some thirty times a second. The controller's keys repeat, so that a held key keeps moving.
int ModifiersToRegister(int id, int modifiers);

inline constexpr int kTableSlots = 101;  // slots 0 to 100, not 100
inline constexpr int kLastSlot = kTableSlots - 1;

struct HotkeyEntry {
  std::string ModifierText;  // "无", "Ctrl", "Ctrl + Alt", ...
  std::string KeyText;       // "Enter", "A", "F5", "~", "←", ...
  std::string Name;          // the user's label, unique within the list
  std::string Target;        // a path, address, mail address or built-in action name
  std::int16_t Modifiers = 0;   // derived from ModifierText on load
  std::int16_t VirtualKey = 0;  // derived from KeyText on load
  // Kept beside the list, not in it; the defaults for a binding without options.
  LaunchOptions Options;
};

struct HotkeyTable {
  std::array<HotkeyEntry, kTableSlots> slots;
  std::int16_t HotkeyCount = 0;  // bindings read by the last successful load

  // Number of slots in use: filled from 0 upward, the first slot with an empty ModifierText
  // (or a zero key code) ends the list.
  int Used() const;
};

// Sum of the flags of "Ctrl", "Alt", "Shift", "Win" found in the text as substrings
// (case-sensitive, each counted once). "无" gives 0.
std::int16_t ModifierFlagsFromText(std::string_view modifierText);

// The modifier names the editor offers, in its order ("无" first).
const std::array<std::string_view, 5>& ModifierNames();

// The four column texts joined by Tab: how a grid row is added in one step.
std::string GridRowText(const HotkeyEntry& entry);
std::string GridRowText(std::string_view modifierText, std::string_view keyText,
                        std::string_view name, std::string_view target);

// Length in bytes of the UTF-8 character at the start of text (0 for empty text); 1 for a byte
// that does not start a whole, well-formed sequence.
std::size_t Utf8CharLength(std::string_view text);

// The text with every byte that is not part of a well-formed UTF-8 character replaced by
// U+FFFD, so that a damaged file gives texts every later step can take.
std::string ValidUtf8(std::string_view text);

// Numeric value of the leading decimal digits, as the settings are read: "" or " " gives 0.
long LeadingNumber(std::string_view text);

}  // namespace tarvek
