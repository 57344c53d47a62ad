// What a key box makes of a key press: the key boxes of the editor and of the settings dialog
// choose keys from the keyboard, and an input method or the right-hand Win key must not change
// what the user chose.
#pragma once

#include <optional>
#include <string_view>

namespace tarvek {

inline constexpr int kProcessKeyCode = 0xE5;    // a press an input method took for itself
inline constexpr int kLeftWinKeyCode = 0x5B;
inline constexpr int kRightWinKeyCode = 0x5C;

// A key press as a key box takes it.
struct BoxKey {
  int keyCode = 0;               // the real key; either Win key reads as the left one
  bool fromInputMethod = false;  // the input method had it: whatever it started is to go
  // The character the press types into a drop-down list, which chooses by it: for a press the
  // input method had, given to the box in its stead. None for keys that type nothing there.
  std::optional<char> typed;
};

// keyCode is the key of the message; inputMethodKey the key the input method holds behind a
// kProcessKeyCode (0 when it names none). A kProcessKeyCode whose key is not known stays as it is.
BoxKey TranslateBoxKey(int keyCode, int inputMethodKey);

bool IsWinKey(int keyCode);

// The name a key box chooses when this key goes down in it: a key that types no character and
// has no role in a drop-down list (F13, 音量+, Delete, PrintScreen, ...). Empty for the keys
// that type a character, which the list chooses by as ever, for its own keys (the arrows, Home,
// End, PageUp, PageDown, Tab, Enter, Esc) and for keys the table does not name.
std::string_view KeyChosenByPress(int keyCode);

}  // namespace tarvek
