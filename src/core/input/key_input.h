// Key events as this program sends them (the typist, the mask key, the key boxes), and the
// event lists around every send: the mask key, letting go of keys still held, and the keys a
// send cut short left down.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvek {

// One key event as SendInput takes it. With a unit, it is KEYEVENTF_UNICODE of that UTF-16
// unit (virtual key 0); else the virtual key itself.
struct KeyInput {
  std::uint16_t virtualKey = 0;
  std::uint16_t unit = 0;
  bool up = false;
  bool operator==(const KeyInput&) const = default;
};

// An unassigned virtual key. Pressed while a modifier is down, it tells whoever watches the
// modifier alone that it was used with another key: the shell opens no Start menu when Win goes
// up, the window in front no menu bar when Alt does, and an input method does not switch
// between 中 and 英 when Shift does (nor Windows the keyboard layout on Ctrl + Shift).
inline constexpr std::uint16_t kMaskKey = 0xE8;
// The events carry this in dwExtraInfo, so that this program's own hooks let them by.
inline constexpr std::uintptr_t kOwnInputTag = 0x54484B31;  // "THK1"

// A press and a release of the mask key.
inline constexpr std::array<KeyInput, 2> kMaskKeyEvents = {{{kMaskKey, 0, false},
                                                           {kMaskKey, 0, true}}};

// Ctrl, Shift, Alt or Win, either side or side-less.
bool IsModifierKey(int virtualKey);
// Keys a keyboard sends with the extended prefix, and that are sent so: the arrows, Insert,
// Delete, Home, End, Page Up/Down, the right Ctrl and Alt, the Win keys and the menu key,
// Num /, PrintScreen, Num Lock, and the media, volume and browser keys. Sent without it, an
// arrow would be the keypad's 4, and Num / the main keyboard's /.
bool IsExtendedKey(int virtualKey);

// The events that let go of keys still logically down (virtual keys): first the mask key when a
// modifier is among them, then each one's release.
std::vector<KeyInput> ReleaseHeldKeys(const std::vector<int>& heldVirtualKeys);

// When a send took only the first `taken` of its events: the releases of the keys that went
// down among those and not up, the last pressed first. Without them a key would stay down for
// whatever gets the keyboard next.
std::vector<KeyInput> KeysLeftDown(std::span<const KeyInput> events, std::size_t taken);

}  // namespace tarvek
