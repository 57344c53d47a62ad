#include "editor/editor_model.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/hotkey_table.h"
#include "core/validation.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;
using Texts = std::vector<std::string>;

class EditorModelTest : public ::testing::Test {
 protected:
  EditorModelTest() {
    grid.AddRow("Win\tSpace\t显示本软件\t无");  // row 1: the activation hotkey
    grid.AddRow("Ctrl + Alt\tC\t我的计算器\tcalc");
    grid.AddRow("Ctrl\tF5\t工具\tC:\\Tools\\app.exe");
    grid.AddRow("无\tF9\t回收站\t清空回收站");
    for (int row = 2; row < grid.Rows(); ++row) grid.SetRowSlot(row, row - 2);
    grid.MarkRowHeld(3, true);
    model.onChanged = [this] { titles.push_back(model.Title()); };
  }

  Texts Boxes() const { return {model.Box(0), model.Box(1), model.Box(2), model.Target(), model.Name()}; }
  Texts Column(int column) const {
    Texts cells;
    for (int row = 1; row < grid.Rows(); ++row) cells.push_back(grid.Cell(row, column));
    return cells;
  }
  // Keys, target and name as a user gives them.
  void Enter(const char* m1, const char* m2, const char* key, const char* target, const char* name) {
    ASSERT_TRUE(model.ChooseKey(0, m1));
    ASSERT_TRUE(model.ChooseKey(1, m2));
    ASSERT_TRUE(model.ChooseKey(2, key));
    model.NameEdited(name);
    model.TargetEdited(target);
  }

  RecordingSystem system;
  FakeGrid grid;
  int saves = 0;
  EditorModel model{grid, system, [this] {
                      ++saves;
                      titles.push_back("save under " + model.Title());
                    }};
  Texts titles;
};

TEST_F(EditorModelTest, StartsFilledAndEachShowingStartsAnOpening) {
  EXPECT_EQ(Boxes(), (Texts{"无", "无", "A", "", ""}));
  EXPECT_EQ(EditorTargetList()[5], "重新启动算机");
  EXPECT_EQ(model.NameList().size(), 13u);
  EXPECT_FALSE(model.AllowNoModifier());
  EXPECT_TRUE(model.CheckKeyInUse());
  EXPECT_FALSE(model.Visible());
  model.ChooseKey(2, "F1");
  model.Shown();
  EXPECT_TRUE(model.Visible());
  EXPECT_FALSE(model.ApplyEnabled());
  EXPECT_FALSE(model.OkEnabled());
  EXPECT_EQ(model.TakeFocusRequest(), EditorFocus::kModifier0);
  EXPECT_EQ(model.FocusRequest(), EditorFocus::kNone);
  EXPECT_EQ(model.Title(), "添加热键");
  EXPECT_EQ(model.Box(2), "F1");  // showing does not clear the boxes
  EXPECT_FALSE(model.ChooseKey(0, "A"));
  EXPECT_FALSE(model.ChooseKey(2, "Ctrl"));
}

TEST_F(EditorModelTest, FillsFromARowAndHandsItOverInChangeMode) {
  struct Case {
    const char* modifiers;
    Texts boxes;
  };
  for (const Case& c : {Case{"无", {"无", "无"}}, Case{"Ctrl", {"Ctrl", "无"}},
                        Case{"Ctrl + Alt", {"Ctrl", "Alt"}}, Case{"Shift + Win", {"Shift", "Win"}},
                        Case{"Ctrl+Alt", {"", ""}}}) {  // not a name the boxes offer
    grid.SetCell(3, 0, c.modifiers);
    model.FillFromRow(3);
    EXPECT_EQ(Texts({model.Box(0), model.Box(1)}), c.boxes) << c.modifiers;
  }
  EXPECT_EQ(Boxes(), (Texts{"", "", "F5", "C:\\Tools\\app.exe", "工具"}));
  EXPECT_TRUE(model.handOver.EditorChangeMode);
  EXPECT_EQ(model.handOver.EditorRow, 3);
  EXPECT_TRUE(model.NameEnabled());
  model.FillFromRow(4);  // a built-in action's row locks the name box
  EXPECT_FALSE(model.NameEnabled());
  EXPECT_EQ(model.Name(), "清空回收站");
}

