#include "core/files/list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;

// "我的计算器" in GBK (code page 936).
constexpr std::string_view kCalculatorGbk = "\xCE\xD2\xB5\xC4\xBC\xC6\xCB\xE3\xC6\xF7";
constexpr std::string_view kGrinningFace = "\xF0\x9F\x98\x80";  // U+1F600, not in GBK

const std::string kPath = "C:\\HK\\SaveKey.htk";

class ListFileTest : public ::testing::Test {
 protected:
  ListFileTest() { grid.AddRow("Win\tSpace\t显示本软件\t无"); }  // row 1, the activation row

  ListFileContext Context() { return {grid, table, system, system, system, &activeForm}; }
  bool Put(const std::string& path = kPath) { return HotkeyListFile("put", path, Context()); }
  void Get(const std::string& path = kPath) { HotkeyListFile("get", path, Context()); }

  void AddBinding(const BindingTexts& b) { grid.AddRowCells(b); }

  // The grid rebuilt from the table, as the reload after a save does it.
  void RefillGridFromTable() {
    while (grid.Rows() > kFirstBindingRow) grid.RemoveRow(grid.Rows() - 1);
    for (const BindingTexts& b : Loaded()) grid.AddRowCells(b);
  }

  std::vector<BindingTexts> Loaded() const {
    std::vector<BindingTexts> out;
    for (int i = 0; i < table.Used(); ++i) {
      const HotkeyEntry& e = table.slots[i];
      out.push_back({e.ModifierText, e.KeyText, e.Name, e.Target});
    }
    return out;
  }

  std::vector<std::string> MessageBoxes() const { return system.CallsStartingWith("MessageBox"); }

  RecordingSystem system;
  FakeGrid grid;
  HotkeyTable table;
  ActiveListForm activeForm;
};

std::string AsciiList(int bindings) {
  std::string bytes;
  for (int i = 0; i < bindings; ++i) {
    bytes += "Ctrl\r\n" + std::string(1, static_cast<char>('A' + i % 26)) + "\r\nn" +
             std::to_string(i) + "\r\nt" + std::to_string(i) + "\r\n";
  }
  return bytes;
}

