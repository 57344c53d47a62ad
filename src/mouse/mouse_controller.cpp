#include "mouse/mouse_controller.h"

namespace tarvek {

namespace {

constexpr int kMoveStep = 10;  // mickeys per key press; the pointer speed applies

constexpr std::array<MouseKey, 8> kKeypadKeys = {{
    {MouseKeyIdBase + 1, 97, MouseRoutine::MouseMoveLeft},     // keypad 1
    {MouseKeyIdBase + 2, 98, MouseRoutine::MouseMoveDown},     // keypad 2
    {MouseKeyIdBase + 3, 99, MouseRoutine::MouseMoveRight},    // keypad 3
    {MouseKeyIdBase + 4, 101, MouseRoutine::MouseMoveUp},      // keypad 5
    {MouseKeyIdBase + 5, 100, MouseRoutine::MouseLeftClick},   // keypad 4
    {MouseKeyIdBase + 6, 102, MouseRoutine::MouseRightClick},  // keypad 6
    {MouseKeyIdBase + 7, 103, MouseRoutine::MouseLeftDown},    // keypad 7
    {MouseKeyIdBase + 8, 104, MouseRoutine::MouseLeftUp},      // keypad 8
}};

constexpr std::array<MouseKey, 7> kLetterKeys = {{
    {MouseLetterKeyIdBase + 1, 'A', MouseRoutine::MouseMoveLeft},
    {MouseLetterKeyIdBase + 2, 'S', MouseRoutine::MouseMoveDown},
    {MouseLetterKeyIdBase + 3, 'D', MouseRoutine::MouseMoveRight},
    {MouseLetterKeyIdBase + 4, 'W', MouseRoutine::MouseMoveUp},
    {MouseLetterKeyIdBase + 5, 'J', MouseRoutine::MouseLeftClick},
    {MouseLetterKeyIdBase + 6, 'L', MouseRoutine::MouseRightClick},
    {MouseLetterKeyIdBase + 7, 'K', MouseRoutine::MouseLeftDown},
}};

}  // namespace

const std::array<MouseKey, 8>& MouseKeypadKeys() { return kKeypadKeys; }
const std::array<MouseKey, 7>& MouseLetterKeys() { return kLetterKeys; }

bool ControllerHoldsKey(int modifiers, int virtualKey) {
  if (modifiers != 0) return false;
  for (const MouseKey& key : kKeypadKeys) {
    if (key.virtualKey == virtualKey) return true;
  }
  return false;
}

std::optional<MouseRoutine> MouseRoutineOfId(int id) {
  for (const MouseKey& key : kKeypadKeys) {
    if (key.id == id) return key.routine;
  }
  for (const MouseKey& key : kLetterKeys) {
    if (key.id == id) return key.routine;
  }
  return std::nullopt;
}

void RunMouseRoutine(MouseRoutine routine, SystemPort& system, const SoundSetting& sound) {
  switch (routine) {
    case MouseRoutine::MouseMoveLeft:
      return system.MouseEvent(kMouseMove, -kMoveStep, 0);
    case MouseRoutine::MouseMoveDown:
      return system.MouseEvent(kMouseMove, 0, kMoveStep);
    case MouseRoutine::MouseMoveRight:
      return system.MouseEvent(kMouseMove, kMoveStep, 0);
    case MouseRoutine::MouseMoveUp:
      return system.MouseEvent(kMouseMove, 0, -kMoveStep);
    case MouseRoutine::MouseLeftClick:
      system.MouseEvent(kMouseLeftDown, 0, 0);
      system.MouseEvent(kMouseLeftUp, 0, 0);
      return PlaySoundFile(sound.MouseWave(), sound, system);
    case MouseRoutine::MouseRightClick:
      system.MouseEvent(kMouseRightDown, 0, 0);
      system.MouseEvent(kMouseRightUp, 0, 0);
      return PlaySoundFile(sound.MouseWave(), sound, system);
    case MouseRoutine::MouseLeftDown:
      return system.MouseEvent(kMouseLeftDown, 0, 0);
    case MouseRoutine::MouseLeftUp:
      return system.MouseEvent(kMouseLeftUp, 0, 0);
  }
}

bool DispatchMouseHotkey(int id, std::intptr_t lParam, bool controllerOn, SystemPort& system,
                         const SoundSetting& sound) {
  std::optional<MouseRoutine> routine = MouseRoutineOfId(id);
  if (!routine) return false;
  // Only the bare keys drive the pointer; with a modifier held the key is left alone.
  if (controllerOn && (lParam & 0xF) == 0) RunMouseRoutine(*routine, system, sound);
  return true;
}

void MouseController::RegisterKeypadKeys() {
  for (const MouseKey& key : kKeypadKeys) hotkeys_.RegisterHotkey(key.id, 0, key.virtualKey);
}

void MouseController::RegisterLetterKeys() {
  for (const MouseKey& key : kLetterKeys) hotkeys_.RegisterHotkey(key.id, 0, key.virtualKey);
  letterKeysRegistered_ = true;
}

void MouseController::UnregisterAll() {
  for (const MouseKey& key : kKeypadKeys) hotkeys_.UnregisterHotkey(key.id);
  if (!letterKeysRegistered_) return;
  for (const MouseKey& key : kLetterKeys) hotkeys_.UnregisterHotkey(key.id);
  letterKeysRegistered_ = false;
}

}  // namespace tarvek
