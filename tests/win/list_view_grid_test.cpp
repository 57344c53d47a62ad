// The hotkey grid on a real report-view list control in a hidden window.
#include "win/list_view_grid.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win_test_support.h"

namespace tarvek::win {
namespace {

using Row = std::vector<std::string>;

class Grid : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(window.get(), nullptr);
    ASSERT_NE(grid.Handle(), nullptr);
  }

  Row RowAt(int row) const {
    Row cells;
    for (int c = 0; c < kGridColumns; ++c) cells.push_back(grid.Cell(row, c));
    return cells;
  }
  // The first column of every row below the header.
  Row FirstColumn() const {
    Row cells;
    for (int r = 1; r < grid.Rows(); ++r) cells.push_back(grid.Cell(r, 0));
    return cells;
  }

  wintest::HiddenWindow window;
  ListViewGrid grid{window.get(), 100, {"功能键", "基本键", "调用的程序", "程序路径"}};
};

TEST_F(Grid, HeaderIsRowZeroAndIsNotAnItem) {
  EXPECT_EQ(grid.Rows(), 1);
  EXPECT_EQ(ListView_GetItemCount(grid.Handle()), 0);
  EXPECT_EQ(RowAt(0), (Row{"功能键", "基本键", "调用的程序", "程序路径"}));
  // The header is fixed: writing to row 0 changes neither it nor any item.
  grid.AddRow("Win\tSpace\t显示本软件\t无");
  grid.SetCell(0, 1, "x");
  EXPECT_EQ(grid.Cell(0, 1), "基本键");
  EXPECT_EQ(RowAt(1), (Row{"Win", "Space", "显示本软件", "无"}));
  EXPECT_EQ(grid.Rows(), 2);
  // The columns the control really has carry the same texts.
  wchar_t text[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = 64;
  ASSERT_TRUE(ListView_GetColumn(grid.Handle(), 3, &column));
  EXPECT_EQ(std::wstring(text), L"程序路径");
}

TEST_F(Grid, AddRowAppendsOrInsertsAtARow) {
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe");
  grid.AddRow("Alt\tF5\t计算器\tcalc.exe");
  EXPECT_EQ(grid.Rows(), 3);
  // The activation row is added after the bindings, and goes before them.
  grid.AddRow("Win\tSpace\t显示本软件\t无", 1);
  EXPECT_EQ(grid.Rows(), 4);
  EXPECT_EQ(RowAt(1), (Row{"Win", "Space", "显示本软件", "无"}));
  EXPECT_EQ(RowAt(2), (Row{"Ctrl", "A", "记事本", "notepad.exe"}));
  EXPECT_EQ(RowAt(3), (Row{"Alt", "F5", "计算器", "calc.exe"}));
  // Grid row 1 is list item 0.
  wchar_t text[64] = {};
  ListView_GetItemText(grid.Handle(), 0, 2, text, 64);
  EXPECT_EQ(std::wstring(text), L"显示本软件");

  grid.AddRow("Shift\tB\t中间\tmid.exe", 3);
  grid.AddRow("Shift\tC\t最后\tlast.exe", 99);  // beyond the end: appended
  EXPECT_EQ(FirstColumn(), (Row{"Win", "Ctrl", "Shift", "Alt", "Shift"}));
  EXPECT_EQ(grid.Cell(5, 2), "最后");
}

TEST_F(Grid, ShortRowsLeaveTheRestEmpty) {
  grid.AddRow("Ctrl\tA");
  EXPECT_EQ(RowAt(1), (Row{"Ctrl", "A", "", ""}));
  grid.AddRow("\t\t\t");
  EXPECT_EQ(RowAt(2), (Row{"", "", "", ""}));
}

TEST_F(Grid, SetCellAndRemoveRow) {
  grid.AddRow("Win\tSpace\t显示本软件\t无");
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe");
  grid.AddRow("Alt\tB\t画图\tmspaint.exe");

  grid.SetCell(2, 3, "C:\\Program Files\\工具\\a b.exe");
  EXPECT_EQ(grid.Cell(2, 3), "C:\\Program Files\\工具\\a b.exe");
  EXPECT_EQ(grid.Cell(3, 3), "mspaint.exe");

  grid.RemoveRow(2);
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(RowAt(2), (Row{"Alt", "B", "画图", "mspaint.exe"}));

  // Neither the header nor a row that is not there can be removed.
  grid.RemoveRow(0);
  grid.RemoveRow(3);
  grid.RemoveRow(-1);
  EXPECT_EQ(FirstColumn(), (Row{"Win", "Alt"}));
  EXPECT_EQ(grid.Cell(1, 4), "");
  EXPECT_EQ(grid.Cell(1, -1), "");
}

TEST_F(Grid, KeepsEveryTextWhole) {
  const Row texts{"Ctrl + Alt + Shift", "←", "我的计算器\xF0\x9F\x98\x80", "D:\\工具\\计算器.exe"};
  grid.AddRow(texts[0] + "\t" + texts[1] + "\t" + texts[2] + "\t" + texts[3]);
  EXPECT_EQ(RowAt(1), texts);
  for (const char* arrow : {"→", "↑", "↓"}) {
    grid.SetCell(1, 1, arrow);
    EXPECT_EQ(grid.Cell(1, 1), arrow);
  }
  const std::string longPath = "C:\\" + std::string(300, 'x') + "\\程序.exe";
  grid.SetCell(1, 3, longPath);
  EXPECT_EQ(grid.Cell(1, 3), longPath);
  // A long web address is saved from the grid: it must come back whole, not cut.
  const std::string longAddress = "https://example.com/?q=" + std::string(5000, 'q');
  grid.SetCell(1, 3, longAddress);
  EXPECT_EQ(grid.Cell(1, 3), longAddress);
}

TEST_F(Grid, SlotAndHeldMarkMoveWithTheirRowAndLeaveEachOtherAlone) {
  grid.AddRow("Win\tSpace\t显示本软件\t无");
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe");
  grid.AddRow("Alt\tB\t画图\tmspaint.exe");
  EXPECT_EQ(grid.RowSlot(2), -1);  // added without one
  grid.SetRowSlot(2, 0);
  grid.SetRowSlot(3, 100);
  grid.MarkRowHeld(2, true);
  grid.SetRowSlot(2, 7);
  EXPECT_TRUE(grid.RowHeld(2));

  grid.AddRow("Shift\tC\t新\tnew.exe", 2);
  EXPECT_EQ(grid.RowSlot(2), -1);
  EXPECT_FALSE(grid.RowHeld(2));
  EXPECT_EQ(grid.RowSlot(3), 7);
  EXPECT_TRUE(grid.RowHeld(3));
  grid.RemoveRow(2);
  EXPECT_EQ(grid.RowSlot(2), 7);
  EXPECT_EQ(grid.RowSlot(3), 100);
  EXPECT_EQ(grid.RowSlot(1), -1);
  EXPECT_EQ(grid.RowSlot(9), -1);
}

TEST_F(Grid, SelectedRowsTopToBottomOrTheCurrentRow) {
  for (const char* name : {"甲", "乙", "丙", "丁"}) grid.AddRow(std::string("Ctrl\tA\t") + name + "\tx");
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int>{1}));
  ListView_SetItemState(grid.Handle(), 3, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(grid.Handle(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int>{2, 4}));
  EXPECT_EQ(grid.CurrentRow(), 2);
}

}  // namespace
}  // namespace tarvek::win
