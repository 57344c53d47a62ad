// The keypad mouse controller: eight keys without modifiers that move the pointer, click and
// drag while the main window's check box "启用鼠标控制器" is ticked, and seven letter keys that a
// start with the controller on adds for the same routines.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/actions.h"
#include "core/hotkey_table.h"
#include "core/ports.h"

namespace tarvek {

// The letter keys have ids of their own, MouseLetterKeyIdBase + 1 to 7, each standing for the
// keypad key with the same offset from MouseKeyIdBase. Registering a second key under an id
// that is taken already is not kept by every system (Wine replaces the first key), so the
// keypad keys and the letter keys never share an id.
inline constexpr int MouseLetterKeyIdBase = MouseKeyIdBase + 8;  // + 1 to 7
static_assert(MouseLetterKeyIdBase + 7 == MouseKeyIdLast);

enum class MouseRoutine {
  MouseMoveLeft,    // 10 mickeys to the left
  MouseMoveDown,    // 10 down
  MouseMoveRight,   // 10 to the right
  MouseMoveUp,      // 10 up
  MouseLeftClick,   // press and release, then the mouse sound
  MouseRightClick,  // the same with the right button
  MouseLeftDown,    // press: starts a drag
  MouseLeftUp,      // release: ends it
};

struct MouseKey {
  int id;
  int virtualKey;
  MouseRoutine routine;
};

// In id order: keypad 1, 2, 3, 5, 4, 6, 7, 8.
const std::array<MouseKey, 8>& MouseKeypadKeys();
// In id order: A, S, D, W, J, L, K (the release key exists only on the keypad).
const std::array<MouseKey, 7>& MouseLetterKeys();

// Whether the controller, while on, holds this combination: one of its keypad keys, alone. A
// binding on it gives way to the controller while it is on.
bool ControllerHoldsKey(int modifiers, int virtualKey);

// The routine a controller key's id stands for; nothing for every other id.
std::optional<MouseRoutine> MouseRoutineOfId(int id);

void RunMouseRoutine(MouseRoutine routine, SystemPort& system, const SoundSetting& sound);

// A WM_HOTKEY: false when the id is none of the controller's. A controller key runs its routine
// only while the controller is on and the message carries no modifier flags (the low four bits
// of lParam); otherwise it is swallowed.
bool DispatchMouseHotkey(int id, std::intptr_t lParam, bool controllerOn, SystemPort& system,
                         const SoundSetting& sound);

// The controller's registrations on the main window.
class MouseController {
 public:
  explicit MouseController(HotkeyPort& hotkeys) : hotkeys_(hotkeys) {}

  // The eight keypad keys, in id order.
  void RegisterKeypadKeys();
  // The seven letter keys, which a start with the controller on adds.
  void RegisterLetterKeys();
  // Every key the controller holds: the keypad ids, then the letter ids when they were taken.
  void UnregisterAll();

 private:
  HotkeyPort& hotkeys_;
  bool letterKeysRegistered_ = false;
};

}  // namespace tarvek
