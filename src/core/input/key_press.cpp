#include "core/input/key_press.h"

#include "core/input/key_names.h"

namespace tarvek {

namespace {

constexpr int kNumpad0 = 0x60, kNumpad9 = 0x69;

// Keys that type a character in a drop-down list: letters, digits, Space, the keypad (with Num
// Lock on) and the punctuation keys.
bool TypesCharacter(int keyCode) {
  return (keyCode >= '0' && keyCode <= '9') || (keyCode >= 'A' && keyCode <= 'Z') ||
         keyCode == ' ' || (keyCode >= kNumpad0 && keyCode <= 0x6F) ||
         (keyCode >= 0xBA && keyCode <= 0xC0) || (keyCode >= 0xDB && keyCode <= 0xDF) ||
         keyCode == 0xE2;
}

// Keys a drop-down list moves, closes or leaves by: PageUp to ↓, Tab, Enter and Esc.
bool ListKey(int keyCode) {
  return (keyCode >= 0x21 && keyCode <= 0x28) || keyCode == 0x09 || keyCode == 0x0D ||
         keyCode == 0x1B;
}

}  // namespace

bool IsWinKey(int keyCode) { return keyCode == kLeftWinKeyCode || keyCode == kRightWinKeyCode; }

std::string_view KeyChosenByPress(int keyCode) {
  if (TypesCharacter(keyCode) || ListKey(keyCode) || IsMouseCode(keyCode)) return {};
  return KeyNameFromCode(keyCode);
}

BoxKey TranslateBoxKey(int keyCode, int inputMethodKey) {
  BoxKey key;
  key.keyCode = keyCode;
  if (keyCode == kProcessKeyCode && inputMethodKey > 0 && inputMethodKey < 0xFF &&
      inputMethodKey != kProcessKeyCode) {
    key.keyCode = inputMethodKey;
    key.fromInputMethod = true;
    // Letters and digits are what an input method in Chinese mode takes; the others (arrows,
    // Enter while nothing is composed) it lets through as they are.
    if ((inputMethodKey >= 'A' && inputMethodKey <= 'Z') ||
        (inputMethodKey >= '0' && inputMethodKey <= '9')) {
      key.typed = static_cast<char>(inputMethodKey);
    } else if (inputMethodKey >= kNumpad0 && inputMethodKey <= kNumpad9) {
      key.typed = static_cast<char>('0' + (inputMethodKey - kNumpad0));
    }
  }
  // The right Win key is a Win key like the left one.
  if (key.keyCode == kRightWinKeyCode) key.keyCode = kLeftWinKeyCode;
  return key;
}

}  // namespace tarvek
