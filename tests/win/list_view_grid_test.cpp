// The hotkey grid on a real report-view list control in a hidden window: whatever the grid held
// before its control was made, and every change after, is what the control shows.
#include "win/windows/list_view_grid.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/windows/common_controls.h"
#include "win/windows/dpi.h"
#include "win/system/strings.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

using Cells = std::vector<std::string>;

class Grid : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(window.get(), nullptr); }

  // Every item of the control, read from the control itself: its four texts and its held mark.
  std::vector<Cells> Shown() const {
    std::vector<Cells> rows;
    HWND list = grid.Handle();
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      Cells cells;
      for (int c = 0; c < kGridColumns; ++c) {
        std::wstring text(8192, L'\0');
        ListView_GetItemText(list, i, c, text.data(), static_cast<int>(text.size()));
        cells.push_back(Narrow(text.c_str()));
      }
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = i;
      ListView_GetItem(list, &item);
      cells.push_back((item.lParam & 1) != 0 ? "held" : "");
      rows.push_back(cells);
    }
    return rows;
  }
  // The same as the grid answers it.
  std::vector<Cells> Held() const {
    std::vector<Cells> rows;
    for (int r = 1; r < grid.Rows(); ++r) {
      Cells cells;
      for (int c = 0; c < kGridColumns; ++c) cells.push_back(grid.Cell(r, c));
      cells.push_back(grid.RowHeld(r) ? "held" : "");
      rows.push_back(cells);
    }
    return rows;
  }
  int ShownWidth(int column) const { return ListView_GetColumnWidth(grid.Handle(), column); }
  int Pixels(int twips) const { return TwipsToPixels(twips, WindowDpi(window.get())); }

  wintest::HiddenWindow window;
  ListViewGrid grid{100, {"功能键", "基本键", "调用的程序", "程序路径"}};
};

TEST_F(Grid, WhatTheGridHeldBeforeItsControlIsWhatTheControlShows) {
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe");
  grid.AddRow("Alt\tF5\t计算器\tcalc.exe");
  grid.SetRowSlot(2, 1);
  grid.MarkRowHeld(2, true);
  grid.AddRow("Win\tSpace\t显示本软件\t无", 1);
  grid.SetColumnWidth(2, 3820);
  grid.SetColumnWidth(3, 0);
  // No control yet: no selection, the first row is current.
  EXPECT_EQ(grid.Handle(), nullptr);
  EXPECT_EQ(grid.CurrentRow(), 1);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int>{1}));
  grid.Redraw();

  ASSERT_TRUE(EnsureCommonControls());
  ASSERT_TRUE(grid.Create(window.get()));
  EXPECT_EQ(Shown(), (std::vector<Cells>{{"Win", "Space", "显示本软件", "无", ""},
                                         {"Ctrl", "A", "记事本", "notepad.exe", ""},
                                         {"Alt", "F5", "计算器", "calc.exe", "held"}}));
  EXPECT_EQ(grid.RowSlot(3), 1);
  EXPECT_EQ(ShownWidth(0), Pixels(1400));
  EXPECT_EQ(ShownWidth(2), Pixels(3820));
  EXPECT_EQ(ShownWidth(3), 0);
  // The header is the control's header, not an item.
  wchar_t text[64] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text;
  column.cchTextMax = 64;
  ASSERT_TRUE(ListView_GetColumn(grid.Handle(), 3, &column));
  EXPECT_EQ(std::wstring(text), L"程序路径");
}

TEST_F(Grid, EveryChangeAfterwardsReachesTheControl) {
  ASSERT_TRUE(EnsureCommonControls());
  ASSERT_TRUE(grid.Create(window.get()));
  grid.AddRow("Win\tSpace\t显示本软件\t无");
  grid.AddRow("Ctrl\tA\t记事本\tnotepad.exe");
  grid.AddRow("Alt\tB\t画图\tmspaint.exe");
  grid.AddRow("Shift\tC\t中间\tmid.exe", 3);
  grid.MarkRowHeld(3, true);
  grid.MarkRowHeld(4, true);
  grid.MarkRowHeld(4, false);
  grid.SetCell(2, 2, "我的计算器\xF0\x9F\x98\x80");
  grid.SetCell(0, 1, "x");  // the header is fixed
  grid.RemoveRow(4);
  grid.RemoveRow(9);
  grid.SetColumnWidth(3, 5000);
  EXPECT_EQ(Held(), (std::vector<Cells>{{"Win", "Space", "显示本软件", "无", ""},
                                        {"Ctrl", "A", "我的计算器\xF0\x9F\x98\x80", "notepad.exe", ""},
                                        {"Shift", "C", "中间", "mid.exe", "held"}}));
  EXPECT_EQ(Shown(), Held());
  EXPECT_EQ(ShownWidth(3), Pixels(5000));
  // A long web address is saved from the grid: it comes back whole.
  const std::string longAddress = "https://example.com/?q=" + std::string(5000, 'q');
  grid.SetCell(2, 3, longAddress);
  EXPECT_EQ(grid.Cell(2, 3), longAddress);
  EXPECT_EQ(Shown()[1][3], longAddress);
}

TEST_F(Grid, SelectedRowsTopToBottomOrTheCurrentRow) {
  ASSERT_TRUE(EnsureCommonControls());
  ASSERT_TRUE(grid.Create(window.get()));
  for (const char* name : {"甲", "乙", "丙", "丁"}) grid.AddRow(std::string("Ctrl\tA\t") + name + "\tx");
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int>{1}));
  ListView_SetItemState(grid.Handle(), 3, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(grid.Handle(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(grid.SelectedRows(), (std::vector<int>{2, 4}));
  EXPECT_EQ(grid.CurrentRow(), 2);
}

}  // namespace
}  // namespace tarvek::win
