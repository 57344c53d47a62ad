#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/program.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;
using Row = std::vector<std::string>;

const std::string kListPath = "D:\\Lists\\mine.htk";

class ReregisterTest : public ::testing::Test {
 protected:
  ReregisterTest() {
    settings.values["FileSave"] = kListPath;
    system.files[kListPath] = SerializeList({{"Ctrl", "A", "甲", "a.exe"}, {"Ctrl", "B", "乙", "b"}},
                                            system);
    program.LoadPhase();
    program.InitialisePhase();
    system.calls.clear();
  }

  void AddRows(int n) {
    for (int i = 0; i < n; ++i) {
      grid.AddRow("Alt\t" + std::string(1, static_cast<char>('C' + i)) + "\tn" +
                  std::to_string(i) + "\tt");
    }
  }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
};

TEST_F(ReregisterTest, SavesThenUnregistersThenLoadsThenRegistersInOrder) {
  grid.AddRow("Shift + Alt\tF9\t丙\tC:\\Program Files\\c.exe");
  program.ReregisterAllHotkeys();
  EXPECT_EQ(system.calls.front(), "ReplaceFileBytes " + kListPath);
  EXPECT_EQ(system.CallsStartingWith("UnregisterHotkey"),
            (Calls{"UnregisterHotkey -14080", "UnregisterHotkey -14079"}));
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey"),
            (Calls{"RegisterHotkey -14080 2 65", "RegisterHotkey -14079 2 66",
                   "RegisterHotkey -14078 5 120"}));
  // The order of the whole: save, unregister all, read back, register all.
  std::vector<std::size_t> at;
  for (const char* first : {"ReplaceFileBytes", "UnregisterHotkey -14080", "ReadFileBytes",
                            "RegisterHotkey -14080"}) {
    for (std::size_t i = 0; i < system.calls.size(); ++i) {
      if (system.calls[i].rfind(first, 0) == 0) {
        at.push_back(i);
        break;
      }
    }
  }
  ASSERT_EQ(at.size(), 4u);
  EXPECT_TRUE(at[0] < at[1] && at[1] < at[2] && at[2] < at[3]) << ::testing::PrintToString(at);
  // Rows come back from the file; the activation row stays first and is never saved.
  ASSERT_EQ(grid.Rows(), 5);
  EXPECT_EQ(grid.rows[1], (Row{"Win", "Space", "显示本软件", "无"}));
  EXPECT_EQ(grid.rows[4], (Row{"Shift + Alt", "F9", "丙", "C:\\Program Files\\c.exe"}));
  EXPECT_EQ(system.files[kListPath].find("显示本软件"), std::string::npos);
  EXPECT_EQ(view.frameCaption, "热键信息(共有3个热键)");
}

TEST_F(ReregisterTest, MenuCaptionsInBothModesAndTheEmptyList) {
  program.ReregisterAllHotkeys();
  ASSERT_EQ(view.menu.size(), 2u);
  EXPECT_EQ(view.menu[0].caption, "甲");
  program.liveSettings.SetChecked(SettingsCheck::kShowHotKeyNameInMenu, true);
  program.ReregisterAllHotkeys();
  EXPECT_EQ(view.menu[1].caption, "乙   Ctrl+B");
  while (grid.Rows() > 2) grid.RemoveRow(2);
  program.ReregisterAllHotkeys();
  ASSERT_EQ(view.menu.size(), 1u);
  EXPECT_EQ(view.menu[0].caption, "没有设置热键");
  EXPECT_FALSE(view.menu[0].enabled);
  EXPECT_EQ(view.frameCaption, "热键信息(共有0个热键)");
  EXPECT_EQ(system.files[kListPath], "");
}

TEST_F(ReregisterTest, PathColumnWidthFollowsTheRowCount) {
  AddRows(13);  // 2 + 13 bindings, the activation row and the header: 17 rows
  program.ReregisterAllHotkeys();
  EXPECT_EQ(grid.Rows(), 17);
  EXPECT_EQ(grid.widths[2], 3820);
  grid.RemoveRow(16);  // 16 rows
  program.ReregisterAllHotkeys();
  EXPECT_EQ(grid.widths[2], 4060);
}

