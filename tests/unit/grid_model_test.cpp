// The grid's rows as the logic and the list control both see them.
#include "core/grid_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvek {
namespace {

using Cells = std::vector<std::string>;

class GridModelTest : public ::testing::Test {
 protected:
  Cells RowAt(int row) const {
    Cells cells;
    for (int c = 0; c < kGridColumns; ++c) cells.push_back(grid.Cell(row, c));
    return cells;
  }
  Cells FirstColumn() const {
    Cells cells;
    for (int r = 1; r < grid.Rows(); ++r) cells.push_back(grid.Cell(r, 0));
    return cells;
  }

  GridModel grid{{"功能键", "基本键", "调用的程序", "程序路径"}};
};

TEST_F(GridModelTest, RowsGoWhereTheyAreAddedAndTheHeaderStaysFixed) {
  EXPECT_EQ(grid.Rows(), 1);
  EXPECT_EQ(grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe", -1), 1);
  EXPECT_EQ(grid.AddRow("Alt\tF5\t计算器\tcalc.exe", -1), 2);
  // The activation row is added after the bindings, and goes before them.
  EXPECT_EQ(grid.AddRow("Win\tSpace\t显示本软件\t无", 1), 1);
  EXPECT_EQ(grid.AddRow("Shift\tB\t中间\tmid.exe", 3), 3);
  EXPECT_EQ(grid.AddRow("Shift\tC\t最后\tlast.exe", 99), 5);  // beyond the end: appended
  EXPECT_EQ(grid.AddRow("Shift\tD\t也最后\tx.exe", 0), 6);    // never above the header
  EXPECT_EQ(FirstColumn(), (Cells{"Win", "Ctrl", "Shift", "Alt", "Shift", "Shift"}));
  EXPECT_EQ(RowAt(1), (Cells{"Win", "Space", "显示本软件", "无"}));

  EXPECT_FALSE(grid.SetCell(0, 1, "x"));
  EXPECT_FALSE(grid.RemoveRow(0));
  EXPECT_FALSE(grid.MarkRowHeld(0, true));
  EXPECT_EQ(RowAt(0), (Cells{"功能键", "基本键", "调用的程序", "程序路径"}));
  EXPECT_EQ(grid.At(0), nullptr);
}

TEST_F(GridModelTest, ShortRowsLeaveTheRestEmptyAndTheLastCellKeepsItsTabs) {
  grid.AddRow("Ctrl\tA", -1);
  grid.AddRow("\t\t\t", -1);
  grid.AddRow("Ctrl\tB\t名\tC:\\a\tb.exe", -1);
  EXPECT_EQ(RowAt(1), (Cells{"Ctrl", "A", "", ""}));
  EXPECT_EQ(RowAt(2), (Cells{"", "", "", ""}));
  EXPECT_EQ(RowAt(3), (Cells{"Ctrl", "B", "名", "C:\\a\tb.exe"}));
}

TEST_F(GridModelTest, CellsAndRowsThatAreNotThereChangeNothing) {
  grid.AddRow("Win\tSpace\t显示本软件\t无", -1);
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe", -1);
  EXPECT_TRUE(grid.SetCell(2, 3, "C:\\Program Files\\工具\\a b.exe"));
  EXPECT_EQ(grid.Cell(2, 3), "C:\\Program Files\\工具\\a b.exe");
  for (int row : {-1, 3}) {
    EXPECT_FALSE(grid.SetCell(row, 0, "x"));
    EXPECT_FALSE(grid.RemoveRow(row));
    EXPECT_FALSE(grid.SetRowSlot(row, 1));
    EXPECT_EQ(grid.Cell(row, 0), "");
  }
  for (int column : {-1, kGridColumns}) {
    EXPECT_FALSE(grid.SetCell(1, column, "x"));
    EXPECT_FALSE(grid.SetColumnWidth(column, 10));
    EXPECT_EQ(grid.Cell(1, column), "");
    EXPECT_EQ(grid.ColumnWidth(column), 0);
  }
  EXPECT_EQ(FirstColumn(), (Cells{"Win", "Ctrl"}));
  EXPECT_TRUE(grid.RemoveRow(1));
  EXPECT_EQ(FirstColumn(), (Cells{"Ctrl"}));
}

TEST_F(GridModelTest, SlotAndHeldMarkMoveWithTheirRowAndLeaveEachOtherAlone) {
  grid.AddRow("Win\tSpace\t显示本软件\t无", -1);
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe", -1);
  grid.AddRow("Alt\tB\t画图\tmspaint.exe", -1);
  EXPECT_EQ(grid.At(2)->slot, -1);  // added without one
  grid.SetRowSlot(2, 0);
  grid.SetRowSlot(3, 100);
  grid.MarkRowHeld(2, true);
  grid.SetRowSlot(2, 7);
  EXPECT_TRUE(grid.At(2)->held);

  grid.AddRow("Shift\tC\t新\tnew.exe", 2);
  EXPECT_EQ(grid.At(2)->slot, -1);
  EXPECT_FALSE(grid.At(2)->held);
  EXPECT_EQ(grid.At(3)->slot, 7);
  EXPECT_TRUE(grid.At(3)->held);
  grid.RemoveRow(2);
  EXPECT_EQ(grid.At(2)->slot, 7);
  EXPECT_EQ(grid.At(3)->slot, 100);
  EXPECT_FALSE(grid.At(3)->held);
  grid.SetRowSlot(3, -5);  // any negative slot is none
  EXPECT_EQ(grid.At(3)->slot, -1);
}

TEST(GridRowTipTest, ReasonThenNoteThenTheSharedTextEachOnItsOwnLine) {
  GridModel::Row row;
  row.note = "仅在 a.exe 中";
  EXPECT_EQ(GridRowTip(row, ""), "仅在 a.exe 中");
  row.held = true;
  EXPECT_EQ(GridRowTip(row, "C"), "此热键已被其他程序占用，按下时不起作用。\r\n仅在 a.exe 中\r\nC");
  row.disabled = true;  // says more than held
  EXPECT_EQ(GridRowTip(row, ""), "已停用\r\n仅在 a.exe 中");
}

}  // namespace
}  // namespace tarvek
