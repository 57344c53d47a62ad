#include "core/key_press.h"

namespace tarvek {

namespace {

constexpr int kNumpad0 = 0x60, kNumpad9 = 0x69;

}  // namespace

bool IsWinKey(int keyCode) { return keyCode == kLeftWinKeyCode || keyCode == kRightWinKeyCode; }

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