TEST_F(EditorModelTest, ModifierBoxesTakeTheModifierHeldAlone) {
  struct Press {
    int box, keyCode, state;
    const char* taken;  // what the box then holds
    EditorFocus focus;
    bool swallowed;
  };
  for (const Press& p : {Press{0, 16, 1, "Shift", EditorFocus::kModifier1, false},
                         Press{0, 17, 2, "Ctrl", EditorFocus::kModifier1, false},
                         Press{1, 18, 4, "Alt", EditorFocus::kKey, true},
                         Press{1, 91, 0, "Win", EditorFocus::kKey, false},
                         Press{0, 91, 1, "Win", EditorFocus::kModifier1, false},
                         Press{0, 17, 3, "无", EditorFocus::kNone, false},   // Shift and Ctrl
                         Press{1, 65, 6, "无", EditorFocus::kNone, false},
                         Press{2, 17, 2, "A", EditorFocus::kNone, false}}) {  // the base key
    EditorModel fresh(grid, system, {});
    fresh.Shown();
    fresh.TakeFocusRequest();
    EXPECT_EQ(fresh.KeyDown(p.box, p.keyCode, p.state), p.swallowed) << p.box << " " << p.state;
    EXPECT_EQ(fresh.Box(p.box), p.taken) << p.box << " " << p.state;
    EXPECT_EQ(fresh.FocusRequest(), p.focus) << p.box << " " << p.state;
    EXPECT_EQ(fresh.ApplyEnabled(), p.focus != EditorFocus::kNone) << p.box << " " << p.state;
  }
  // Ctrl in the first box, Alt in the second, then Q chosen.
  model.KeyDown(0, 17, 2);
  model.KeyDown(1, 18, 4);
  model.ChooseKey(2, "Q");
  model.TargetEdited("notepad.exe");
  model.NameEdited("记事本");
  ASSERT_TRUE(model.Apply());
  EXPECT_EQ(grid.Cell(2, 0) + "|" + grid.Cell(2, 1), "Ctrl + Alt|Q");
}

TEST_F(EditorModelTest, BuiltInActionLocksTheNameAndOnlyTypingEnablesApply) {
  model.Shown();
  model.NameEdited("旧名字");
  model.TargetChosen("清空回收站");
  EXPECT_EQ(model.Name(), "清空回收站");
  EXPECT_FALSE(model.NameEnabled());
  EXPECT_FALSE(model.ApplyEnabled());  // choosing from the list alone
  model.TargetEdited("清空回收站x");
  EXPECT_TRUE(model.NameEnabled());
  EXPECT_EQ(model.Name(), "清空回收站");
  EXPECT_TRUE(model.ApplyEnabled());
  model.TargetChosen("打开\\关闭光驱");
  EXPECT_FALSE(model.NameEnabled());
}

TEST_F(EditorModelTest, TypingATextIsNamedByTheUserWhileTheTwelveLockTheName) {
  ASSERT_EQ(EditorTargetList().size(), 13u);
  for (std::size_t item : {11u, 12u}) {
    model.NameEdited("");
    model.TargetChosen(std::string(EditorTargetList()[item]));
    EXPECT_EQ(model.NameEnabled(), item == 12);
  }
  model.NameFocused();
  EXPECT_EQ(model.Name(), "");  // nothing to suggest
  // Taken as a target, and many in one list, each under its own name.
  Enter("Ctrl", "Shift", "T", "输入文本", "签名");
  ASSERT_TRUE(model.Apply());
  Enter("Ctrl", "Shift", "Y", "输入文本", "地址");
  EXPECT_TRUE(model.Apply());
}

TEST(SuggestedNameTest, BaseNameOrASampleName) {
  const std::pair<const char*, const char*> cases[] = {
      {"D:\\Program Files\\Winamp\\winamp.exe", "听音乐"},
      {"C:\\WINDOWS\\system32\\calc.exe", "我的计算器"},
      {"C:\\Windows\\NOTEPAD.EXE", "我的记事本"},
      {"E:\\Office\\Word.exe", "文件排版"},
      {"E:\\a\\shtdvd.exe", "家庭影院"},
      {"D:\\Tools\\editor.exe", "editor"},
      {"D:\\Backup", "我的文件夹"},
      {"calc", "我的文件夹"},
      {"D:\\v1.2\\readme", "我的文件夹"},  // the only "." lies before the last "\"
      {"http://www.example.com", "经典网站"},
      {"mailto:me@example.com", "朋友的信箱"},
      {"me@mail", "朋友的信箱"},
  };
  for (const auto& [target, name] : cases) EXPECT_EQ(SuggestedName(target), name) << target;
}

