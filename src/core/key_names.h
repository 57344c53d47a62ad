// The names of the keys and mouse triggers a binding can use, and their codes: one table, read
// by the list reader, the editor, the settings dialog and the hooks alike.
#pragma once

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

// Whether the code is one of the mouse triggers above.
bool IsMouseCode(int code);
// The middle button and the wheel need a modifier: a plain middle click or wheel turn must always
// reach the program under the pointer. The side buttons may be used alone.
bool MouseCodeNeedsModifier(int code);

}  // namespace tarvek
