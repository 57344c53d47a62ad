// The named lists' names: which files of the folder are lists and by what name they are shown,
// and which names a list may be saved or renamed to.
#include "lists/list_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvek {
namespace {

using Names = std::vector<std::string>;

// The shown names of a folder listing, in their order, and each one's file.
void ExpectShown(const Names& listing, const std::vector<NamedList>& expected) {
  EXPECT_EQ(NamedListsOf(listing), expected);
  for (const NamedList& list : expected) {
    EXPECT_EQ(ShownListName(list.fileName), list.name) << list.fileName;
  }
}

TEST(ListNames, ShownByThePartInFrontOfTheFirstHtkInAnyCase) {
  ExpectShown({"Work.HTK"}, {{"Work", "Work.HTK"}});
  ExpectShown({"SaveKey.htk"}, {{"SaveKey", "SaveKey.htk"}});
  ExpectShown({"home.Htk"}, {{"home", "home.Htk"}});
  // A name with ".htk" inside is shown by its first one; it keeps its own file.
  ExpectShown({"a.htk.htk"}, {{"a", "a.htk.htk"}});
  // Dots elsewhere are part of the name.
  ExpectShown({"v1.2 游戏.htk", "..htk"}, {{".", "..htk"}, {"v1.2 游戏", "v1.2 游戏.htk"}});
}

TEST(ListNames, OnlyFilesEndingInHtkAreLists) {
  ExpectShown({"TarvekHotKey.exe", "hotkey.wav", "notes.htk.bak", "x.htkl", "SaveKey.htk.tmp42",
               "readme", "列表.htk"},
              {{"列表", "列表.htk"}});
  ExpectShown({}, {});
}

TEST(ListNames, SortedWithoutRegardToLetterCaseWhateverTheListingOrder) {
  const std::vector<NamedList> sorted = {{"alpha", "alpha.htk"}, {"Beta", "Beta.HTK"},
                                         {"gamma", "gamma.htk"}, {"SaveKey", "SaveKey.htk"},
                                         {"家里", "家里.htk"},   {"工作", "工作.htk"}};
  ExpectShown({"SaveKey.htk", "gamma.htk", "Beta.HTK", "工作.htk", "alpha.htk", "家里.htk"},
              sorted);
  ExpectShown({"家里.htk", "alpha.htk", "工作.htk", "Beta.HTK", "SaveKey.htk", "gamma.htk"},
              sorted);
  // One name from two files: both are listed, each leading to its own file.
  ExpectShown({"a.htk.htk", "A.htk"}, {{"A", "A.htk"}, {"a", "a.htk.htk"}});
}

TEST(ListNames, APathIsTheFolderTheNameAndHtk) {
  EXPECT_EQ(NamedListPath("C:\\TarvekHotKey", "常用热键"), "C:\\TarvekHotKey\\常用热键.htk");
}

// Refused on save (with its message) and on rename (with its own).
// clang-format off
const char* const kUnsafe[] = {
    "..\\..\\x", "..\\evil", "a\\b", "a/b", "/x", "a<b", "a>b", "a\"b", "a|b", "a?b", "a*b",
    "c:x", "C:", "tab\there", "line\nbreak", "nul\x01", ".", "..", "...",
    "CON", "con", "Con", "PRN", "AUX", "NUL", "COM1", "com9", "LPT1", "lpt9", "CON.txt",
    "nul.list", "CON ", "aux .x", "COM\xC2\xB9", "LPT\xC2\xB3",
    // A name with ".htk" would be shown by another name than its own.
    "a.htk", "a.HTK", "home.Htk.old", ".htk",
};

const char* const kSafe[] = {
    "常用热键", "我的 热键 列表", "work", "Work 2", "v1.2", "a.b.c", ".hidden", "a..b", "CONSOLE",
    "COM10", "COM0", "LPT", "xCON", "con-list", "NULL", "a htk", "ahtk", "a.ht", "…", "「游戏」",
    "  blanks  ", "#1 & (2) + [3] {4} ~ ' ! @ $ % ^ , ;",
};
// clang-format on

TEST(ListNames, EveryNameThatLeavesTheFolderOrNamesADeviceIsRefusedOnSaveAndRename) {
  for (const char* name : kUnsafe) {
    EXPECT_EQ(CheckNameForSave(name), ListNameCheck::kInvalid) << name;
    EXPECT_FALSE(IsValidNewName(name)) << name;
  }
}

TEST(ListNames, OrdinaryNamesAreTakenBySaveAndRename) {
  for (const char* name : kSafe) {
    EXPECT_EQ(CheckNameForSave(name), ListNameCheck::kOk) << name;
    EXPECT_TRUE(IsValidNewName(name)) << name;
  }
}

TEST(ListNames, EqualsIsRefusedOnSaveOnlyAndEmptyHasItsOwnAnswer) {
  for (const char* name : {"a=b", "=", "家=里"}) {
    EXPECT_EQ(CheckNameForSave(name), ListNameCheck::kInvalid) << name;
    EXPECT_TRUE(IsValidNewName(name)) << name;
  }
  EXPECT_EQ(CheckNameForSave(""), ListNameCheck::kEmpty);
  EXPECT_FALSE(IsValidNewName(""));
}

}  // namespace
}  // namespace tarvek