TEST_F(EditorModelTest, NameBoxSuggestsOnlyForAnEmptyNameAndRemembersNewNames) {
  model.Shown();
  model.NameFocused();  // no target: nothing to suggest from
  EXPECT_EQ(model.Name(), "");
  EXPECT_TRUE(model.ApplyEnabled());
  model.TargetChosen("D:\\Tools\\editor.exe");
  model.NameFocused();
  EXPECT_EQ(model.Name(), "editor");
  model.TargetChosen("C:\\calc.exe");
  model.NameFocused();
  EXPECT_EQ(model.Name(), "editor");  // a name is never replaced
  model.NameLostFocus();
  model.NameEdited("经典音乐");
  model.NameLostFocus();
  model.NameEdited("");
  model.NameLostFocus();
  EXPECT_EQ(model.NameList().size(), 14u);
  EXPECT_EQ(model.NameList()[0], "editor");
  EXPECT_EQ(model.NameList()[1], "我的文件夹");
}

TEST_F(EditorModelTest, FileChooserAndTips) {
  model.Shown();
  model.TargetChosen("calc");
  model.FileChosen(std::nullopt);
  EXPECT_EQ(model.Target(), "calc");
  EXPECT_FALSE(model.ApplyEnabled());
  EXPECT_EQ(model.TakeFocusRequest(), EditorFocus::kTarget);
  model.FileChosen("C:\\a b\\x.exe");
  EXPECT_EQ(model.Target(), "C:\\a b\\x.exe");
  EXPECT_TRUE(model.ApplyEnabled());

  model.Tips();
  EXPECT_EQ(system.calls, Texts{"MessageBox [" + EditorModel::TipsText() + "] [选择程序的小技巧] 0x40"});
  EXPECT_EQ(model.TakeFocusRequest(), EditorFocus::kTarget);
  // Four lines joined by CR LF, each starting with three blanks.
  const std::string tips = EditorModel::TipsText();
  EXPECT_EQ(tips.substr(0, 5), "   1.");
  EXPECT_EQ(CountOccurrences(tips, "\r\n   "), 3);
  EXPECT_EQ(CountOccurrences(tips, "\n"), 3);
}

TEST_F(EditorModelTest, AppliesGoOnTopAndOkSavesThemAll) {
  model.Shown();
  Enter("Ctrl", "无", "N", "notepad", "记事本");
  ASSERT_TRUE(model.Apply());
  EXPECT_EQ(Boxes(), (Texts{"无", "无", "Enter", "", ""}));
  EXPECT_FALSE(model.ApplyEnabled());
  EXPECT_TRUE(model.OkEnabled());
  EXPECT_EQ(model.TakeFocusRequest(), EditorFocus::kTarget);
  Enter("Alt", "Shift", "Z", "清空回收站", "");
  ASSERT_TRUE(model.Apply());
  EXPECT_EQ(model.AppliedCount(), 2);
  EXPECT_EQ(Column(2), (Texts{"显示本软件", "清空回收站", "记事本", "我的计算器", "工具", "回收站"}));
  EXPECT_EQ(grid.RowSlot(2), -1);  // no slot until the list is reloaded
  EXPECT_EQ(grid.RowSlot(4), 0);
  EXPECT_EQ(saves, 0);

  titles.clear();
  model.Ok();
  EXPECT_EQ(saves, 1);
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(titles, (Texts{"正在保存热键....", "save under 正在保存热键....", "添加热键"}));
}

TEST_F(EditorModelTest, RefusedApplyKeepsTheBoxesAndTitleShowsTheWork) {
  model.Shown();
  Enter("Ctrl", "Alt", "C", "calc.exe", "计算器");  // row 2's combination
  titles.clear();
  EXPECT_FALSE(model.Apply());
  EXPECT_EQ(titles, (Texts{"正在添加热键...", "添加热键"}));
  EXPECT_EQ(system.calls, Texts{"MessageBox [此热键已经被使用，不能重复定义.] [定义热键错误!] 0x10"});
  EXPECT_EQ(Boxes(), (Texts{"Ctrl", "Alt", "C", "calc.exe", "计算器"}));
  EXPECT_TRUE(model.ApplyEnabled());
  EXPECT_EQ(model.AppliedCount(), 0);
  model.SetCheckKeyInUse(false);  // without the check the same keys pass
  EXPECT_TRUE(model.Apply());
}

