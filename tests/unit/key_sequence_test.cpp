#include <gtest/gtest.h>

#include "core/hotkey_table.h"
#include "core/input/key_sequence.h"

namespace tarvek {
namespace {

using Combos = std::vector<KeyCombo>;

TEST(KeySequence, ReadsCombinationsOfTheListsNamesAndRefusesTheRest) {
  EXPECT_EQ(ParseKeySequence("Ctrl+Shift+Esc").combos, (Combos{{kModControl | kModShift, 0x1B}}));
  EXPECT_EQ(ParseKeySequence("  ctrl+c\tALT+TAB  Ctrl+V ").combos,
            (Combos{{kModControl, 'C'}, {kModAlt, 0x09}, {kModControl, 'V'}}));
  EXPECT_EQ(ParseKeySequence("播放/暂停 Ctrl+音量+ Num+ Win").combos,
            (Combos{{0, 0xB3}, {kModControl, 0xAF}, {0, 0x6B}, {0, 0x5B}}));
  for (auto [text, unknown] : {std::pair{"Ctrl+鼠标侧键1", "鼠标侧键1"}, {"Ctrl+", "+"},
                               {"Ctrl+Foo+K", "Foo"}, {"A +B", "+"}}) {
    const KeySequence read = ParseKeySequence(text);
    EXPECT_FALSE(read.Ok()) << text;
    EXPECT_EQ(read.unknown, unknown) << text;
  }
  EXPECT_FALSE(ParseKeySequence(" ").Ok());
  const Combos combos = ParseKeySequence("ctrl+shift+esc Win+D Num+ Alt").combos;
  EXPECT_EQ(KeySequenceText(combos), "Ctrl+Shift+Esc Win+D Num+ Alt");
}

TEST(KeySequence, ACombinationGoesDownInOrderAndUpInReverseWithTheMaskForWinAndAlt) {
  using E = std::vector<KeyInput>;
  EXPECT_EQ(ComboEvents({kModControl | kModShift, 0x1B}),
            (E{{0xA2, 0, false}, {0xA0, 0, false}, {0x1B, 0, false}, {0x1B, 0, true},
               {0xA0, 0, true}, {0xA2, 0, true}}));
  EXPECT_EQ(ComboEvents({kModWin, 'D'}),
            (E{{0x5B, 0, false}, {'D', 0, false}, {'D', 0, true}, {kMaskKey, 0, false},
               {kMaskKey, 0, true}, {0x5B, 0, true}}));
  EXPECT_EQ(ComboEvents({0, 0x5B}), (E{{0x5B, 0, false}, {0x5B, 0, true}}));  // Win alone: Start
  for (int extended : {0x25, 0x2E, 0x24, 0x21, 0xA3, 0xA5, 0x6F, 0xB3}) EXPECT_TRUE(IsExtendedKey(extended));
  for (int plain : {0x41, 0x0D, 0x6B, 0xA2, 0x60}) EXPECT_FALSE(IsExtendedKey(plain));
}

}  // namespace
}  // namespace tarvek