TEST_F(ListFileTest, ExampleBindingIsFourGbkLinesWithCrLfAndLoadsBack) {
  AddBinding({"Ctrl + Alt", "C", "我的计算器", "calc"});
  ASSERT_TRUE(Put());
  const std::string golden = "Ctrl + Alt\r\nC\r\n" + std::string(kCalculatorGbk) + "\r\ncalc\r\n";
  EXPECT_EQ(system.files[kPath], golden);  // the activation row is not in it

  Get();
  EXPECT_EQ(table.HotkeyCount, 1);
  const HotkeyEntry& e = table.slots[0];
  EXPECT_EQ(e.ModifierText, "Ctrl + Alt");
  EXPECT_EQ(e.KeyText, "C");
  EXPECT_EQ(e.Name, "我的计算器");
  EXPECT_EQ(e.Target, "calc");
  EXPECT_EQ(e.Modifiers, 3);
  EXPECT_EQ(e.VirtualKey, 67);
  EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(ListFileTest, EmptyListIsAnEmptyFileAndLoadsAsNoBinding) {
  system.files[kPath] = "old";
  ASSERT_TRUE(Put());
  EXPECT_EQ(system.files[kPath], "");

  table.HotkeyCount = 7;
  Get();
  EXPECT_EQ(table.HotkeyCount, 0);
  EXPECT_EQ(table.Used(), 0);
}

TEST_F(ListFileTest, SaveLoadSaveGivesTheSameBytes) {
  const std::vector<BindingTexts> bindings = {
      {"Ctrl + Alt", "C", "我的计算器", "calc"},
      {"无", "F12", "   ", "  C:\\Program Files\\a b\\x.exe  "},
      {"Shift + Win", "↓", "关机", "关闭计算机"},
      {"Alt", "~", "信", "someone@example.com"},
      {"Win", "Esc", "藏", "隐藏\\显示当前窗口"},
  };
  for (const BindingTexts& b : bindings) AddBinding(b);
  ASSERT_TRUE(Put());
  const std::string first = system.files[kPath];

  Get();
  EXPECT_EQ(Loaded(), bindings);
  RefillGridFromTable();
  ASSERT_TRUE(Put("C:\\HK\\again.htk"));
  EXPECT_EQ(system.files["C:\\HK\\again.htk"], first);
}

TEST_F(ListFileTest, LinesOfBlanksAreNotTrimmed) {
  system.files[kPath] = "Ctrl\r\nA\r\n   \r\n  x  \r\n";
  Get();
  EXPECT_EQ(table.slots[0].Name, "   ");
  EXPECT_EQ(table.slots[0].Target, "  x  ");
}

TEST_F(ListFileTest, ExactlyOneHundredAndOneBindingsFillEverySlot) {
  system.files[kPath] = AsciiList(101);
  Get();
  EXPECT_EQ(table.HotkeyCount, 101);
  EXPECT_EQ(table.Used(), 101);
  EXPECT_EQ(table.slots[100].Name, "n100");
  EXPECT_EQ(table.slots[100].VirtualKey, 'A' + 100 % 26);
  EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(ListFileTest, SurplusBeyondTheTableIsReportedNotLoaded) {
  HotkeyTable direct;
  ListLoadReport report = ParseList(AsciiList(103), system, direct);
  EXPECT_EQ(report.loaded, 101);
  EXPECT_EQ(report.surplus, 2);
  EXPECT_EQ(direct.HotkeyCount, 101);
  EXPECT_EQ(direct.slots[100].Name, "n100");

  system.files[kPath] = AsciiList(103);
  Get();
  EXPECT_EQ(table.HotkeyCount, 101);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_NE(MessageBoxes()[0].find("0x30"), std::string::npos);  // exclamation, not an error
}

TEST_F(ListFileTest, IncompleteLastBindingIsSkippedAndReported) {
  system.files[kPath] = AsciiList(2) + "Alt\r\nQ\r\nhalf\r\n";
  Get();
  EXPECT_EQ(table.HotkeyCount, 2);
  EXPECT_EQ(table.Used(), 2);
  EXPECT_EQ(table.slots[1].Name, "n1");
  EXPECT_EQ(MessageBoxes().size(), 1u);

  HotkeyTable direct;
  EXPECT_TRUE(ParseList(AsciiList(2) + "Alt", system, direct).incompleteTail);
  EXPECT_FALSE(ParseList(AsciiList(2), system, direct).incompleteTail);
}

TEST_F(ListFileTest, LastLineWithoutLineEndStillCounts) {
  system.files[kPath] = "Ctrl\r\nA\r\nn\r\nt";
  Get();
  EXPECT_EQ(table.HotkeyCount, 1);
  EXPECT_EQ(table.slots[0].Target, "t");
  EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(ListFileTest, LoneLfAndLoneCrEndLinesToo) {
  for (std::string bytes :
       {"Ctrl\nA\nn0\nt0\nAlt\nB\nn1\nt1\n", "Ctrl\rA\rn0\rt0\rAlt\rB\rn1\rt1\r",
        "Ctrl\r\nA\nn0\rt0\r\nAlt\nB\r\nn1\rt1\n"}) {
    SCOPED_TRACE(bytes);
    system.files[kPath] = bytes;
    Get();
    EXPECT_EQ(Loaded(),
              (std::vector<BindingTexts>{{"Ctrl", "A", "n0", "t0"}, {"Alt", "B", "n1", "t1"}}));
  }
}

TEST_F(ListFileTest, BindingWithoutModifierLineDoesNotHideTheOnesAfterIt) {
  system.files[kPath] = "\r\nA\r\nlost\r\nx\r\n" + AsciiList(1);
  Get();
  EXPECT_EQ(table.Used(), 1);
  EXPECT_EQ(table.slots[0].Name, "n0");
  EXPECT_EQ(MessageBoxes().size(), 1u);
}

TEST_F(ListFileTest, LoadReplacesEveryEarlierSlot) {
  system.files[kPath] = AsciiList(3);
  Get();
  system.files[kPath] = AsciiList(1);
  Get();
  EXPECT_EQ(table.HotkeyCount, 1);
  EXPECT_EQ(table.Used(), 1);
  EXPECT_EQ(table.slots[1].ModifierText, "");
  EXPECT_EQ(table.slots[2].VirtualKey, 0);
}

TEST_F(ListFileTest, NameGbkCannotHoldIsSavedAsUtf8WithBomAndLoadsBack) {
  const std::string name = "笑" + std::string(kGrinningFace);
  ASSERT_FALSE(testing::Utf8ToGbk(name).has_value());  // the case this test is about
  AddBinding({"Ctrl", "A", "我的计算器", "calc"});
  AddBinding({"Alt", "B", name, "notepad"});
  ASSERT_TRUE(Put());
  const std::string bytes = system.files[kPath];
  EXPECT_EQ(bytes,
            "\xEF\xBB\xBF"
            "Ctrl\r\nA\r\n我的计算器\r\ncalc\r\nAlt\r\nB\r\n" +
                name + "\r\nnotepad\r\n");

  Get();
  EXPECT_EQ(table.slots[0].Name, "我的计算器");
  EXPECT_EQ(table.slots[1].Name, name);
  RefillGridFromTable();
  ASSERT_TRUE(Put());
  EXPECT_EQ(system.files[kPath], bytes);
}

// Found by fuzzing: a hand-edited GBK file whose first line begins with the bytes EF BB BF
// ("锘" and "匡") was saved back in GBK and then read as UTF-8, garbling every name.
TEST_F(ListFileTest, GbkListThatBeginsLikeTheUtf8MarkLoadsBackUnchanged) {
  AddBinding({"锘匡Ctrl", "A", "我的计算器", "calc"});
  ASSERT_TRUE(Put());
  Get();
  EXPECT_EQ(table.slots[0].ModifierText, "锘匡Ctrl");
  EXPECT_EQ(table.slots[0].Name, "我的计算器");
}

TEST_F(ListFileTest, FileWithBomIsReadAsUtf8) {
  system.files[kPath] =
      "\xEF\xBB\xBF"
      "Ctrl + Alt\r\nC\r\n我的计算器\r\ncalc\r\n";
  Get();
  EXPECT_EQ(table.slots[0].ModifierText, "Ctrl + Alt");  // the mark is not part of the text
  EXPECT_EQ(table.slots[0].Name, "我的计算器");
}

// A UTF-8 file with a character cut short or a stray byte in any of its four lines still loads
// every binding, with texts that are whole UTF-8 (the broken bytes become U+FFFD).
TEST_F(ListFileTest, DamagedUtf8InAnyLineLoadsSafely) {
  const std::string good[4] = {"Ctrl + Alt", "C", "我的计算器", "calc"};
  for (std::string_view damage : {"\xE4\xB8", "\xE4", "\x80", "\xF0\x9F\x98", "\xFF"}) {
    for (int line = 0; line < 4; ++line) {
      SCOPED_TRACE(::testing::Message() << "line " << line << ", " << damage.size() << " bytes");
      std::string bytes(kUtf8Bom);
      for (int i = 0; i < 4; ++i) bytes += (i == line ? std::string(damage) : good[i]) + "\r\n";
      bytes += "Alt\r\nB\r\nsecond\r\nnotepad\r\n";
      system.files[kPath] = bytes;
      ASSERT_NO_THROW(Get());
      ASSERT_EQ(table.Used(), 2);
      for (int slot = 0; slot < 2; ++slot) {
        const HotkeyEntry& e = table.slots[slot];
        for (const std::string* text : {&e.ModifierText, &e.KeyText, &e.Name, &e.Target}) {
          EXPECT_EQ(ValidUtf8(*text), *text);
        }
      }
      EXPECT_EQ(table.slots[1].Name, "second");
      if (line == 1) {
        EXPECT_NE(table.slots[0].VirtualKey, 0);
      }
    }
  }
}

TEST_F(ListFileTest, BlankOrMissingPathEmptiesTheTableButKeepsTheCount) {
  for (const std::string path : {"", "   ", "C:\\HK\\missing.htk"}) {
    SCOPED_TRACE(path);
    system.files[kPath] = AsciiList(3);
    Get();
    ASSERT_EQ(table.HotkeyCount, 3);
    Get(path);
    EXPECT_EQ(table.Used(), 0);
    EXPECT_EQ(table.slots[0].ModifierText, "");
    EXPECT_EQ(table.HotkeyCount, 3);
  }
  EXPECT_TRUE(MessageBoxes().empty());
}

TEST_F(ListFileTest, PathIsTrimmedBeforeReading) {
  system.files[kPath] = AsciiList(2);
  Get("  " + kPath + "  ");
  EXPECT_EQ(table.HotkeyCount, 2);
}

TEST_F(ListFileTest, UnreadableFileKeepsTheCountAndSaysSo) {
  system.files[kPath] = AsciiList(2);
  Get();
  system.unreadablePaths.insert(kPath);
  Get();
  EXPECT_EQ(table.Used(), 0);
  EXPECT_EQ(table.HotkeyCount, 2);
  ASSERT_EQ(MessageBoxes().size(), 1u);
  EXPECT_NE(MessageBoxes()[0].find("0x10"), std::string::npos);
}

TEST_F(ListFileTest, UnwritablePathKeepsTheOldFileAndShowsOneError) {
  system.files[kPath] = "old bytes";
  system.unwritablePaths.insert(kPath);
  AddBinding({"Ctrl", "A", "a", "calc"});
  EXPECT_FALSE(Put());
  EXPECT_EQ(system.files[kPath], "old bytes");
  ASSERT_EQ(MessageBoxes().size(), 1u);
  const std::string box = MessageBoxes()[0];
  EXPECT_EQ(box.substr(box.rfind(' ') + 1), "0x10");
  EXPECT_NE(box.find(kPath), std::string::npos);
  EXPECT_EQ(grid.Rows(), 3);  // the grid keeps what the user entered
}

TEST_F(ListFileTest, AnyModeButGetWrites) {
  AddBinding({"Ctrl", "A", "a", "calc"});
  EXPECT_TRUE(HotkeyListFile("PUT", kPath, Context()));
  EXPECT_EQ(system.files[kPath], "Ctrl\r\nA\r\na\r\ncalc\r\n");
}

// The same two bindings as other programs write them. Each loads as written, with no message;
// the active list is saved back in its form, a named list as today's lists are.
TEST_F(ListFileTest, ForeignListsLoadAsWrittenAndSaveInTheirForm) {
  const std::vector<BindingTexts> bindings = {
      {"Ctrl + Alt", "C", "我的计算器", "C:\\工具\\calc.exe"},
      {"Alt", "F5", "  记\t事本 ", "\tnotepad "},  // a hand edit: blanks and Tabs kept
  };
  std::string utf8, lf;
  for (const BindingTexts& b : bindings) {
    for (const std::string& text : b) {
      utf8 += text + "\r\n";
      lf += text + "\n";
    }
  }
  const std::string gbk = *testing::Utf8ToGbk(utf8);
  const std::string marked = std::string(kUtf8Bom) + utf8;
  const std::string le = "\xFF\xFE" + *testing::Recode("UTF-16LE", "UTF-8", utf8);
  const std::string be = "\xFE\xFF" + *testing::Recode("UTF-16BE", "UTF-8", utf8);
  struct Case {
    const char* what;
    std::string bytes;
    unsigned codePage;
    std::string saved;
  };
  for (const Case& c : {Case{"GBK", gbk, 936, gbk},
                        Case{"GBK, blank lines at the end", gbk + "\r\n\r\n\r\n", 936, gbk},
                        Case{"UTF-8 with mark", marked, 936, marked},
                        Case{"UTF-8 without mark", utf8, 936, marked},
                        Case{"UTF-8 without mark, LF only", lf + "\n", 936, marked},
                        Case{"UTF-16 LE", le, 936, marked},
                        Case{"UTF-16 BE", be, 936, marked},
                        Case{"GBK on a UTF-8 system", gbk, 65001, marked},
                        Case{"UTF-8 on a UTF-8 system", utf8, 65001, marked}}) {
    SCOPED_TRACE(c.what);
    system.ansiCodePage = c.codePage;
    system.files = {{kPath, c.bytes}};
    Get();
    EXPECT_EQ(Loaded(), bindings);
    EXPECT_TRUE(MessageBoxes().empty());
    RefillGridFromTable();
    ASSERT_TRUE(Put());
    EXPECT_EQ(system.files[kPath], c.saved);
    ASSERT_TRUE(Put("C:\\HK\\named.htk"));
    EXPECT_EQ(system.files["C:\\HK\\named.htk"], c.codePage == 936 ? gbk : marked);
    system.calls.clear();
  }
}

// GBK text is often well-formed UTF-8 by chance ("系统" is CF B5 CD B3): real names and paths,
// and every GB2312 character alone, are all read as GBK.
TEST_F(ListFileTest, GbkListsAreNeverTakenForUtf8) {
  const std::vector<std::string> texts = testing::GbkCorpus();
  std::vector<std::string> misread;
  for (const std::string& text : texts) {
    HotkeyTable read;
    ListLoadReport report =
        ParseList(*testing::Utf8ToGbk("Ctrl\r\nA\r\n" + text + "\r\nC:\\a.exe\r\n"), system, read);
    if (read.slots[0].Name != text || report.form != ListTextForm::kAnsi) misread.push_back(text);
  }
  EXPECT_EQ(misread, std::vector<std::string>{});

  // Where the code page has one byte a character, two-byte UTF-8 is UTF-8 after all.
  HotkeyTable read;
  system.ansiCodePage = 1252;
  EXPECT_EQ(ParseList("Ctrl\r\nA\r\nCaf\xC3\xA9\r\nx\r\n", system, read).form, ListTextForm::kUtf8);
  EXPECT_EQ(read.slots[0].Name, "Café");
  ParseList("Ctrl\r\nA\r\nCaf\xE9\r\nx\r\n", system, read);
  EXPECT_EQ(read.slots[0].Name, "Café");
}

// Our own ANSI save of a name whose GBK bytes are well-formed UTF-8 ("鎴戠殑" is "我的" in
// UTF-8) goes as UTF-8 with the mark, so that it reads back as written.
TEST_F(ListFileTest, AnsiBytesThatWouldReadAsUtf8AreSavedAsUtf8) {
  AddBinding({"Ctrl", "A", "鎴戠殑", "calc"});
  ASSERT_TRUE(Put());
  EXPECT_EQ(system.files[kPath].substr(0, 3), kUtf8Bom);
  Get();
  EXPECT_EQ(table.slots[0].Name, "鎴戠殑");
}

TEST_F(ListFileTest, EmptyLinesAtTheEndAreNoBindingButMayEndTheLast) {
  for (const char* tail : {"\r\n", "\r\n\r\n\r\n\r\n\r\n\r\n", "\n\n"}) {
    SCOPED_TRACE(::testing::PrintToString(tail));
    system.files[kPath] = AsciiList(2) + tail;
    Get();
    EXPECT_EQ(table.HotkeyCount, 2);
    // A last binding without a target ends "\r\n\r\n": the empty lines give it its target.
    system.files[kPath] = AsciiList(1) + "Alt\r\nB\r\nno target\r\n" + tail;
    Get();
    ASSERT_EQ(Loaded().size(), 2u);
    EXPECT_EQ(Loaded()[1], (BindingTexts{"Alt", "B", "no target", ""}));
  }
  EXPECT_TRUE(MessageBoxes().empty());
}

}  // namespace
}  // namespace tarvek