TEST_F(EditorModelTest, CancelWithdrawsTheAppliedRowsAndPutsTheChangedOneBack) {
  const Texts before = Column(2);
  model.FillFromRow(3);
  model.Shown();
  model.ChooseKey(2, "F6");
  ASSERT_TRUE(model.Apply());
  EXPECT_FALSE(model.handOver.EditorChangeMode);
  EXPECT_EQ(Column(2), (Texts{"显示本软件", "工具", "我的计算器", "回收站"}));
  Enter("Win", "无", "K", "notepad", "记事本");
  ASSERT_TRUE(model.Apply());  // adds, removes nothing
  EXPECT_EQ(Column(2), (Texts{"显示本软件", "记事本", "工具", "我的计算器", "回收站"}));

  model.Cancel();
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(Column(2), before);
  EXPECT_EQ(grid.Cell(3, 1), "F5");
  EXPECT_TRUE(grid.RowHeld(3));
  EXPECT_EQ(grid.RowSlot(3), 1);
  EXPECT_EQ(saves, 0);

  // An opening in add mode: cancel takes its rows only.
  model.Shown();
  Enter("Win", "无", "K", "notepad", "记事本");
  ASSERT_TRUE(model.Apply());
  model.Cancel();
  EXPECT_EQ(Column(2), before);
}

TEST_F(EditorModelTest, AddsStopAtTheTableSizeChangesDoNot) {
  const Texts full{"MessageBox [热键列表最多只能有 101 个热键，现在已经满了。"
                   "请先删除不用的热键，再添加新的热键。] [热键已满] 0x10"};
  while (grid.Rows() < kFirstBindingRow + kTableSlots - 2) {
    grid.AddRow("Ctrl + Shift\tZ\t程序" + std::to_string(grid.Rows()) + "\tx.exe");
  }
  auto apply = [this](const char* key) {
    Enter("Win", "无", key, "notepad", key);
    system.calls.clear();
    return model.Apply();
  };
  // The applies of one opening count: two fill the grid, the third is refused as it stands.
  model.Shown();
  EXPECT_TRUE(apply("1"));
  EXPECT_TRUE(apply("2"));
  EXPECT_FALSE(apply("3"));
  EXPECT_EQ(system.calls, full);
  EXPECT_EQ(grid.Rows(), kFirstBindingRow + kTableSlots);
  EXPECT_EQ(Boxes(), (Texts{"Win", "无", "3", "notepad", "3"}));
  EXPECT_EQ(model.AppliedCount(), 2);
  model.Ok();
  EXPECT_EQ(saves, 1);

  // A change replaces its row, on a full grid too; what the opening applies after it adds.
  model.FillFromRow(5);
  model.Shown();
  EXPECT_TRUE(apply("4"));
  EXPECT_FALSE(apply("5"));
  EXPECT_EQ(grid.Rows(), kFirstBindingRow + kTableSlots);

  // OK never saves more than the table takes back: the reload would drop the bottom rows.
  grid.AddRow("Alt\tZ\t多出来的\tx.exe");
  system.calls.clear();
  model.Ok();
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(system.calls, full);
  EXPECT_TRUE(model.Visible());
}

// A hand edit put Tabs into a name and a target: a change keeps every text in its column, and
// Cancel puts the row back as it was.
TEST_F(EditorModelTest, TabsInNameAndTargetStayInTheirColumns) {
  grid.AddRowCells({"Ctrl", "F7", "工\t具", "\tC:\\x.exe"});
  const int row = grid.Rows() - 1;
  model.FillFromRow(row);
  model.Shown();
  model.ChooseKey(2, "F8");
  ASSERT_TRUE(model.Apply());
  EXPECT_EQ(grid.rows[2], (Texts{"Ctrl", "F8", "工\t具", "\tC:\\x.exe"}));
  model.Cancel();
  EXPECT_EQ(grid.rows[row], (Texts{"Ctrl", "F7", "工\t具", "\tC:\\x.exe"}));
}

}  // namespace
}  // namespace tarvek
