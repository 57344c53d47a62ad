// The one place this program sends keys through: the typist, the key boxes and the hooks' mask
// key all go through SendKeys, so that every send is tagged as our own and checked for what
// Windows took.
#pragma once

#include <cstddef>
#include <span>

#include "core/input/key_input.h"

namespace tarvek::win {

// One SendInput call of the events, tagged kOwnInputTag; gives how many went in. When Windows
// takes fewer (0 while input is blocked: a consent prompt, another desktop), the keys that went
// down and not up are let go of again. Throws nothing: the hook procs call it.
std::size_t SendKeys(std::span<const KeyInput> events) noexcept;

// A press and release of the mask key: input of this program's own, which gives it the right to
// bring a window to the front, and a key between a modifier's press and release, so that
// letting go of Win or Alt opens no menu and of Shift switches no input method. False when
// Windows did not take it.
bool PressMaskKey() noexcept;

}  // namespace tarvek::win
