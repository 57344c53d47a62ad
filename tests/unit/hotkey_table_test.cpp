#include "core/hotkey_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <set>
#include <string>

namespace tarvek {
namespace {

TEST(KeyCodeFromName, NamedKeysLettersDigitsAndFunctionKeys) {
  EXPECT_EQ(KeyCodeFromName("F1"), 112);
  EXPECT_EQ(KeyCodeFromName("F12"), 123);
  EXPECT_EQ(KeyCodeFromName("A"), 65);
  EXPECT_EQ(KeyCodeFromName("0"), 48);
  EXPECT_EQ(KeyCodeFromName("~"), 192);
  EXPECT_EQ(KeyCodeFromName("↓"), 40);
}

// A key line cut short in the middle of a character (a damaged UTF-8 file) gives a key code,
// never an exception.
TEST(KeyCodeFromName, TruncatedOrInvalidUtf8GivesACode) {
  for (std::string_view name : {"\xE4\xB8", "\xE4", "\xF0\x9F", "\x80", "\xE4\x41\x41", "F\xE4"}) {
    SCOPED_TRACE(name.size());
    EXPECT_NO_THROW(EXPECT_NE(KeyCodeFromName(name), 0));
  }
  EXPECT_EQ(KeyCodeFromName("\xE4\x31\x32"), 12 + 111);  // the lone byte counts as one character
  EXPECT_EQ(ValidUtf8("a\xE4\xB8z\xE4\xB8\x80"), "a\xEF\xBF\xBD\xEF\xBF\xBDz\xE4\xB8\x80");
}

// The name is one the editor offers, and it registers with this virtual-key code.
void CheckOfferedKey(std::string_view name, int code) {
  SCOPED_TRACE(std::string(name));
  const auto& names = KeyNames();
  EXPECT_NE(std::find(names.begin(), names.end(), name), names.end());
  EXPECT_EQ(KeyCodeFromName(name), code);
}

TEST(KeyCodeFromName, EveryNamedKey) {
  CheckOfferedKey("Space", 32);
  CheckOfferedKey("Enter", 13);
  CheckOfferedKey("Tab", 9);
  CheckOfferedKey("Esc", 27);
  CheckOfferedKey("End", 35);
  CheckOfferedKey("~", 192);
  CheckOfferedKey("←", 37);
  CheckOfferedKey("→", 39);
  CheckOfferedKey("↑", 38);
  CheckOfferedKey("↓", 40);
}

TEST(KeyCodeFromName, DigitsAndLettersAreTheirAsciiCodes) {
  for (char c = '0'; c <= '9'; ++c) CheckOfferedKey(std::string(1, c), c);
  for (char c = 'A'; c <= 'Z'; ++c) CheckOfferedKey(std::string(1, c), c);
}

TEST(KeyCodeFromName, FunctionKeysIncludingTwoDigitOnes) {
  CheckOfferedKey("F1", 112);
  CheckOfferedKey("F2", 113);
  CheckOfferedKey("F5", 116);
  CheckOfferedKey("F9", 120);
  CheckOfferedKey("F10", 121);
  CheckOfferedKey("F11", 122);
  CheckOfferedKey("F12", 123);
}

TEST(KeyCodeFromName, EveryOfferedNameHasItsOwnNonZeroCode) {
  std::set<int> codes;
  for (std::string_view name : KeyNames()) {
    int code = KeyCodeFromName(name);
    EXPECT_NE(code, 0) << name;
    EXPECT_TRUE(codes.insert(code).second) << name << " shares code " << code;
  }
  EXPECT_EQ(codes.size(), KeyNames().size());
}

TEST(ModifierFlagsFromText, NamesAndCombinations) {
  EXPECT_EQ(ModifierFlagsFromText("Ctrl + Shift"), 6);
  EXPECT_EQ(ModifierFlagsFromText("Ctrl + Alt"), 3);
  EXPECT_EQ(ModifierFlagsFromText("Alt + Ctrl"), 3);  // the editor keeps the order chosen
  EXPECT_EQ(ModifierFlagsFromText("Shift + Win"), 12);
  EXPECT_EQ(ModifierFlagsFromText("Win"), 8);
  EXPECT_EQ(ModifierFlagsFromText("Alt"), 1);
  EXPECT_EQ(ModifierFlagsFromText("无"), 0);
  EXPECT_EQ(ModifierFlagsFromText(""), 0);
}

TEST(ModifierFlagsFromText, IsCaseSensitiveAndCountsEachNameOnce) {
  EXPECT_EQ(ModifierFlagsFromText("ctrl"), 0);
  EXPECT_EQ(ModifierFlagsFromText("ALT + win"), 0);
  EXPECT_EQ(ModifierFlagsFromText("Ctrl + Ctrl"), 2);
}

TEST(ModifierFlagsFromText, EveryPairOfOfferedNamesSetsTwoDistinctFlags) {
  const auto& names = ModifierNames();
  EXPECT_EQ(ModifierFlagsFromText(names[0]), 0);  // "无"
  for (std::size_t a = 1; a < names.size(); ++a) {
    int first = ModifierFlagsFromText(names[a]);
    EXPECT_EQ(std::popcount(static_cast<unsigned>(first)), 1) << names[a];
    for (std::size_t b = 1; b < names.size(); ++b) {
      if (a == b) continue;
      std::string both = std::string(names[a]) + " + " + std::string(names[b]);
      int second = ModifierFlagsFromText(names[b]);
      EXPECT_NE(first, second) << both;
      EXPECT_EQ(ModifierFlagsFromText(both), first | second) << both;
    }
  }
}

TEST(HotkeyIds, BindingRangeTakesNoOtherId) {
  std::set<int> others = {ActivationHotkeyId, ForegroundClickHotkeyId};
  for (int k = 1; k <= 15; ++k) others.insert(MouseKeyIdBase + k);  // keypad, then letter keys
  for (int slot = 0; slot <= kLastSlot; ++slot) {
    EXPECT_EQ(others.count(BindingIdBase + slot), 0u) << "slot " << slot;
  }
  EXPECT_EQ(others.size(), 17u);  // the fixed ids differ among themselves too
}

TEST(HotkeyTable, UsedEndsAtFirstSlotWithoutModifierOrKey) {
  HotkeyTable table;
  EXPECT_EQ(table.Used(), 0);
  table.slots[0] = {"Ctrl", "A", "a", "x", 2, 65, {}};
  table.slots[1] = {"Alt", "B", "b", "y", 1, 66, {}};
  table.slots[3] = {"Alt", "C", "c", "z", 1, 67, {}};  // after a gap: not part of the list
  EXPECT_EQ(table.Used(), 2);
  table.slots[1].VirtualKey = 0;
  EXPECT_EQ(table.Used(), 1);
  for (int i = 0; i < kTableSlots; ++i) table.slots[i] = {"Ctrl", "A", "a", "x", 2, 65, {}};
  EXPECT_EQ(table.Used(), 101);
}

TEST(GridRowText, JoinsFourColumnsWithTabsKeepingEmptyOnes) {
  EXPECT_EQ(GridRowText(HotkeyEntry{"Ctrl + Alt", "C", "我的计算器", "calc", 3, 67, {}}),
            "Ctrl + Alt\tC\t我的计算器\tcalc");
  EXPECT_EQ(GridRowText("无", "F5", "", ""), "无\tF5\t\t");
}

TEST(LeadingNumber, ReadsSettingsText) {
  EXPECT_EQ(LeadingNumber("1"), 1);
  EXPECT_EQ(LeadingNumber("0"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber(" "), 0);
  EXPECT_EQ(LeadingNumber("12ab"), 12);
  EXPECT_EQ(LeadingNumber("ab12"), 0);
}

}  // namespace
}  // namespace tarvek
