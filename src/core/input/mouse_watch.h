// The bindings on mouse triggers (the middle button, the side buttons, the wheel) are watched by
// a low-level mouse hook on a thread of its own. This is its decision for one mouse event,
// without the hook: take it (a binding fires) or let it go on to the window under the pointer.
#pragma once

#include <bitset>
#include <functional>
#include <string>

#include "core/input/key_watch.h"

namespace tarvek {

struct MouseInput {
  enum class Kind { kButtonDown, kButtonUp, kWheel };
  Kind kind = Kind::kButtonDown;
  // A button's code (kMiddleButtonCode, kSideButton1Code, kSideButton2Code), or for the wheel
  // its turn: above 0 away from the user (滚轮向上), below 0 towards the user.
  int code = 0;
};

// One per hook: remembers the buttons it took, so that a taken press's release is taken too.
class MouseWatch {
 public:
  // A mouse event the hook saw (not one of this program's own). modifiersDown: the modifiers
  // logically down (kMod* flags). foregroundProgram is asked only when a binding with a
  // condition matches: the full path of the program in front, empty when unknown.
  KeyVerdict Decide(const WatchedBindings& watched, MouseInput input, int modifiersDown,
                    const std::function<std::string()>& foregroundProgram);

 private:
  // The binding the trigger fires now, or none.
  const WatchedBinding* Match(const WatchedBindings& watched, int code, int modifiersDown,
                              const std::function<std::string()>& foregroundProgram) const;

  std::bitset<8> taken_;  // by button code: pressed and taken, its release is taken too
  // A bound wheel's turn since its last whole notch: a precision touchpad or a free-spinning
  // wheel reports a notch (120) in smaller steps, which are taken as they come and fire the
  // binding once the notch is whole.
  int wheelTurn_ = 0;
};

// The wheel's turn of one notch, as Windows counts it (WHEEL_DELTA).
inline constexpr int kWheelNotch = 120;

}  // namespace tarvek
