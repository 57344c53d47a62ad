#include <gtest/gtest.h>

#include "core/hotkey_table.h"

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

}  // namespace
}  // namespace tarvek
