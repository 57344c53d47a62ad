#include <gtest/gtest.h>

#include "settings/settings_store.h"

namespace tarvek {
namespace {

TEST(Settings, FlagsReadByTheirLeadingDigits) {
  for (const char* on : {"1", " 1", "1 ", "01", "1abc"}) EXPECT_TRUE(FlagIsOn(on)) << on;
  for (const char* off : {"", " ", "0", "2", "11", "abc1", "-1"}) {
    EXPECT_FALSE(FlagIsOn(off)) << off;
  }
}

TEST(Settings, RunEntryQuotesThePathAndOffIsOneBlank) {
  const std::string path = "C:\\Program Files\\Tarvek HotKey\\TarvekHotKey.exe";
  EXPECT_EQ(RunEntryValue(true, path), "\"" + path + "\"");
  EXPECT_EQ(RunEntryValue(false, path), " ");
  EXPECT_TRUE(RunEntryIsOn(RunEntryValue(true, path)));
  EXPECT_FALSE(RunEntryIsOn(RunEntryValue(false, path)));
  EXPECT_FALSE(RunEntryIsOn(""));
  // An entry written by an older version, unquoted, still reads as on.
  EXPECT_TRUE(RunEntryIsOn("C:\\HK\\TarvekHotKey.exe"));
}

}  // namespace
}  // namespace tarvek
