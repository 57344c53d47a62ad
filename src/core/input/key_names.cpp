#include "core/input/key_names.h"

#include <array>

#include "core/hotkey_table.h"

namespace tarvek {

namespace {

constexpr bool IsMouse(int code) {
  return code == kMiddleButtonCode || code == kSideButton1Code || code == kSideButton2Code ||
         code == kWheelUpCode || code == kWheelDownCode;
}

struct NamedKey {
  std::string_view name;
  int code;
};

// Every name a list may hold for a key, in the order the editor offers them. The punctuation
// keys are named by what they type unshifted on a US layout (the VK_OEM_* keys sit where those
// are), whatever the user's own layout prints on them.
constexpr NamedKey kKeys[] = {
    {"Enter", 0x0D}, {"Space", 0x20}, {"Esc", 0x1B}, {"End", 0x23}, {"Tab", 0x09},
    {"←", 0x25}, {"→", 0x27}, {"↑", 0x26}, {"↓", 0x28}, {"~", 0xC0},
    {"0", '0'}, {"1", '1'}, {"2", '2'}, {"3", '3'}, {"4", '4'},
    {"5", '5'}, {"6", '6'}, {"7", '7'}, {"8", '8'}, {"9", '9'},
    {"A", 'A'}, {"B", 'B'}, {"C", 'C'}, {"D", 'D'}, {"E", 'E'}, {"F", 'F'}, {"G", 'G'},
    {"H", 'H'}, {"I", 'I'}, {"J", 'J'}, {"K", 'K'}, {"L", 'L'}, {"M", 'M'}, {"N", 'N'},
    {"O", 'O'}, {"P", 'P'}, {"Q", 'Q'}, {"R", 'R'}, {"S", 'S'}, {"T", 'T'}, {"U", 'U'},
    {"V", 'V'}, {"W", 'W'}, {"X", 'X'}, {"Y", 'Y'}, {"Z", 'Z'},
    {"F1", 0x70}, {"F2", 0x71}, {"F3", 0x72}, {"F4", 0x73}, {"F5", 0x74}, {"F6", 0x75},
    {"F7", 0x76}, {"F8", 0x77}, {"F9", 0x78}, {"F10", 0x79}, {"F11", 0x7A}, {"F12", 0x7B},
    // The keys beyond the first 58.
    {"Insert", 0x2D}, {"Delete", 0x2E}, {"Home", 0x24}, {"PageUp", 0x21}, {"PageDown", 0x22},
    {"Pause", 0x13}, {"ScrollLock", 0x91}, {"PrintScreen", kPrintScreenCode},
    {"F13", 0x7C}, {"F14", 0x7D}, {"F15", 0x7E}, {"F16", 0x7F}, {"F17", 0x80}, {"F18", 0x81},
    {"F19", 0x82}, {"F20", 0x83}, {"F21", 0x84}, {"F22", 0x85}, {"F23", 0x86}, {"F24", 0x87},
    {"Num0", 0x60}, {"Num1", 0x61}, {"Num2", 0x62}, {"Num3", 0x63}, {"Num4", 0x64},
    {"Num5", 0x65}, {"Num6", 0x66}, {"Num7", 0x67}, {"Num8", 0x68}, {"Num9", 0x69},
    {"Num*", 0x6A}, {"Num+", 0x6B}, {"Num-", 0x6D}, {"Num.", 0x6E}, {"Num/", 0x6F},
    {"-", 0xBD}, {"=", 0xBB}, {"[", 0xDB}, {"]", 0xDD}, {"\\", 0xDC}, {";", 0xBA},
    {"'", 0xDE}, {",", 0xBC}, {".", 0xBE}, {"/", 0xBF},
    {"播放/暂停", 0xB3}, {"停止", 0xB2}, {"上一曲", 0xB1}, {"下一曲", 0xB0}, {"静音", 0xAD},
    {"音量+", 0xAF}, {"音量-", 0xAE}, {"浏览器后退", 0xA6}, {"浏览器前进", 0xA7},
    {"浏览器主页", 0xAC}, {"邮件", 0xB4}, {"计算器", 0xB7},
    // The mouse triggers come last: only the editor offers them.
    {kMiddleButtonName, kMiddleButtonCode}, {kSideButton1Name, kSideButton1Code},
    {kSideButton2Name, kSideButton2Code}, {kWheelUpName, kWheelUpCode},
    {kWheelDownName, kWheelDownCode},
};
constexpr std::size_t kMouseNames = 5;
constexpr std::size_t kKeyboardNames = std::size(kKeys) - kMouseNames;

// The names alone, for the boxes' lists, read from the table as it is built.
constexpr auto kNames = [] {
  std::array<std::string_view, std::size(kKeys)> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = kKeys[i].name;
  return names;
}();

// The settings dialog's list is the editor's without its tail: every mouse trigger is there.
constexpr bool MouseNamesLast() {
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    if (IsMouse(kKeys[i].code) != (i >= kKeyboardNames)) return false;
  }
  return true;
}
static_assert(MouseNamesLast());

}  // namespace

bool IsMouseCode(int code) { return IsMouse(code); }

bool MouseCodeNeedsModifier(int code) {
  return code == kMiddleButtonCode || code == kWheelUpCode || code == kWheelDownCode;
}

bool KeyNeedsModifier(int code) { return code == kPrintScreenCode || MouseCodeNeedsModifier(code); }

std::span<const std::string_view> KeyNames() { return kNames; }

std::span<const std::string_view> KeyboardKeyNames() {
  return std::span<const std::string_view>(kNames).first(kKeyboardNames);
}

std::int16_t KeyCodeFromName(std::string_view name) {
  // The table first: "-" is the minus key, not the code of the character '-'.
  for (const NamedKey& key : kKeys) {
    if (name == key.name) return static_cast<std::int16_t>(key.code);
  }
  std::size_t first = Utf8CharLength(name);
  if (!name.empty() && first == name.size()) {
    if (name.size() == 1) return static_cast<std::int16_t>(static_cast<unsigned char>(name[0]));
    // A single non-ASCII character (only a hand-edited file has one) names no key the system
    // knows; its code point keeps the slot non-zero so that the bindings after it still count.
    unsigned cp = static_cast<unsigned char>(name[0]) & (name.size() == 2 ? 0x1F : name.size() == 3 ? 0x0F : 0x07);
    for (std::size_t i = 1; i < name.size(); ++i) cp = (cp << 6) | (static_cast<unsigned char>(name[i]) & 0x3F);
    return static_cast<std::int16_t>(cp & 0x7FFF ? cp & 0x7FFF : 1);
  }
  return static_cast<std::int16_t>(LeadingNumber(name.substr(first)) + 111);
}

std::string_view KeyNameFromCode(int code) {
  for (const NamedKey& key : kKeys) {
    if (key.code == code) return key.name;
  }
  return {};
}

}  // namespace tarvek
