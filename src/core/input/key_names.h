// The names of the keys and mouse triggers a binding can use, and their codes: one table, read
// by the list reader, the editor, the settings dialog and the hooks alike.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tarvek {

// Mouse triggers have codes no keyboard key has: the mouse buttons' own virtual keys, and two
// reserved codes for the wheel. RegisterHotKey never fires for them; the mouse hook watches them.
inline constexpr int kMiddleButtonCode = 0x04;  // VK_MBUTTON
inline constexpr int kSideButton1Code = 0x05;   // VK_XBUTTON1
inline constexpr int kSideButton2Code = 0x06;   // VK_XBUTTON2
inline constexpr int kWheelUpCode = 0x0A;
inline constexpr int kWheelDownCode = 0x0B;
inline constexpr std::string_view kMiddleButtonName = "鼠标中键";
inline constexpr std::string_view kSideButton1Name = "鼠标侧键1";
inline constexpr std::string_view kSideButton2Name = "鼠标侧键2";
inline constexpr std::string_view kWheelUpName = "滚轮向上";
inline constexpr std::string_view kWheelDownName = "滚轮向下";

// Windows 11 keeps PrintScreen alone for its snipping tool (VK_SNAPSHOT).
inline constexpr int kPrintScreenCode = 0x2C;

// Whether the code is one of the mouse triggers above.
bool IsMouseCode(int code);
// The middle button and the wheel need a modifier: a plain middle click or wheel turn must always
// reach the program under the pointer. The side buttons may be used alone.
bool MouseCodeNeedsModifier(int code);
// Any key that must not be bound without a modifier: those mouse triggers, and PrintScreen.
bool KeyNeedsModifier(int code);

// The key names the editor's base-key box offers, in its order: the keyboard's keys, then the
// mouse triggers.
std::span<const std::string_view> KeyNames();
// The names the settings dialog's activation key box offers: the keyboard's keys only, since
// the activation hotkey is a system hotkey.
std::span<const std::string_view> KeyboardKeyNames();

// Virtual-key code of a key name (UTF-8). The names of the table first; then a one-character
// name gives its code in the ANSI code page (for letters and digits, the ASCII code); any other
// name gives the number after its first character plus 111 ("F1" 112 ... "F12" 123).
std::int16_t KeyCodeFromName(std::string_view keyName);
// The table's name of a code; empty for a code it does not name.
std::string_view KeyNameFromCode(int code);

}  // namespace tarvek
