#include "core/input/mouse_watch.h"

#include "core/hotkey_table.h"
#include "core/input/key_names.h"

namespace tarvek {

namespace {

constexpr int kModifierFlags = kModAlt | kModControl | kModShift | kModWin;

bool IsButton(int code) {
  return code == kMiddleButtonCode || code == kSideButton1Code || code == kSideButton2Code;
}

}  // namespace

// Runs in the hook for every click and wheel notch anywhere: nothing is allocated and no one is
// asked until a binding's combination matches.
KeyVerdict MouseWatch::Decide(const WatchedBindings& watched, MouseInput input, int modifiersDown,
                              const std::function<std::string()>& foregroundProgram) {
  int code = 0;
  switch (input.kind) {
    case MouseInput::Kind::kWheel:
      if (input.code == 0) return {};
      code = input.code > 0 ? kWheelUpCode : kWheelDownCode;
      break;
    case MouseInput::Kind::kButtonUp: {
      if (!IsButton(input.code)) return {};
      // A button goes up the way it went down: the window never sees a release without its press.
      const bool wasTaken = taken_[static_cast<std::size_t>(input.code)];
      taken_[static_cast<std::size_t>(input.code)] = false;
      return {wasTaken, -1, false};
    }
    case MouseInput::Kind::kButtonDown:
      if (!IsButton(input.code)) return {};
      code = input.code;
      // A press while taken means its release was lost (the hook was away): decided afresh.
      taken_[static_cast<std::size_t>(code)] = false;
      break;
  }
  const WatchedBinding* binding = Match(watched, code, modifiersDown, foregroundProgram);
  if (input.kind == MouseInput::Kind::kWheel) {
    // A turn the other way, or one no binding takes, starts the count afresh.
    if (binding == nullptr || (wheelTurn_ > 0) != (input.code > 0)) wheelTurn_ = 0;
    if (binding == nullptr) return {};
    wheelTurn_ += input.code;
    if (wheelTurn_ > -kWheelNotch && wheelTurn_ < kWheelNotch) return {true, -1, false};
    wheelTurn_ %= kWheelNotch;  // a fast spin's several notches in one event fire once
  }
  if (binding == nullptr) return {};
  if (input.kind == MouseInput::Kind::kButtonDown) taken_[static_cast<std::size_t>(code)] = true;
  return {true, binding->slot, true};
}

const WatchedBinding* MouseWatch::Match(
    const WatchedBindings& watched, int code, int modifiersDown,
    const std::function<std::string()>& foregroundProgram) const {
  const int pressed = modifiersDown & kModifierFlags;
  // A plain middle click or wheel turn always reaches the window, whatever a list says.
  if (pressed == 0 && MouseCodeNeedsModifier(code)) return nullptr;
  bool asked = false;
  std::string program;
  for (const WatchedBinding& b : watched.bindings) {
    if (b.virtualKey != code || (b.modifiers & kModifierFlags) != pressed) continue;
    if (b.condition.Any() && !asked) {
      program = foregroundProgram ? foregroundProgram() : std::string();
      asked = true;
    }
    if (b.condition.Holds(program)) return &b;
  }
  return nullptr;
}

}  // namespace tarvek
