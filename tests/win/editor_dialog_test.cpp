// The hotkey editor's window under Wine: its controls in the tab order users step through, and
// its white panel.
#include "editor/editor_dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "win/list_view_grid.h"
#include "win_test_support.h"

namespace tarvek {
namespace {

using namespace editor_ids;

TEST(EditorDialogWindow, TabOrderAndWhitePanel) {
  wintest::HiddenWindow owner;
  win::ListViewGrid grid(1, {"功能键", "基本键", "调用的程序", "程序路径"});
  wintest::RecordingDialogs dialogs;
  EditorModel model(grid, dialogs, [] {});
  EditorDialog dialog(model);
  ASSERT_TRUE(dialog.Create(GetModuleHandleW(nullptr), owner.get()));
  std::vector<int> order;
  HWND first = GetNextDlgTabItem(dialog.Handle(), nullptr, FALSE);
  for (HWND at = first; at != nullptr && order.size() < 20;) {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog.Handle(), at, FALSE);
    if (at == first) break;
  }
  // Apply starts disabled, so it is no tab stop yet.
  EXPECT_EQ(order, (std::vector<int>{kCombo1Id0, kCombo1Id1, kCombo1Id2, kCombo2Id, kCombo3Id,
                                     kCommand3Id, kOptionsId, kCommand2Id, kCommand1Id, kCheck1Id, kCheck2Id,
                                     kCommand5Id}));
  HDC dc = GetDC(dialog.Handle());
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog.Handle(), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(dialog.Control(kLabel1Id))));
  ReleaseDC(dialog.Handle(), dc);
  LOGBRUSH info{};
  ASSERT_NE(brush, nullptr);
  GetObjectW(brush, sizeof(info), &info);
  EXPECT_EQ(info.lbColor, GetSysColor(COLOR_WINDOW));
}

}  // namespace
}  // namespace tarvek