TEST_F(ReregisterTest, ARefusedCombinationStaysListedMarkedAndNamedOnce) {
  system.heldByOthers.insert({2, 66});  // another program holds Ctrl + B
  grid.AddRow("Alt\tF2\t丁\td");
  system.heldByOthers.insert({1, 113});  // and Alt + F2
  std::vector<int> refused = program.ReregisterAllHotkeys();
  EXPECT_EQ(refused, (std::vector<int>{1, 2}));
  EXPECT_FALSE(grid.RowHeld(2));
  EXPECT_TRUE(grid.RowHeld(3));
  EXPECT_TRUE(grid.RowHeld(4));
  EXPECT_EQ(grid.rows[3], (Row{"Ctrl", "B", "乙", "b"}));  // the texts stay what is saved
  Calls boxes = system.CallsStartingWith("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("乙（Ctrl + B）"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("丁（Alt + F2）"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find("0x30"), std::string::npos);
  // Still in the file, so it works again once the other program lets go.
  EXPECT_NE(system.files[kListPath].find("\r\nB\r\n"), std::string::npos);
  system.heldByOthers.clear();
  system.calls.clear();
  program.ReregisterAllHotkeys();
  EXPECT_FALSE(grid.RowHeld(3));
  EXPECT_TRUE(system.CallsStartingWith("MessageBox").empty());
}

TEST_F(ReregisterTest, AFailedSaveKeepsTheFileAndRegistersWhatTheGridShows) {
  std::string before = system.files[kListPath];
  system.unwritablePaths.insert(kListPath);
  grid.AddRow("Alt\tF3\t新\tn.exe");
  program.ReregisterAllHotkeys();
  EXPECT_EQ(system.files[kListPath], before);
  ASSERT_EQ(grid.Rows(), 5);
  EXPECT_EQ(grid.rows[4], (Row{"Alt", "F3", "新", "n.exe"}));
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey").back(), "RegisterHotkey -14078 1 114");
  Calls boxes = system.CallsStartingWith("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("无法保存热键列表文件"), std::string::npos);
}

// Another program holding the file without sharing: what was just written stays the list,
// so that the next save cannot write an empty grid over the file.
TEST_F(ReregisterTest, AFailedReadBackKeepsWhatWasWritten) {
  system.unreadablePaths.insert(kListPath);
  grid.AddRow("Alt\tF3\t新\tn.exe");
  program.ReregisterAllHotkeys();
  ASSERT_EQ(grid.Rows(), 5);
  EXPECT_EQ(grid.rows[4], (Row{"Alt", "F3", "新", "n.exe"}));
  EXPECT_EQ(program.core.table.Used(), 3);
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey").size(), 3u);
  EXPECT_EQ(view.menu.size(), 3u);
  EXPECT_EQ(system.CallsStartingWith("MessageBox"), Calls{});  // nothing of the list is lost
  system.unreadablePaths.clear();
  std::string written = system.files[kListPath];
  program.ReregisterAllHotkeys();
  EXPECT_EQ(system.files[kListPath], written);
}

TEST_F(ReregisterTest, AHeldBindingIsMarkedAtStartUpWithoutAMessage) {
  RecordingSystem sys;
  sys.files[kListPath] = system.files[kListPath];
  sys.heldByOthers.insert({2, 65});
  sys.heldByOthers.insert({8, 32});  // Win + Space too
  FakeGrid g;
  RecordingMainWindow v{sys.calls};
  Program p{sys, settings, v, g, v, "C:\\HK"};
  p.LoadPhase();
  p.InitialisePhase();
  EXPECT_TRUE(g.RowHeld(1));  // the activation row
  EXPECT_TRUE(g.RowHeld(2));
  EXPECT_FALSE(g.RowHeld(3));
  for (const std::string& box : sys.CallsStartingWith("MessageBox")) {
    EXPECT_EQ(box.find("热键冲突"), std::string::npos) << box;  // only the start-up hint
  }
}

// A hand-edited UTF-16 list whose name and target hold Tabs: the grid shows each text in its
// own column after the load and after the reload of an apply, which saves it as UTF-8.
TEST_F(ReregisterTest, TabsStayInTheirTextsAndAUtf16ListIsSavedAsUtf8) {
  const Row tabbed{"Ctrl", "Q", "甲\t乙", "\tC:\\工具\\q.exe"};
  std::string utf8;
  for (const std::string& text : tabbed) utf8 += text + "\r\n";
  system.files[kListPath] = "\xFF\xFE" + *testing::Recode("UTF-16LE", "UTF-8", utf8);
  program.ReplaceList();
  ASSERT_EQ(grid.Rows(), 3);
  EXPECT_EQ(grid.rows[2], tabbed);
  program.ReregisterAllHotkeys();
  EXPECT_EQ(system.files[kListPath], "\xEF\xBB\xBF" + utf8);
  EXPECT_EQ(grid.rows[2], tabbed);
  EXPECT_EQ(system.CallsStartingWith("MessageBox"), Calls{});
}

}  // namespace
}  // namespace tarvek
